"""The Mac bundle's code in an emulated Mac host, against the x64 Windows module.

Each slice of build/mac/LumiveilFilter.plugin runs in unicorn (emulated_mac.py)
with its system imports answered in Python (libsystem.py) and a FilterRecord
laid out as a Mac host lays it out (mac_filter_host.py). The selectors go as
Photoshop sends them, and what the Mac code gives must be what the Windows
module gives through plughost under Wine for the same picture and settings: the
pixels (the filter pass's and the padding test's cases), the strips asked for,
the parameter block, the last-used settings file (big-endian, under the user's
~/Library/Application Support) and the parameter files. A host record laid out
with the Windows packing is misread.

    LUMIVEIL_ARCH=win64 LUMIVEIL_BUILD=<folder holding mac/ and win64/> \\
        python3 tests/mac/test_mac_emulated.py
"""

import os
import struct
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "e2e"))

from blocks import Block, FileImage, file_image, native_block  # noqa: E402
from harness import (BUILD, HostTestCase, main, module_path, read_png, write_png)  # noqa: E402
from test_filter_pass import SELECTION_CASE, WHOLE_IMAGE_CASES, test_picture  # noqa: E402
from test_host_compat import PADDING_CASES, PADDING_SETTINGS  # noqa: E402

import emulated_mac  # noqa: E402
import filter_record_layout as layouts  # noqa: E402
import libsystem  # noqa: E402
import macho  # noqa: E402
import mac_filter_host as mac  # noqa: E402

EXECUTABLE = os.path.join(BUILD, "mac", "LumiveilFilter.plugin", "Contents", "MacOS",
                          "LumiveilFilter")
ARCHES = ("x86_64", "arm64")
HOME = "/Users/tester"
SETTINGS_PATH = ("quietharborstudio", "PS Filters", "Lumiveil")
MAC_SETTINGS_FILE = os.path.join("Users", "tester", "Library", "Application Support",
                                 *SETTINGS_PATH)
OK, CANCEL = "click 1", "click 2"
CAPTION = "Lumiveil Plugin filter"
NEEDS_ADVANCE_STATE = "This plug-in requires Adobe Photoshop 2.5 or later functionality"
REPEAT = [mac.PREPARE, mac.START, mac.FINISH]
FROM_THE_MENU = [mac.PARAMETERS, mac.PREPARE, mac.START, mac.FINISH]

slices = {}
emulated_seconds = {arch: 0.0 for arch in ARCHES}


def setUpModule():
    if not os.path.isfile(EXECUTABLE):
        raise RuntimeError("no Mac bundle at %s: build it first (tools/build.sh)" % EXECUTABLE)
    slices.update(macho.read_file(EXECUTABLE))


def tearDownModule():
    # A figure, not a limit: the emulated Mac code's share of this file's time.
    print("\nemulated Mac code: " + ", ".join("%s %.1f s" % (arch, seconds)
                                              for arch, seconds in emulated_seconds.items()),
          file=sys.stderr)


def windows_settings_file(windows_dir):
    return os.path.join(windows_dir, *SETTINGS_PATH)


def clipped(rect, picture):
    top, left, bottom, right = rect
    return (max(top, 0), max(left, 0), min(bottom, picture.height), min(right, picture.width))


def read(path):
    with open(path, "rb") as f:
        return f.read()


