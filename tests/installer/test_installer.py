"""The Windows setup under Wine, each class in a fresh prefix of its own.

Hosts are registered as a user's would be, each with a real PE program at its path
(Wine's own notepad for x86 and x64; for ARM64 the build's ARM64 plughost, or, where
that is not built, notepad with its machine field made ARM64, which is all the setup
reads), and the setup's silent mode must place the module of the program's width,
byte for byte the build's, into the folder the host loads plug-ins from, and for a
registered GIMP 3 the GEGL operation of its program's width into the user's
gegl-0.4 plug-ins folder; the uninstaller registered in Add/Remove Programs must
take exactly those away again.

    python3 test_installer.py [SetupOn64BitWindows | SetupOn32BitWindows | SetupBytes]

Fails where the built modules (and the x64 GEGL operation), makensis or Wine are
missing; exits with 77 (skipped) only where this machine cannot run 32-bit programs,
which the setup is.
"""

import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get("LUMIVEIL_SOURCE") or os.path.dirname(os.path.dirname(HERE))
BUILD = os.environ.get("LUMIVEIL_BUILD") or os.path.join(SOURCE, "build")
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
import harness  # noqa: E402
import skips  # noqa: E402

MODULE = "LumiveilFilter.8bf"
GEGL_DLL = "lumiveil-gegl.dll"
GIMP3_ENTRY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\GIMP-3_is1"
WIDTHS = ("win32", "win64", "win-arm64")
VERSION = open(os.path.join(SOURCE, "VERSION")).readline().strip()
OLDER_VERSION = "0.9.0"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumiveil"
WINE_PROGRAMS = {"win32": "/usr/lib/i386-linux-gnu/wine/i386-windows/notepad.exe",
                 "win64": "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/notepad.exe"}
PE_HEADER_POINTER_AT = 60
PE_MACHINE_ARM64 = b"\x64\xaa"


def built(width):
    return os.path.join(BUILD, width, MODULE)


def built_operation(width):
    return os.path.join(BUILD, width, GEGL_DLL)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def make_setup(build_dir, dist_dir, version=None):
    command = [sys.executable, os.path.join(SOURCE, "tools", "make_setup.py"), SOURCE, build_dir,
               dist_dir] + (["--version", version] if version else [])
    completed = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=True)
    return completed.stdout.decode().strip()


def arm64_program(folder):
    """An ARM64 PE program: the build's ARM64 plughost, else notepad marked ARM64."""
    plughost = os.path.join(BUILD, "win-arm64", "plughost.exe")
    if os.path.isfile(plughost):
        return plughost
    data = bytearray(read(WINE_PROGRAMS["win64"]))
    header = int.from_bytes(data[PE_HEADER_POINTER_AT:PE_HEADER_POINTER_AT + 4], "little")
    data[header + 4:header + 6] = PE_MACHINE_ARM64
    path = os.path.join(folder, "arm64-program.exe")
    with open(path, "wb") as f:
        f.write(data)
    return path


