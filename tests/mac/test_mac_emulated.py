"""The Mac bundle's code in an emulated Mac host, against the x64 Windows module.

Each slice of build/mac/LumiveilFilter.plugin runs in unicorn (emulated_mac.py)
with its system imports answered in Python (libsystem.py) and a FilterRecord
laid out as a Mac host lays it out (mac_filter_host.py). The selectors go as
Photoshop sends them, and what the Mac code gives must be what the Windows
module gives through plughost under Wine for the same picture and settings: the
pixels (the filter pass's and the padding test's cases), the strips asked for,
the parameter block, the last-used settings file (big-endian, under the user's
~/Library/Application Support) and the parameter files. A host record laid out
with the Windows packing is misread. The dialog and the About box run against a
recording stand-in of the Objective-C runtime and AppKit (cocoa_standin.py): the
windows, frames and values they show, and scripted drags, typing, clicks and
panel answers giving the Windows module's settings, files and pixels.

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

import cocoa_standin  # noqa: E402
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


# Some controls of the parameter dialog's template in dialog units: x, y, width, height.
TEMPLATE_UNITS = {1: (255, 10, 38, 14), 2: (255, 30, 38, 14), 3: (255, 60, 38, 14),
                  4: (255, 80, 38, 14), 6: (255, 135, 41, 11), 101: (65, 167, 100, 15),
                  103: (65, 203, 100, 15), 201: (165, 169, 23, 11), 203: (165, 205, 23, 11)}
# NSTextAlignmentRight: Apple silicon numbers it as iOS does.
RIGHT = {"x86_64": 1, "arm64": 2}


def points(x, y, width, height):
    """Dialog units in points, as Windows maps them for the template's font at 96 DPI
    (6 x 13 base units, MulDiv's rounding)."""
    def across(units):
        return float((units * 6 + 2) // 4)

    def down(units):
        return float((units * 13 + 4) // 8)
    return (across(x), down(y), across(width), down(height))


def snapshot(cocoa):
    """What the parameter dialog shows at this moment."""
    def view(control):
        return cocoa.control(control).props
    buttons = [view(control) for control in (1, 2, 3, 4, 6)]
    responder = cocoa.window().props.get("firstResponder")
    focus = [c for c in (201, 202, 203) if cocoa.control(c) is responder]
    return {"titles": [b.get("title") for b in buttons],
            "keys": [b.get("keyEquivalent") for b in buttons],
            "preview box": (view(6).get("buttonType"), view(6).get("state")),
            "sliders": [(view(c).get("doubleValue"), view(c).get("minValue"),
                         view(c).get("maxValue"), view(c).get("continuous"))
                        for c in (101, 102, 103)],
            "fields": [view(c).get("stringValue") for c in (201, 202, 203)],
            "focus": focus[0] if focus and responder.props.get("selectedAll") else None,
            "labels": [(v.props["stringValue"], v.props.get("alignment")) for v in
                       cocoa.views() if v.props.get("label")]}


class EmulatedMacHost(HostTestCase):
    # The Windows module's runs, each made once: (picture, settings, options) -> run, output.
    windows_runs = {}

    # --- the two sides ------------------------------------------------------------

    def mac_system(self, arch):
        self._roots = getattr(self, "_roots", 0) + 1
        root = self.path("mac-%s-%d" % (arch, self._roots))
        os.makedirs(os.path.join(root, HOME.lstrip("/")))
        return libsystem.MacSystem(root, home=HOME)

    def mac_process(self, arch, system, cocoa=None):
        """The slice in an emulated process; its Cocoa stand-in is process.cocoa."""
        cocoa = cocoa or cocoa_standin.CocoaStandIn()
        process = emulated_mac.EmulatedMac(slices[arch], {**system.imports(), **cocoa.imports()})
        process.cocoa = cocoa
        return process

    def mac_run(self, arch, picture, selectors, system=None, parameters=None, cocoa=None,
                **host_options):
        """(host, results, system) of the slice driven through `selectors`; the dialog
        plays cocoa's scripts, or is confirmed with Return."""
        system = system or self.mac_system(arch)
        started = time.monotonic()
        host = mac.MacFilterHost(self.mac_process(arch, system, cocoa), picture, **host_options)
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

    def windows_from_menu(self, steps, settings_file=None, extra=(), size=(64, 48)):
        """A run chosen from the menu (Parameters, Prepare, Start, Finish) on the
        pattern; returns (run, block bytes, settings file bytes, picture)."""
        windows, params, out = self.path("windows"), self.path("params.bin"), self.path("out.png")
        os.makedirs(windows, exist_ok=True)
        if settings_file is not None:
            os.makedirs(os.path.dirname(windows_settings_file(windows)), exist_ok=True)
            with open(windows_settings_file(windows), "wb") as f:
                f.write(settings_file)
        run = self.run_host(["run", module_path(), "--in", "pattern:%dx%d" % size, "--out", out,
                             "--params", params, "--windows-dir", windows, "--do", steps] +
                            list(extra))
        self.assertEqual(run.lines("dialog:"), [], run.report())
        stored = read(windows_settings_file(windows))
        return run, read(params), stored, read_png(out)

    def mac_from_menu(self, arch, settings_file=None, alt=False, script=None, files=(),
                      picture=None):
        system = self.mac_system(arch)
        cocoa = cocoa_standin.CocoaStandIn()
        if script is not None:
            cocoa.scripts.append(script)
        cocoa.file_answers.extend(files)
        if settings_file is not None:
            path = os.path.join(system.root, MAC_SETTINGS_FILE)
            os.makedirs(os.path.dirname(path))
            with open(path, "wb") as f:
                f.write(settings_file)
        if alt:
            system.modifiers = libsystem.FLAG_MASK_ALTERNATE
        host, results, _ = self.mac_run(arch, picture or self.pattern_image(64, 48),
                                        FROM_THE_MENU, system=system, cocoa=cocoa)
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

    # --- the dialog -------------------------------------------------------------------

    def assertTidy(self, cocoa):
        """Every object the module made it has released again, once."""
        self.assertEqual([o for o in cocoa.made if o.owned != 0], [])

    def test_the_dialog_is_the_template_in_points_and_previews_as_on_windows(self):
        kept = file_image(settings=(30, 60, 90), show_dialog=0, name=b"kept")
        dump = self.path("display.png")
        # Small enough for the frame here and under Wine, whose fonts make it larger.
        run, _, _, _ = self.windows_from_menu(CANCEL, settings_file=kept, size=(200, 100),
                                              extra=["--dump-display", dump])
        windows_display, shown = run.records("display")[-1], read_png(dump)
        for arch in ARCHES:
            with self.subTest(arch=arch):
                opening = {}
                script = [lambda c: opening.update(snapshot(c)), lambda c: c.click(2)]
                host, results, _, _ = self.mac_from_menu(arch, settings_file=kept, script=script,
                                                         picture=self.pattern_image(200, 100))
                self.assertEqual(results[-1], ("start", 1))
                cocoa = host.process.cocoa
                window = cocoa.modal_windows[0]
                self.assertEqual((window.props["contentRect"], window.props["styleMask"],
                                  window.props["title"]), ((0.0, 0.0, 450.0, 377.0), 1, "Lumiveil"))
                content = window.props["contentView"]
                self.assertEqual((content.cls.superclass.name, sorted(content.cls.methods)),
                                 ("NSView", ["drawRect:", "isFlipped"]))
                for control, units in TEMPLATE_UNITS.items():
                    self.assertEqual(cocoa.control(control).props["frame"], points(*units), control)
                self.assertEqual(cocoa.control("band").props["frame"], (0.0, 0.0, 20.0, 800.0))
                # The preview frame: one point of black inside the template's rectangle.
                x, y, width, height = points(25, 10, 220, 150)
                self.assertIn(("fill", cocoa_standin.CG_CONTEXT,
                               [(x, y, width, 1.0), (x, y + height - 1, width, 1.0),
                                (x, y, 1.0, height), (x + width - 1, y, 1.0, height)]),
                              cocoa.drawing)
                self.assertEqual(opening, {
                    "titles": ["OK", "Cancel", "Load...", "Save...", "Preview"],
                    "keys": [cocoa_standin.RETURN, cocoa_standin.ESCAPE, None, None, None],
                    "preview box": (3, 1),
                    "sliders": [(30.0, 0.0, 100.0, 1), (60.0, 0.0, 100.0, 1), (90.0, 0.0, 100.0, 1)],
                    "fields": ["30", "60", "90"], "focus": 201,
                    "labels": [("Radiation", RIGHT[arch]), ("Amount", RIGHT[arch]),
                               ("Mist", RIGHT[arch])] + [("% ( 0 - 100 )", 0)] * 3})
                shown_here = host.displays[-1]
                self.assertEqual((shown_here["src"], shown_here["bounds"]),
                                 (windows_display["src"], windows_display["bounds"]))
                # Centred in the frame.
                self.assertEqual((shown_here["row"], shown_here["column"]),
                                 (int(y) + (int(height) - 100) // 2, int(x) + (int(width) - 200) // 2))
                self.assertEqual((shown_here["size"], shown_here["pixels"], shown_here["context"]),
                                 ((shown.width, shown.height), bytes(shown.data),
                                  cocoa_standin.CG_CONTEXT))
                self.assertTidy(cocoa)

    def test_a_drag_and_a_mad_typed_value_confirmed_give_the_windows_block_file_and_pixels(self):
        steps = "drag 102 73; type 201 150; click 1; expect-field 201 100; click 1"
        run, block, stored, picture = self.windows_from_menu(steps)
        self.assertEqual(Block(block).settings, (100, 73, 0), run.report())
        for arch in ARCHES:
            with self.subTest(arch=arch):
                seen = []
                script = [lambda c: c.drag(102, 73), lambda c: seen.append(snapshot(c)),
                          lambda c: c.type(201, "150"), lambda c: seen.append(snapshot(c)),
                          lambda c: c.click(1), lambda c: seen.append(snapshot(c)),
                          lambda c: c.click(1)]
                host, results, _, mac_stored = self.mac_from_menu(arch, script=script)
                cocoa = host.process.cocoa
                self.assertEqual(results[-1], ("finish", 0))
                self.assertEqual((host.parameter_block(), mac_stored), (block, stored))
                self.assertImagesEqual(host.target, picture)
                # The drag shows its value and redraws at once; the typed 150 moves the
                # slider to 100 and stays as typed until OK corrects it with a beep.
                self.assertEqual([s["fields"] for s in seen],
                                 [["50", "73", "0"], ["150", "73", "0"], ["100", "73", "0"]])
                self.assertEqual([s["sliders"][0][0] for s in seen], [50.0, 100.0, 100.0])
                self.assertEqual((seen[2]["focus"], cocoa.beeps), (201, 1))
                content = cocoa.modal_windows[0].props["contentView"]
                self.assertGreaterEqual(content.props.get("displayed", 0), 1)
                self.assertTidy(cocoa)

    def test_save_and_load_through_the_panels_give_the_windows_files(self):
        first, again = self.path("look.prm"), self.path("again.prm")
        self.windows_from_menu("type 201 30; type 202 70; type 203 10; save-file %s; click 4; "
                               "type 201 5; open-file %s; click 3; save-file %s; click 4; click 2"
                               % (first, first, again))
        windows_first, windows_again = read(first), read(again)
        self.assertEqual(FileImage(windows_again).settings, (30, 70, 10))
        documents = "/Users/tester/Documents/"
        for arch in ARCHES:
            with self.subTest(arch=arch):
                seen = []
                script = [lambda c: c.type(201, "30"), lambda c: c.type(202, "70"),
                          lambda c: c.type(203, "10"), lambda c: c.click(4),
                          lambda c: c.type(201, "5"), lambda c: c.click(3),
                          lambda c: seen.append(snapshot(c)), lambda c: c.click(4),
                          # A cancelled panel and a damaged file change nothing.
                          lambda c: c.click(3), lambda c: c.click(3),
                          lambda c: seen.append(snapshot(c)), lambda c: c.click(2)]
                answers = [documents + "look.prm", documents + "look.prm", documents + "again.prm",
                           None, documents + "bad.prm"]
                system = self.mac_system(arch)
                folder = os.path.join(system.root, documents.lstrip("/"))
                os.makedirs(folder)
                with open(os.path.join(folder, "bad.prm"), "wb") as f:
                    f.write(windows_first[:10])
                cocoa = cocoa_standin.CocoaStandIn()
                cocoa.scripts.append(script)
                cocoa.file_answers.extend(answers)
                host, results, _ = self.mac_run(arch, test_picture(16, 16), FROM_THE_MENU,
                                                system=system, cocoa=cocoa)
                self.assertEqual(results[-1], ("start", 1))
                self.assertEqual(read(os.path.join(folder, "look.prm")), windows_first)
                self.assertEqual(read(os.path.join(folder, "again.prm")), windows_again)
                self.assertEqual([s["fields"] for s in seen], [["30", "70", "10"]] * 2)
                self.assertEqual(cocoa.panels_run, [(kind, ["prm"]) for kind in
                                                    ("save", "open", "save", "open", "open")])
                self.assertEqual(system.open_files(), 0)
                self.assertTidy(cocoa)

    def test_option_opens_the_dialog_at_the_defaults_and_cancel_keeps_everything(self):
        kept = file_image(settings=(30, 60, 90), show_dialog=0, name=b"kept")
        run, block, stored, picture = self.windows_from_menu(CANCEL, settings_file=kept,
                                                             extra=["--alt"])
        for arch in ARCHES:
            with self.subTest(arch=arch):
                seen = []
                script = [lambda c: seen.append(snapshot(c)), lambda c: c.drag(101, 10),
                          lambda c: c.click(2)]
                host, results, _, mac_stored = self.mac_from_menu(arch, settings_file=kept,
                                                                  alt=True, script=script)
                self.assertEqual(results[-1], ("start", 1))
                self.assertEqual(seen[0]["fields"], ["50", "50", "0"])
                self.assertEqual((host.parameter_block(), mac_stored), (block, stored))
                self.assertEqual(mac_stored, kept)
                self.assertImagesEqual(host.target, picture)

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

    def test_about_shows_the_about_picture_and_the_filters_name_and_version(self):
        with open(os.path.join(os.path.dirname(os.path.dirname(HERE)), "VERSION")) as f:
            version = f.readline().strip()
        picture_bytes = read(os.path.join(BUILD, "win64", "artwork", "about.bmp"))
        closings = [[lambda c: c.press(cocoa_standin.RETURN)],
                    [lambda c: c.press(cocoa_standin.ESCAPE)], [lambda c: c.close_window()]]
        for arch in ARCHES:
            with self.subTest(arch=arch):
                cocoa = cocoa_standin.CocoaStandIn()
                cocoa.scripts.extend(closings)
                host = mac.MacFilterHost(self.mac_process(arch, self.mac_system(arch), cocoa),
                                         test_picture(8, 8))
                for _ in closings:  # each way of closing ends the box
                    self.assertEqual(host.about(), 0)
                self.assertEqual(cocoa.scripts, [])
                window = cocoa.modal_windows[0]
                self.assertEqual(window.props["title"], CAPTION)
                self.assertEqual(window.props["contentRect"], (0.0, 0.0, 425.0, 306.0))
                button, escape, text = cocoa.views(window)
                self.assertEqual(button.props["frame"], (0.0, 56.0, 425.0, 250.0))
                image = cocoa.objects[button.props["image"]]
                self.assertEqual(image.props["data"].props["bytes"], picture_bytes)
                self.assertEqual(image.props["size"], (425.0, 250.0))
                self.assertEqual(escape.props["keyEquivalent"], cocoa_standin.ESCAPE)
                self.assertEqual(text.props["stringValue"],
                                 "Lumiveil %s\nHarborlight Effects\nQuiet Harbor Studio" % version)
                self.assertTidy(cocoa)

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
                host = mac.MacFilterHost(self.mac_process(arch, system), picture)
                host.set_field("advanceState", 0)
                results = host.run(REPEAT, parameters=native_block(show_dialog=0))
                self.assertEqual(results, [(name, run.result(name))
                                           for name in ("prepare", "start", "finish")])
                self.assertEqual([(h, m) for h, m, _ in system.notices],
                                 [(CAPTION, NEEDS_ADVANCE_STATE)])
                self.assertEqual((host.advances, host.target), ([], picture))


if __name__ == "__main__":
    main()