class EmulatedMacHost(HostTestCase):
    # The Windows module's runs, each made once: (picture, settings, options) -> run, output.
    windows_runs = {}

    # --- the two sides ------------------------------------------------------------

    def mac_system(self, arch):
        self._roots = getattr(self, "_roots", 0) + 1
        root = self.path("mac-%s-%d" % (arch, self._roots))
        os.makedirs(os.path.join(root, HOME.lstrip("/")))
        return libsystem.MacSystem(root, home=HOME)

    def mac_run(self, arch, picture, selectors, system=None, parameters=None, **host_options):
        """(host, results, system) of the slice driven through `selectors`."""
        system = system or self.mac_system(arch)
        started = time.monotonic()
        process = emulated_mac.EmulatedMac(slices[arch], system.imports())
        host = mac.MacFilterHost(process, picture, **host_options)
        results = host.run(selectors, parameters=parameters)
        emulated_seconds[arch] += time.monotonic() - started
        return host, results, system

    def windows_repeat(self, picture, settings, extra):
        """(run, output picture) of a repeated run of the Windows module."""
        key = (picture.width, picture.height, picture.channels, bytes(picture.data), settings,
               tuple(extra))
        if key not in self.windows_runs:
            self.windows_runs[key] = self._windows_repeat(picture, settings, extra)
        return self.windows_runs[key]

    def _windows_repeat(self, picture, settings, extra):
        source, out, params = self.path("in.png"), self.path("out.png"), self.path("params.bin")
        write_png(source, picture)
        with open(params, "wb") as f:
            f.write(native_block(settings=settings, show_dialog=0))
        run = self.run_host(["run", module_path(), "--in", source, "--out", out, "--repeat",
                             "--params", params] + extra)
        self.assertEqual(run.result("start"), 0, run.report())
        return run, read_png(out)

    def assertMacMatchesWindows(self, what, picture, settings, rect=None, padding=True):
        """Both slices give the Windows module's picture, strips and progress. The
        Windows module's run is always one with padding: without it the pixels are the
        same (tests/e2e/test_host_compat.py) and the input rectangles are clipped to
        the picture."""
        extra = ["--planes", str(picture.channels)]
        if rect:
            extra += ["--rect", "%d,%d,%d,%d" % rect]
        run, expected = self.windows_repeat(picture, settings, extra)
        strips = [(clipped(a["in"], picture) if not padding else a["in"], a["out"])
                  for a in run.records("advance")]
        progress = [tuple(int(w) for w in r.words) for r in run.records("progress")]
        block = native_block(settings=settings, show_dialog=0)
        for arch in ARCHES:
            with self.subTest(what, arch=arch):
                host, results, system = self.mac_run(arch, picture, REPEAT, parameters=block,
                                                     filter_rect=rect, supports_padding=padding)
                self.assertEqual(results, [("prepare", 0), ("start", 0), ("finish", 0)])
                self.assertEqual([(a["in"], a["out"]) for a in host.advances], strips)
                self.assertEqual(host.progress, progress)
                self.assertImagesEqual(host.target, expected, "%s on %s" % (what, arch))
                # Everything the module allocated is freed again, the block is the host's.
                self.assertEqual(host.process.heap_blocks, {})
                self.assertEqual(host.parameter_block(), block)
                self.assertEqual(system.open_files(), 0)

    # --- pixels ---------------------------------------------------------------------

    def test_whole_pictures_and_a_selection_give_the_windows_modules_bytes(self):
        for planes, settings in WHOLE_IMAGE_CASES:
            self.assertMacMatchesWindows("whole picture, %d planes, %s" % (planes, settings),
                                         test_picture(130, 90, channels=planes), settings)
        settings, rect = SELECTION_CASE
        self.assertMacMatchesWindows("selection %s" % (rect,), test_picture(120, 100), settings,
                                     rect=rect)

    def test_hosts_with_and_without_padding_give_the_windows_modules_bytes(self):
        for what, planes, rect in PADDING_CASES:
            picture = test_picture(140, 90, channels=planes, seed=planes)
            box = tuple(int(v) for v in rect.split(",")) if rect else None
            for padding in (True, False):
                self.assertMacMatchesWindows("%s, padding %s" % (what, padding), picture,
                                             PADDING_SETTINGS, rect=box, padding=padding)

    def test_a_host_record_with_the_windows_packing_is_misread(self):
        planes, settings = WHOLE_IMAGE_CASES[0]
        picture = test_picture(130, 90, channels=planes)
        _, expected = self.windows_repeat(picture, settings, [])
        for arch in ARCHES:
            with self.subTest(arch=arch):
                try:
                    host, results, _ = self.mac_run(
                        arch, picture, REPEAT, layout=layouts.WIN64,
                        parameters=native_block(settings=settings, show_dialog=0))
                    misread = results[-1] != ("finish", 0) or host.target != expected
                except emulated_mac.EmulationError:
                    misread = True  # the module's code went astray
                self.assertTrue(misread, "the Mac code read a Win64 record as well as its own")

    # --- settings that last ----------------------------------------------------------

    def windows_from_menu(self, steps, settings_file=None, extra=()):
        """A run chosen from the menu (Parameters, Prepare, Start, Finish) on the
        64 x 48 pattern; returns (run, block bytes, settings file bytes, picture)."""
        windows, params, out = self.path("windows"), self.path("params.bin"), self.path("out.png")
        os.makedirs(windows, exist_ok=True)
        if settings_file is not None:
            os.makedirs(os.path.dirname(windows_settings_file(windows)), exist_ok=True)
            with open(windows_settings_file(windows), "wb") as f:
                f.write(settings_file)
        run = self.run_host(["run", module_path(), "--in", "pattern:64x48", "--out", out,
                             "--params", params, "--windows-dir", windows, "--do", steps] +
                            list(extra))
        self.assertEqual(run.lines("dialog:"), [], run.report())
        stored = read(windows_settings_file(windows))
        return run, read(params), stored, read_png(out)

    def mac_from_menu(self, arch, settings_file=None, alt=False):
        system = self.mac_system(arch)
        if settings_file is not None:
            path = os.path.join(system.root, MAC_SETTINGS_FILE)
            os.makedirs(os.path.dirname(path))
            with open(path, "wb") as f:
                f.write(settings_file)
        if alt:
            system.modifiers = libsystem.FLAG_MASK_ALTERNATE
        host, results, _ = self.mac_run(arch, self.pattern_image(64, 48), FROM_THE_MENU,
                                        system=system)
        stored = read(os.path.join(system.root, MAC_SETTINGS_FILE))
        return host, results, system, stored

    def test_a_first_run_from_the_menu_makes_the_windows_block_and_an_empty_settings_file(self):
        run, block, stored, _ = self.windows_from_menu(CANCEL)
        self.assertEqual(stored, b"", run.report())
        for arch in ARCHES:
            with self.subTest(arch=arch):
                system = self.mac_system(arch)
                host, results, _ = self.mac_run(arch, self.pattern_image(64, 48),
                                                [mac.PARAMETERS], system=system)
                self.assertEqual(results, [("parameters", 0)])
                self.assertEqual(host.parameter_block(), block)
                self.assertEqual(read(os.path.join(system.root, MAC_SETTINGS_FILE)), b"")

    def test_a_confirmed_run_stores_the_windows_block_and_settings_file(self):
        kept = file_image(settings=(30, 60, 90), show_dialog=0, name=b"kept")
        run, block, stored, picture = self.windows_from_menu(OK, settings_file=kept)
        self.assertEqual(FileImage(stored).settings, (30, 60, 90), run.report())
        for arch in ARCHES:
            with self.subTest(arch=arch):
                host, results, system, mac_stored = self.mac_from_menu(arch, settings_file=kept)
                self.assertEqual(results, [("parameters", 0), ("prepare", 0), ("start", 0),
                                           ("finish", 0)])
                self.assertEqual(host.parameter_block(), block)
                self.assertEqual(mac_stored, stored)  # big-endian, as on Windows
                self.assertImagesEqual(host.target, picture)

    def test_option_held_at_start_begins_from_the_defaults_as_alt_does(self):
        kept = file_image(settings=(30, 60, 90), show_dialog=0, name=b"kept")
        run, block, stored, picture = self.windows_from_menu(OK, settings_file=kept,
                                                             extra=["--alt"])
        self.assertEqual(Block(block).settings, (50, 50, 0), run.report())
        for arch in ARCHES:
            with self.subTest(arch=arch):
                host, _, system, mac_stored = self.mac_from_menu(arch, settings_file=kept,
                                                                 alt=True)
                self.assertEqual(host.parameter_block(), block)
                self.assertEqual(mac_stored, stored)
                self.assertImagesEqual(host.target, picture)
                self.assertIn(libsystem.COMBINED_SESSION_STATE, system.state_ids)

    def mac_call(self, process, prefix, *texts):
        """Calls the module's inner function whose mangled name starts with `prefix`
        with zero-terminated texts; its integer result."""
        matches = [symbol.name for symbol in process.image.symbols
                   if symbol.name.startswith(prefix) and symbol.defined]
        self.assertEqual(len(matches), 1, "symbols named %s...: %s" % (prefix, matches))
        addresses = []
        for text in texts:
            address = process.allocate(len(text) + 1)
            process.write(address, text + b"\0")
            addresses.append(address)
        return libsystem.signed32(process.call(process.symbol(matches[0]), *addresses))

    def test_a_parameter_file_loaded_and_saved_again_gives_the_windows_files_bytes(self):
        # On Windows through the dialog: Save..., then Load... of that file and Save... again.
        first, again = self.path("look.prm"), self.path("again.prm")
        run = self.run_host(["run", module_path(), "--in", "pattern:64x48", "--out",
                             self.path("out.png"), "--windows-dir", self.path("windows"),
                             "--do", "type 201 30; type 202 70; type 203 10; save-file %s; "
                             "click 4; open-file %s; click 3; save-file %s; click 4; click 2"
                             % (first, first, again)])
        self.assertEqual(run.lines("dialog:"), [], run.report())
        windows_first, windows_again = read(first), read(again)
        self.assertEqual(FileImage(windows_again).settings, (30, 70, 10))
        for arch in ARCHES:
            with self.subTest(arch=arch):
                # Other settings first, so that only the load can bring the file's back.
                host, _, system = self.mac_run(arch, test_picture(16, 16), REPEAT,
                                               parameters=native_block(settings=(1, 2, 3),
                                                                       show_dialog=0))
                folder = os.path.join(system.root, "Users", "tester", "Documents")
                os.makedirs(folder)
                with open(os.path.join(folder, "look.prm"), "wb") as f:
                    f.write(windows_first)
                self.assertEqual(self.mac_call(host.process, "__Z19loadParameterFileAt",
                                               b"/Users/tester/Documents/look.prm"), 0)
                self.assertEqual(self.mac_call(host.process, "__Z19saveParameterFileAt",
                                               b"/Users/tester/Documents/again.prm",
                                               b"again.prm"), 0)
                self.assertEqual(read(os.path.join(folder, "again.prm")), windows_again)
                self.assertEqual(system.open_files(), 0)

    # --- host handles, About, the error box ------------------------------------------

    def test_without_host_handles_the_module_makes_its_own_and_filters_alike(self):
        planes, settings = WHOLE_IMAGE_CASES[0]
        picture = test_picture(130, 90, channels=planes)
        _, expected = self.windows_repeat(picture, settings, [])
        for arch in ARCHES:
            with self.subTest(arch=arch):
                host, results, _ = self.mac_run(arch, picture, FROM_THE_MENU, handle_procs=False)
                # The block is a handle of the module's own that the host can read.
                self.assertEqual(results[0], ("parameters", 0))
                handle = host.field("parameters")
                block = host.process.read(host.process.read_u64(handle), 300)
                self.assertEqual(Block(block).settings, (50, 50, 0))
                host, results, _ = self.mac_run(
                    arch, picture, REPEAT, handle_procs=False,
                    parameters=native_block(settings=settings, show_dialog=0))
                self.assertEqual(results[-1], ("finish", 0))
                self.assertImagesEqual(host.target, expected)

    def test_about_shows_a_notice_with_the_filters_name_and_version(self):
        with open(os.path.join(os.path.dirname(os.path.dirname(HERE)), "VERSION")) as f:
            version = f.readline().strip()
        for arch in ARCHES:
            with self.subTest(arch=arch):
                system = self.mac_system(arch)
                process = emulated_mac.EmulatedMac(slices[arch], system.imports())
                host = mac.MacFilterHost(process, test_picture(8, 8))
                self.assertEqual(host.about(), 0)
                self.assertEqual(len(system.notices), 1)
                header, message, _ = system.notices[0]
                self.assertEqual(header, CAPTION)
                self.assertIn("Lumiveil %s" % version, message)
                self.assertEqual(system.strings, {}, "a CFString was not released")

    def test_a_host_without_advance_state_gets_the_error_notice_and_the_windows_result(self):
        picture = test_picture(16, 16)
        source, params = self.path("in.png"), self.path("params.bin")
        write_png(source, picture)
        with open(params, "wb") as f:
            f.write(native_block(show_dialog=0))
        run = self.run_host(["run", module_path(), "--in", source, "--out", self.path("out.png"),
                             "--repeat", "--params", params, "--no-advance-state", "--do",
                             'expect-caption "%s"; expect-text "%s"; click 1' %
                             (CAPTION, NEEDS_ADVANCE_STATE)])
        self.assertEqual(run.lines("dialog:"), [], run.report())
        for arch in ARCHES:
            with self.subTest(arch=arch):
                system = self.mac_system(arch)
                process = emulated_mac.EmulatedMac(slices[arch], system.imports())
                host = mac.MacFilterHost(process, picture)
                host.set_field("advanceState", 0)
                results = host.run(REPEAT, parameters=native_block(show_dialog=0))
                self.assertEqual(results, [(name, run.result(name))
                                           for name in ("prepare", "start", "finish")])
                self.assertEqual([(h, m) for h, m, _ in system.notices],
                                 [(CAPTION, NEEDS_ADVANCE_STATE)])
                self.assertEqual((host.advances, host.target), ([], picture))


if __name__ == "__main__":
    main()