class WinePrefix:
    """A fresh Wine prefix and the means to register hosts and run the setup in it."""

    def __init__(self, folder, arch):
        self.root = os.path.join(folder, "prefix")
        self.arch = arch
        self.env = dict(os.environ, WINEPREFIX=self.root, WINEARCH=arch, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        harness.ensure_display()
        self.env["DISPLAY"] = os.environ["DISPLAY"]
        self.run(["wineboot", "-i"], wait_all=True)

    def run(self, command, wait_all=False):
        completed = subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        # The uninstaller copies itself elsewhere and returns at once: wait for every
        # program of the prefix to end.
        if wait_all:
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=300)
        return completed

    def path(self, windows_path):
        """The Linux path of C:\\..."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        return os.path.join(self.root, "drive_c", *windows_path[3:].rstrip("\\").split("\\"))

    def put(self, windows_path, data):
        path = self.path(windows_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    def reg_add(self, key, name, data, view=None):
        command = ["wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", data, "/f"]
        completed = self.run(command + (["/reg:" + view] if view else []))
        assert completed.returncode == 0, completed.stderr

    def reg_value(self, key, name):
        """A value of the 64-bit view (the native one on 32-bit Windows), or None."""
        view = ["/reg:64"] if self.arch == "win64" else []
        completed = self.run(["wine", "reg", "query", key, "/v", name] + view)
        for line in completed.stdout.decode(errors="replace").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[0] == name:
                return parts[2]
        return None

    def register_photoshop(self, key, folder, program, view=None):
        """HKLM\\SOFTWARE\\Adobe\\Photoshop\\<key> with its program at folder\\Photoshop.exe."""
        self.put(folder + "\\Photoshop.exe", read(program))
        registry_key = "HKLM\\SOFTWARE\\Adobe\\Photoshop\\" + key
        self.reg_add(registry_key, "ApplicationPath", folder + "\\", view)
        self.reg_add(registry_key, "PluginPath", folder + "\\Plug-ins\\", view)

    def register_gimp3(self, root, folder, program, view=None):
        """GIMP 3's uninstall entry under root (HKLM or HKCU), its program at folder\\bin."""
        self.put(folder + "\\bin\\gimp-3.0.exe", read(program))
        self.reg_add(root + "\\" + GIMP3_ENTRY, "InstallLocation", folder + "\\", view)
        self.reg_add(root + "\\" + GIMP3_ENTRY, "DisplayVersion", "3.0.4", view)

    def local_app_data(self):
        """%LOCALAPPDATA% of the prefix's user, who is this machine's user."""
        return "C:\\users\\%s\\AppData\\Local" % pwd.getpwuid(os.getuid()).pw_name

    def modules(self, name=MODULE):
        """Every file of that name in the prefix's C: drive, as Linux paths."""
        found = []
        for directory, _, names in os.walk(os.path.join(self.root, "drive_c")):
            found += [os.path.join(directory, n) for n in names if n == name]
        return sorted(found)

    def setup(self, setup, *arguments):
        completed = self.run(["wine", setup, "/S"] + list(arguments), wait_all=True)
        return completed.stdout.decode(errors="replace")

    def uninstall(self):
        """Through UninstallString, as Add/Remove Programs would, silently."""
        command = self.reg_value(UNINSTALL_KEY, "UninstallString")
        assert command and command.startswith('"'), command
        return self.run(["wine", command.strip('"'), "/S"], wait_all=True)


class SetupCase(unittest.TestCase):
    ARCH = "win64"

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="lumiveil-setup-test-")
        cls.setup_exe = make_setup(BUILD, os.path.join(cls.folder, "dist"))
        cls.prefix = WinePrefix(cls.folder, cls.ARCH)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def assertPlaced(self, expected):
        """expected: {Windows folder: width}; exactly these modules, each the build's bytes."""
        placed = {self.prefix.path(folder + "\\" + MODULE): width
                  for folder, width in expected.items()}
        self.assertEqual(self.prefix.modules(), sorted(placed))
        for path, width in placed.items():
            self.assertEqual(read(path), read(built(width)),
                             "%s is not the %s module" % (path, width))

    def own_folder(self, folder):
        widths = [w for w in WIDTHS if os.path.isfile(built(w))]
        return {folder + "\\" + w: w for w in widths}

    def record(self, folder):
        with open(self.prefix.path(folder + "\\installed-files.txt"), encoding="utf-16-le") as f:
            return f.read().splitlines()


