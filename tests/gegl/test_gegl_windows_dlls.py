"""What the operation's Windows DLLs (x64 and ARM64) are, read from their files.

GIMP 3 for Windows loads an operation through its two module functions and gives it
the GEGL, babl and GLib DLLs of its own bundle: each DLL must be of its width,
export those two functions alone, import from nothing else but Windows' own DLLs,
and import only names that the Windows GEGL 0.4.62 built here exports (by name, so
that a later 0.4.x, which keeps them, resolves them too). The ARM64 DLL cannot run
here (no GEGL for Windows on ARM is built): these checks, and its imports from GEGL,
babl and GObject being the x64 DLL's, are what it gets.
"""

import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from gegl_harness import BUILD, SOURCE, WINDOWS_GEGL, exit_unless_windows_gegl  # noqa: E402

sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))
import pe_resources as pe  # noqa: E402

STACK = WINDOWS_GEGL
MACHINES = {"win64": 0x8664, "win-arm64": 0xAA64}
MODULE_FUNCTIONS = ["gegl_module_query", "gegl_module_register"]
# The libraries of GIMP 3's Windows bundle that an operation may import from.
GEGL_DLLS = {"libgegl-0.4-0.dll", "libbabl-0.1-0.dll", "libgobject-2.0-0.dll",
             "libglib-2.0-0.dll", "libgmodule-2.0-0.dll"}
# Windows' own: the x64 build's C runtime is msvcrt, the ARM64 build's the UCRT.
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll"}
UCRT_PREFIX = "api-ms-win-crt-"


def dll_path(width):
    return os.path.join(BUILD, width, "lumiveil-gegl.dll")


def exported_by_stack():
    """{DLL: names} from the Windows GEGL's export lists (its .def files)."""
    names = {}
    for dll in GEGL_DLLS:
        with open(os.path.join(STACK, "def", dll[:-len(".dll")] + ".def")) as f:
            words = [line.split()[0] for line in f if line.strip() and line[0] not in ";"]
        names[dll] = {word.split("@")[0] for word in words if word not in ("LIBRARY", "EXPORTS")}
    return names


def gegl_imports(image):
    return {dll.lower(): sorted(names) for dll, names in pe.read_imports(image).items()
            if dll.lower() in GEGL_DLLS}


class WindowsDllTests(unittest.TestCase):
    def image(self, width):
        return pe.read_pe(dll_path(width))

    def test_each_dll_is_an_operation_module_of_its_width(self):
        for width, machine in sorted(MACHINES.items()):
            with self.subTest(width=width):
                image = self.image(width)
                self.assertEqual(image.machine, machine)
                names, function_count = pe.read_exports(image)
                self.assertEqual(sorted(names), MODULE_FUNCTIONS)
                self.assertEqual(function_count, len(MODULE_FUNCTIONS), "an export without a name")
                imported = {dll.lower() for dll in pe.read_imported_dlls(image)}
                others = {dll for dll in imported - GEGL_DLLS - SYSTEM_DLLS
                          if not dll.startswith(UCRT_PREFIX)}
                self.assertFalse(others, "imports from DLLs that GIMP 3 does not ship")
                self.assertIn("libgegl-0.4-0.dll", imported)

    def test_imports_are_names_that_windows_gegl_exports(self):
        exported = exported_by_stack()
        for width in sorted(MACHINES):
            with self.subTest(width=width):
                for dll, names in gegl_imports(self.image(width)).items():
                    self.assertFalse([n for n in names if n.startswith("#")], "import by ordinal")
                    self.assertFalse(set(names) - exported[dll], "not exported by " + dll)

    def test_arm64_dll_imports_what_the_x64_dll_imports(self):
        # GLib's headers inline some calls for one compiler and not the other (g_strdup
        # for GCC becomes g_malloc), so GLib's own imports may differ by such a name.
        arm64, x64 = (gegl_imports(self.image(width)) for width in ("win-arm64", "win64"))
        for imports in (arm64, x64):
            imports.pop("libglib-2.0-0.dll", None)
        self.assertEqual(arm64, x64)


if __name__ == "__main__":
    exit_unless_windows_gegl([("operation DLL at " + dll_path(width), dll_path(width))
                              for width in sorted(MACHINES)])
    unittest.main()