class SetupOn64BitWindows(SetupCase):
    ARCH = "win64"
    OWN = "C:\\Program Files\\Lumiveil"
    # NSIS takes /D= unquoted, and Wine quotes an argument with spaces: no spaces.
    CHOSEN = "C:\\Filters\\Lumiveil"
    CC_X64 = "C:\\Program Files\\Common Files\\Adobe\\Plug-Ins\\CC"
    PS2024 = "C:\\Program Files\\Adobe\\Adobe Photoshop 2024"
    PS_CS5 = "C:\\Program Files (x86)\\Adobe\\Adobe Photoshop CS5"
    PS_ARM64 = "C:\\Program Files\\Adobe\\Adobe Photoshop 2025"
    IRFANVIEW = "C:\\Program Files (x86)\\IrfanView"
    GIMP3 = "C:\\Program Files\\GIMP 3"
    SETTINGS = "C:\\windows\\quietharborstudio\\PS Filters\\Lumiveil"

    def test_1_no_host_only_the_chosen_folder(self):
        out = self.prefix.setup(self.setup_exe, "/D=" + self.CHOSEN)
        self.assertIn("Lumiveil setup: hosts found: none", out)
        self.assertIn("Lumiveil setup: GIMP 3: not found", out)
        self.assertPlaced(self.own_folder(self.CHOSEN))
        log = read(self.prefix.path(self.CHOSEN + "\\setup-log.txt")).decode("latin-1")
        self.assertIn("hosts found: none", log)
        self.prefix.uninstall()
        self.assertEqual(self.prefix.modules(), [])
        self.assertFalse(os.path.exists(self.prefix.path(self.CHOSEN)))

    def test_2_hosts_get_their_widths_then_uninstall(self):
        p = self.prefix
        p.register_photoshop("180.0", self.PS2024, WINE_PROGRAMS["win64"], "64")
        p.register_photoshop("12.0", self.PS_CS5, WINE_PROGRAMS["win32"], "32")
        p.register_photoshop("190.0", self.PS_ARM64, arm64_program(self.folder), "64")
        p.put(self.IRFANVIEW + "\\i_view32.exe", read(WINE_PROGRAMS["win32"]))
        p.register_gimp3("HKLM", self.GIMP3, WINE_PROGRAMS["win64"], "64")
        # What the setup did not place stays: another filter, the settings file.
        others = [self.PS2024 + "\\Plug-ins\\Other.8bf", self.CC_X64 + "\\Other.8bf", self.SETTINGS]
        for other in others:
            p.put(other, b"not ours")

        older_build = os.path.join(self.folder, "older")
        for width in WIDTHS:
            if os.path.isfile(built(width)):
                os.makedirs(os.path.join(older_build, width))
                with open(os.path.join(older_build, width, MODULE), "wb") as f:
                    f.write(read(built(width)) + b"older")
        older = make_setup(older_build, os.path.join(self.folder, "older-dist"), OLDER_VERSION)
        p.setup(older)
        self.assertEqual(p.reg_value(UNINSTALL_KEY, "DisplayVersion"), OLDER_VERSION)

        # Newer over older (into its folder), then again into a chosen folder, which
        # takes over the earlier record: one copy of each, the newer bytes.
        p.setup(self.setup_exe)
        out = p.setup(self.setup_exe, "/D=" + self.CHOSEN)
        expected = self.own_folder(self.OWN)
        expected.update(self.own_folder(self.CHOSEN))
        expected.update({self.CC_X64: "win64", self.PS_CS5 + "\\Plug-ins": "win32",
                         self.IRFANVIEW + "\\Plugins\\Adobe 8BF": "win32"})
        if os.path.isfile(built("win-arm64")):
            expected[self.PS_ARM64 + "\\Plug-ins"] = "win-arm64"
        else:
            self.assertIn("Adobe Photoshop 2025: this setup has no ARM64 module", out)
        for host in ("Adobe Photoshop 2024 (x64)", "Adobe Photoshop CS5 (32-bit)",
                     "Adobe Photoshop 2025 (ARM64)", "IrfanView (32-bit)"):
            self.assertIn(host, out)
        self.assertPlaced(expected)
        self.assertIn("GIMP 3 (x64) found by its uninstall entry HKLM\\", out)
        operation = p.path(p.local_app_data() + "\\gegl-0.4\\plug-ins\\" + GEGL_DLL)
        self.assertEqual(p.modules(GEGL_DLL), [operation])
        self.assertEqual(read(operation), read(built_operation("win64")))
        record = self.record(self.CHOSEN)
        self.assertEqual(len(record), len(set(record)), record)
        for name, value in (("DisplayName", "Lumiveil"), ("DisplayVersion", VERSION),
                            ("Publisher", "Quiet Harbor Studio")):
            self.assertEqual(p.reg_value(UNINSTALL_KEY, name), value)
        self.assertGreater(int(p.reg_value(UNINSTALL_KEY, "EstimatedSize"), 16), 0)

        p.uninstall()
        self.assertEqual(p.modules(), [])
        self.assertEqual(p.modules(GEGL_DLL), [])
        self.assertIsNone(p.reg_value(UNINSTALL_KEY, "UninstallString"))
        self.assertFalse(os.path.exists(p.path(self.CHOSEN)))
        for other in others:
            self.assertEqual(read(p.path(other)), b"not ours", other)

    def test_3_gimp3_for_one_user_on_arm64(self):
        p = self.prefix
        p.run(["wine", "reg", "delete", "HKLM\\" + GIMP3_ENTRY, "/f", "/reg:64"])
        p.register_gimp3("HKCU", p.local_app_data() + "\\Programs\\GIMP 3",
                         arm64_program(self.folder))
        out = p.setup(self.setup_exe)
        self.assertIn("GIMP 3 (ARM64) found by its uninstall entry HKCU\\", out)
        if os.path.isfile(built_operation("win-arm64")):
            operation = p.path(p.local_app_data() + "\\gegl-0.4\\plug-ins\\" + GEGL_DLL)
            self.assertEqual(p.modules(GEGL_DLL), [operation])
            self.assertEqual(read(operation), read(built_operation("win-arm64")))
        else:
            self.assertIn("GIMP 3: this setup has no ARM64 operation", out)
        p.uninstall()
        self.assertEqual(p.modules(GEGL_DLL), [])


class SetupOn32BitWindows(SetupCase):
    ARCH = "win32"
    # Hosts found by the plug-ins folder they register, with the program beside it:
    # (key, value name, plug-ins folder, program file name).
    FOLDER_HOSTS = (
        ("HKLM\\SOFTWARE\\Adobe\\Photoshop Elements\\11.0", "PluginPath",
         "C:\\Program Files\\Adobe\\Photoshop Elements 11\\Plug-Ins",
         "PhotoshopElementsEditor.exe"),
        ("HKLM\\SOFTWARE\\Serif\\PhotoPlus\\9.0\\Directories", "PluginRootDir",
         "C:\\Program Files\\Serif\\PhotoPlus 9\\Plugins", "PhotoPlus.exe"),
        ("HKCU\\Software\\Corel\\PaintShop Pro\\X5\\FileLocations\\PlugIns\\0", "Dir",
         "C:\\Program Files\\Corel\\PaintShop Pro X5\\PlugIns", "Corel PaintShop Pro.exe"),
        ("HKCU\\Software\\Computerinsel\\PhotoLine\\Settings", "PlugInPathNew1",
         "C:\\Program Files\\PhotoLine\\PlugIns", "PhotoLine.exe"),
    )

    def test_every_kind_of_host_gets_win32(self):
        p = self.prefix
        p.register_photoshop("90.0", "C:\\Program Files\\Adobe\\Adobe Photoshop CC 2015",
                             WINE_PROGRAMS["win32"])
        expected = self.own_folder("C:\\Program Files\\Lumiveil")
        expected["C:\\Program Files\\Common Files\\Adobe\\Plug-Ins\\CC"] = "win32"
        for key, name, folder, program in self.FOLDER_HOSTS:
            p.reg_add(key, name, folder)
            p.put(folder.rsplit("\\", 1)[0] + "\\" + program, read(WINE_PROGRAMS["win32"]))
            expected[folder] = "win32"
        out = p.setup(self.setup_exe)
        # One registry view on 32-bit Windows: each host is found once.
        for host in ("Adobe Photoshop CC 2015", "Photoshop Elements 11.0", "PhotoPlus 9.0",
                     "PaintShop Pro X5", "PhotoLine"):
            self.assertEqual(out.count(host + " (32-bit)"), 1, out)
        self.assertPlaced(expected)
        p.uninstall()
        self.assertEqual(p.modules(), [])
        self.assertIsNone(p.reg_value(UNINSTALL_KEY, "UninstallString"))


class SetupBytes(unittest.TestCase):
    def test_same_bytes_from_two_folders(self):
        with tempfile.TemporaryDirectory(prefix="lumiveil-setup-bytes-") as folder:
            setups = []
            for name in ("one", os.path.join("another", "deeper")):
                build_copy = os.path.join(folder, name, "build")
                for width in WIDTHS:
                    os.makedirs(os.path.join(build_copy, width))
                    for path in (built(width), built_operation(width)):
                        if os.path.isfile(path):
                            shutil.copy(path, os.path.join(build_copy, width))
                setups.append(make_setup(build_copy, os.path.join(folder, name, "dist")))
            self.assertEqual(read(setups[0]), read(setups[1]))


def exit_unless_runnable():
    """Fails where a built module or an installed tool is missing; skips only where
    this machine cannot run 32-bit programs, which the setup is, and nothing
    requires it (skips.py)."""
    skips.exit_unless_present(
        built=[path for path in (built("win32"), built("win64"), built_operation("win64"))
               if not os.path.isfile(path)],
        installed=[tool for tool in ("makensis", "wine", "Xvfb") if not shutil.which(tool)],
        cannot=skips.machine_cannot())
    runnable, reason = harness.arch_runnable("win32")
    if not runnable:
        if harness.arch_may_skip():
            print("skipped: the setup is a 32-bit program: %s (%s)"
                  % (reason, skips.machine_cannot(emulator=True)))
            sys.exit(skips.SKIPPED)
        print("FAILED: the setup is a 32-bit program: " + reason)
        sys.exit(skips.FAILED)


if __name__ == "__main__":
    exit_unless_runnable()
    unittest.main(verbosity=2)
