"""The parameter dialog and its preview, driven the way a user drives them.

Every test runs the real module in the reference host under Wine on a virtual
display, acts on the dialog through a plughost script (--do) and checks what a
user and a host see: control states, result codes, the parameter block the host
keeps (--params), parameter files on disk, the host's trace of advanceState and
displayPixels, the pixels of the last displayPixels call (--dump-display), the
filtered image, and screenshots.

Pixels are compared with filter_reference, the native reference of the effect
(LUMIVEIL_NATIVE_BUILD); --rate N gives what the preview must show at reduction
factor N.

    LUMIVEIL_ARCH=win64 LUMIVEIL_BUILD=<folder with win32/ and win64/> \\
    LUMIVEIL_NATIVE_BUILD=<native build> python3 tests/e2e/test_dialog.py
"""

import atexit
import os
import re
import shutil
import struct
import subprocess
import tempfile

from harness import (ARCH, BUILD, EXIT_OK, EXIT_SELECTOR_FAILED, NATIVE_BUILD, TOOL,
                     HostTestCase, Image, ensure_display, main, module_path, read_png,
                     run_plughost, set_screen_dpi)

# Controls of the dialog.
OK = 1
CANCEL = 2
LOAD = 3
SAVE = 4
PREVIEW_BOX = 6
RADIATION_SLIDER, AMOUNT_SLIDER, MIST_SLIDER = 101, 102, 103
RADIATION_FIELD, AMOUNT_FIELD, MIST_FIELD = 201, 202, 203

DEFAULT_SETTINGS = (50, 50, 0)
IMAGE = (640, 480)

# The template in dialog units: the dialog's size and the preview frame (x, y, width, height).
DIALOG_UNITS = (300, 232)
FRAME_UNITS = (25, 10, 220, 150)
HORIZONTAL_UNITS_PER_BASE = 4  # a dialog unit is a quarter of the average character width
VERTICAL_UNITS_PER_BASE = 8    # and an eighth of the character height
LARGEST_BASE_UNIT = 64
DIALOG_FONT_POINTS = 8
HIGH_DPI = 192  # a 200 % screen (96 DPI is 100 %)

# Between the frame and the largest image: 2 pixels on every side.
FRAME_INSET = 2
MARGIN_BEFORE = 96  # input rows and columns the kernel reads above and left of outRect
MARGIN_AFTER = 97   # and below and right
FIXED_ONE = 0x10000

# The parameter block in the host's handle: native integers.
BLOCK_SIZE = 300
BLOCK_SHOW_DIALOG = 24
BLOCK_SETTINGS = 284

# A parameter file: big-endian integers.
FILE_HEADER = b"Lmvl" + b"Prms" + struct.pack(">i", 3) + b"std " + struct.pack(">ii", 100, 1685)

BLACK = (0, 0, 0)
WINDOW_RE = re.compile(r"^window: x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+) "
                       r"client: x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+)$", re.M)


# --- what the dialog and the host should do, worked out independently -------------

def mul_div(value, numerator, denominator):
    """Windows' MulDiv for the non-negative values of a template: rounds halves up."""
    return (2 * value * numerator + denominator) // (2 * denominator)


def divide_rounding_up(a, b):
    return -(-a // b)


def reduction_factor(width, height, frame_width, frame_height):
    fit_width = min(frame_width - 2 * FRAME_INSET, width)
    fit_height = min(frame_height - 2 * FRAME_INSET, height)
    return max(divide_rounding_up(height, fit_height), divide_rounding_up(width, fit_width))


def scale_coordinate(value, factor):
    """Divided by the factor, rounded to nearest with halves away from zero."""
    half = factor // 2
    scaled = abs(value) + half
    return scaled // factor if value >= 0 else -(scaled // factor)


def scaled_rect(rect, factor):
    top, left, bottom, right = rect
    new_top = scale_coordinate(top, factor)
    new_left = scale_coordinate(left, factor)
    return (new_top, new_left, new_top + divide_rounding_up(bottom - top, factor),
            new_left + divide_rounding_up(right - left, factor))


def with_margins(rect):
    top, left, bottom, right = rect
    return (top - MARGIN_BEFORE, left - MARGIN_BEFORE, bottom + MARGIN_AFTER, right + MARGIN_AFTER)


def sampled_crop(image, factor, rect):
    """What a host that samples every n-th pixel and replicates edges shows for rect
    (in sampled coordinates)."""
    top, left, bottom, right = rect
    rows = divide_rounding_up(image.height, factor)
    columns = divide_rounding_up(image.width, factor)
    out = Image(right - left, bottom - top, image.channels)
    for y in range(top, bottom):
        source_y = min(max(y, 0), rows - 1) * factor
        for x in range(left, right):
            source_x = min(max(x, 0), columns - 1) * factor
            out.set_pixel(x - left, y - top, image.pixel(source_x, source_y))
    return out


def block_settings(data):
    return struct.unpack_from("<3i", data, BLOCK_SETTINGS)


def block_show_dialog(data):
    return struct.unpack_from("<i", data, BLOCK_SHOW_DIALOG)[0]


def parameter_file(settings, name=b"Portrait.prm", show_dialog=1):
    body = struct.pack(">i", show_dialog) + bytes([len(name)]) + name.ljust(255, b"\0")
    return FILE_HEADER + body + struct.pack(">3i", *settings) + bytes(4)


def dialog_geometry(stdout):
    """(client offset in the window, frame in client coordinates as top, left, bottom,
    right) from plughost's print-window line, at the dialog units that this display
    gives: the base units are the ones that make the template's size the client size."""
    match = WINDOW_RE.search(stdout.replace("\r", ""))
    if not match:
        raise AssertionError("no print-window line in:\n" + stdout)
    window_x, window_y, _, _, client_x, client_y, client_w, client_h = map(int, match.groups())
    base_x = [b for b in range(1, LARGEST_BASE_UNIT)
              if mul_div(DIALOG_UNITS[0], b, HORIZONTAL_UNITS_PER_BASE) == client_w]
    base_y = [b for b in range(1, LARGEST_BASE_UNIT)
              if mul_div(DIALOG_UNITS[1], b, VERTICAL_UNITS_PER_BASE) == client_h]
    if not base_x or not base_y:
        raise AssertionError("client %dx%d is not the template at any base units" % (client_w, client_h))
    x, y, width, height = FRAME_UNITS
    left = mul_div(x, base_x[0], HORIZONTAL_UNITS_PER_BASE)
    top = mul_div(y, base_y[0], VERTICAL_UNITS_PER_BASE)
    frame = (top, left, top + mul_div(height, base_y[0], VERTICAL_UNITS_PER_BASE),
             left + mul_div(width, base_x[0], HORIZONTAL_UNITS_PER_BASE))
    return (client_x - window_x, client_y - window_y), frame


def destination(record):
    row, column = record["dst"].split(",")
    return int(row), int(column)


class DialogTestCase(HostTestCase):
    """Runs of the module with a fresh Windows folder each, so that no last-used
    settings file of an earlier test leaks in: every dialog opens at 50, 50, 0."""

    def setUp(self):
        super().setUp()
        self.windows_dir = self.path("windows")
        os.makedirs(self.windows_dir)
        self.runs = 0

    def run_dialog(self, steps, image=IMAGE, options=(), params=None, dump=True):
        self.runs += 1
        out = self.path("out-%d.png" % self.runs)
        args = ["run", module_path(), "--in", "pattern:%dx%d" % image, "--out", out,
                "--windows-dir", self.windows_dir, "--do", steps] + list(options)
        if dump:
            args += ["--dump-display", self.path("display-%d.png" % self.runs)]
        if params:
            args += ["--params", params]
        run = self.run_host(args)
        run.out_path = out
        run.display_path = self.path("display-%d.png" % self.runs)
        return run

    def assertRunEnded(self, run, start_result):
        expected_status = EXIT_OK if start_result == 0 else EXIT_SELECTOR_FAILED
        self.assertEqual(run.returncode, expected_status, run.report())
        self.assertEqual(run.result("start"), start_result, run.report())
        self.assertEqual(run.lines("dialog:"), [], run.report())

    def pattern_path(self, image):
        return pattern_file(image)

    def pattern(self, image=IMAGE):
        return read_png(pattern_file(image))

    def reference(self, settings, image=IMAGE, rect=None, rate=None):
        """filter_reference's answer: the filtered image, or with a rate the preview."""
        return reference_image(settings, image, rect, rate)

    def read_block(self, params):
        with open(params, "rb") as f:
            data = f.read()
        self.assertEqual(len(data), BLOCK_SIZE)
        return data

    def preview_request(self, run):
        """The preview's one advanceState: the first of the run."""
        advances = run.records("advance")
        self.assertTrue(advances, run.report())
        return advances[0]


def reference_tool():
    for candidate in (os.path.join(NATIVE_BUILD, "filter_reference"),
                      os.path.join(NATIVE_BUILD, "tests", "filter_reference")):
        if NATIVE_BUILD and os.path.exists(candidate):
            return candidate
    raise AssertionError("no filter_reference in LUMIVEIL_NATIVE_BUILD=%r: build the native tree"
                         % NATIVE_BUILD)


# Pattern files and reference images, made once per test process: the reference is
# the slow, obviously right computation, and several tests need the same answer.
_shared = {"folder": None, "files": {}}


def shared_path(name):
    if _shared["folder"] is None:
        _shared["folder"] = tempfile.mkdtemp(prefix="lumiveil-dialog-")
        atexit.register(shutil.rmtree, _shared["folder"], True)
    return os.path.join(_shared["folder"], name)


def pattern_file(image):
    key = ("pattern", image)
    if key not in _shared["files"]:
        path = shared_path("pattern-%dx%d.png" % image)
        run = run_plughost(["pattern", "%dx%d" % image, "--out", path])
        if run.returncode != EXIT_OK:
            raise AssertionError(run.report())
        _shared["files"][key] = path
    return _shared["files"][key]


def reference_image(settings, image, rect, rate):
    key = ("reference", settings, image, rect, rate)
    if key not in _shared["files"]:
        path = shared_path("reference-%d.png" % len(_shared["files"]))
        command = [reference_tool(), pattern_file(image), path, "--settings", "%d,%d,%d" % settings]
        if rect:
            command += ["--rect", "%d,%d,%d,%d" % rect]
        if rate:
            command += ["--rate", str(rate)]
        completed = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if completed.returncode != 0:
            raise AssertionError("filter_reference: " + completed.stderr.decode("latin-1"))
        _shared["files"][key] = path
    return read_png(_shared["files"][key])


def frame_on_this_display():
    """The preview frame in the dialog's client coordinates, from one opening."""
    if "frame" not in _shared:
        with tempfile.TemporaryDirectory(prefix="lumiveil-frame-") as folder:
            run = run_plughost(["run", module_path(), "--in", "pattern:32x24", "--windows-dir", folder,
                                "--do", "print-window; click 2"])
        _shared["frame"] = dialog_geometry(run.stdout)[1]
    return _shared["frame"]


def factor_for(image_width, image_height):
    top, left, bottom, right = frame_on_this_display()
    return reduction_factor(image_width, image_height, right - left, bottom - top)


class OpeningTests(DialogTestCase):
    def test_opens_at_the_stored_settings_with_radiation_selected_and_ok_default(self):
        shot = os.path.join(BUILD, "screenshots", "dialog-%s.png" % ARCH)
        os.makedirs(os.path.dirname(shot), exist_ok=True)
        params = self.path("block.bin")
        run = self.run_dialog(
            "expect-slider 101 50; expect-slider 102 50; expect-slider 103 0;"
            "expect-field 201 50; expect-field 202 50; expect-field 203 0;"
            "expect-check 6 1; expect-focus 201; expect-selected 201; expect-default 1;"
            "expect-labels-fit; print-window; shot %s; click 1" % shot, params=params)
        self.assertRunEnded(run, 0)
        block = self.read_block(params)
        self.assertEqual(block_settings(block), DEFAULT_SETTINGS)
        self.assertEqual(block_show_dialog(block), 0)

        # The preview is the engine's output for the reduced selection.
        factor = factor_for(*IMAGE)
        shown = read_png(run.display_path)
        self.assertImagesEqual(shown, self.reference(DEFAULT_SETTINGS, rate=factor))

        self.assertPreviewOnScreen(run, shot)

    def test_labels_read_whole_at_200_percent(self):
        # A 200 % screen: the dialog grows with its font, but a text's width need not
        # grow exactly as the dialog units do; "% ( 0 - 100 )" once wrapped to "% ( 0 -".
        set_screen_dpi(HIGH_DPI)
        self.addCleanup(set_screen_dpi, None)
        shot = os.path.join(BUILD, "screenshots", "dialog-%ddpi-%s.png" % (HIGH_DPI, ARCH))
        os.makedirs(os.path.dirname(shot), exist_ok=True)
        run = self.run_dialog("expect-labels-fit; print-window; shot %s; click 2" % shot)
        self.assertRunEnded(run, 1)
        # The screen really was at 200 %: the dialog font of 8 points is at least
        # 8 / 72 inch high, and a dialog unit is an eighth of its height.
        client_height = int(WINDOW_RE.search(run.stdout).group(8))
        self.assertGreaterEqual(client_height * VERTICAL_UNITS_PER_BASE,
                                DIALOG_UNITS[1] * DIALOG_FONT_POINTS * HIGH_DPI // 72, run.stdout)
        self.assertPreviewOnScreen(run, shot)

    def assertPreviewOnScreen(self, run, shot):
        """The screenshot shows the black frame where the template puts it and, inside
        it, exactly the pixels that the last displayPixels call drew."""
        shown = read_png(run.display_path)
        offset, frame = dialog_geometry(run.stdout)
        picture = read_png(shot)
        row, column = destination(run.records("display")[-1])
        on_screen = picture.crop(offset[1] + row, offset[0] + column,
                                 offset[1] + row + shown.height, offset[0] + column + shown.width)
        self.assertImagesEqual(on_screen, shown, "the preview in the screenshot")
        top, left, bottom, right = frame
        for x in range(left, right):
            self.assertEqual(picture.pixel(offset[0] + x, offset[1] + top)[:3], BLACK)
            self.assertEqual(picture.pixel(offset[0] + x, offset[1] + bottom - 1)[:3], BLACK)
        for y in range(top, bottom):
            self.assertEqual(picture.pixel(offset[0] + left, offset[1] + y)[:3], BLACK)
            self.assertEqual(picture.pixel(offset[0] + right - 1, offset[1] + y)[:3], BLACK)


class SliderAndFieldTests(DialogTestCase):
    def test_dragging_amount_to_73_shows_it_stores_it_and_redraws_the_preview(self):
        params = self.path("block.bin")
        run = self.run_dialog("drag 102 73; expect-field 202 73; expect-slider 102 73; click 1",
                              params=params)
        self.assertRunEnded(run, 0)
        self.assertEqual(block_settings(self.read_block(params)), (50, 73, 0))
        # The opening paint, then one synchronous redraw per thumb notification of the
        # drag (plughost sends four while tracking and one at the end); the last shows 73.
        self.assertGreaterEqual(len(run.records("display")), 1 + 5, run.trace)
        self.assertImagesEqual(read_png(run.display_path),
                               self.reference((50, 73, 0), rate=factor_for(*IMAGE)))

    def test_arrow_key_moves_the_thumb_but_not_the_field_or_the_setting(self):
        saved = self.path("after-key.prm")
        run = self.run_dialog("key 101 right; expect-slider 101 51; expect-field 201 50;"
                              "save-file %s; click 4; click 2" % saved)
        self.assertRunEnded(run, 1)
        with open(saved, "rb") as f:
            self.assertEqual(struct.unpack_from(">3i", f.read(), BLOCK_SETTINGS), DEFAULT_SETTINGS)
        self.assertImagesEqual(read_png(run.display_path),
                               self.reference(DEFAULT_SETTINGS, rate=factor_for(*IMAGE)))

    def test_typed_150_moves_the_slider_to_100_and_ok_corrects_selects_and_beeps(self):
        params = self.path("block.bin")
        status, stdout, calls = self.run_with_call_log(
            ["run", module_path(), "--in", "pattern:64x48", "--windows-dir", self.windows_dir,
             "--params", params, "--do",
             "type 201 150; expect-slider 101 100; expect-field 201 150; click 1;"
             "expect-field 201 100; expect-selected 201; expect-focus 201; click 1"])
        self.assertEqual(status, EXIT_OK, stdout)
        self.assertIn("result: start 0", stdout.replace("\r", ""))
        self.assertEqual(block_settings(self.read_block(params)), (100, 50, 0))
        beeps = [line for line in calls if "Call user32.MessageBeep(" in line]
        self.assertEqual(len(beeps), 1, beeps)
        self.assertIn("MessageBeep(00000030)", beeps[0])  # MB_ICONEXCLAMATION

    def test_fields_without_a_number_read_as_zero_and_ok_corrects_them_in_order(self):
        # An emptied field and one holding letters only both count as 0 at once; OK
        # stops at the first of them, then at the next one, then closes.
        params = self.path("block.bin")
        run = self.run_dialog("type 202; expect-slider 102 0; expect-field 202;"
                              "type 201 abc; expect-slider 101 0; expect-field 201 abc;"
                              "click 1; expect-field 201 0; expect-selected 201; expect-focus 201;"
                              "expect-field 202;"
                              "click 1; expect-field 202 0; expect-selected 202; expect-focus 202;"
                              "click 1", params=params)
        self.assertRunEnded(run, 0)
        self.assertEqual(block_settings(self.read_block(params)), (0, 0, 0))


class ButtonTests(DialogTestCase):
    def test_cancel_returns_1_and_writes_nothing_back(self):
        params = self.path("block.bin")
        first = self.run_dialog("click 2", params=params, dump=False)
        self.assertRunEnded(first, 1)
        before = self.read_block(params)
        self.assertEqual(block_show_dialog(before), 1)

        run = self.run_dialog("drag 102 90; type 201 7; expect-slider 101 7; click 2", params=params)
        self.assertRunEnded(run, 1)
        self.assertEqual(self.read_block(params), before)
        self.assertImagesEqual(read_png(run.out_path), self.pattern(), "the image")
        # Reading the last-used settings leaves an empty file behind; nothing goes into it.
        settings_file = os.path.join(self.windows_dir, "quietharborstudio", "PS Filters", "Lumiveil")
        if os.path.exists(settings_file):
            self.assertEqual(os.path.getsize(settings_file), 0, "the last-used settings were written")

    def test_load_shows_the_file_in_sliders_fields_and_preview(self):
        settings = (30, 70, 10)
        loaded = self.path("portrait.prm")
        with open(loaded, "wb") as f:
            f.write(parameter_file(settings))
        params = self.path("block.bin")
        run = self.run_dialog(
            "open-file %s; click 3; expect-slider 101 30; expect-slider 102 70; expect-slider 103 10;"
            "expect-field 201 30; expect-field 202 70; expect-field 203 10; click 1" % loaded,
            params=params)
        self.assertRunEnded(run, 0)
        self.assertEqual(block_settings(self.read_block(params)), settings)
        self.assertImagesEqual(read_png(run.display_path),
                               self.reference(settings, rate=factor_for(*IMAGE)))

    def test_cancelled_load_shows_the_stored_values_again(self):
        run = self.run_dialog("key 101 right; expect-slider 101 51; cancel-file; click 3;"
                              "expect-slider 101 50; expect-field 201 50; click 2", dump=False)
        self.assertRunEnded(run, 1)

    def test_save_writes_the_300_byte_parameter_file(self):
        saved = self.path("look.prm")
        run = self.run_dialog("type 201 30; type 202 70; type 203 10; save-file %s; click 4; click 2"
                              % saved, dump=False)
        self.assertRunEnded(run, 1)
        with open(saved, "rb") as f:
            data = f.read()
        self.assertEqual(len(data), 300)
        self.assertEqual(data[:24], FILE_HEADER)
        self.assertEqual(data[24:28], bytes([0, 0, 0, 1]))
        self.assertEqual(data[28:29 + len(b"look.prm")], bytes([8]) + b"look.prm")
        self.assertEqual(data[284:296], bytes([0, 0, 0, 0x1E, 0, 0, 0, 0x46, 0, 0, 0, 0x0A]))
        self.assertEqual(data[296:300], bytes(4))

    def test_unticked_preview_shows_the_unfiltered_input_of_the_same_area(self):
        run = self.run_dialog("key 101 right; expect-slider 101 51; check 6 0; expect-check 6 0;"
                              "expect-slider 101 50; click 2")
        self.assertRunEnded(run, 1)
        request = self.preview_request(run)
        displays = run.records("display")
        filtered, unfiltered = displays[0], displays[-1]
        self.assertEqual(filtered["bounds"], request["out"])
        self.assertEqual(unfiltered["bounds"], request["in"])
        self.assertEqual(unfiltered["src"], filtered["src"])
        self.assertEqual(destination(unfiltered), destination(filtered))
        self.assertImagesEqual(read_png(run.display_path),
                               sampled_crop(self.pattern(), factor_for(*IMAGE), request["out"]))


class PreviewGeometryTests(DialogTestCase):
    """The factor, the rectangles asked for and the place in the frame, worked out from
    the frame that this display gives the template."""

    def check_geometry(self, run, image, rect, factor):
        frame = frame_on_this_display()
        out = scaled_rect(rect, factor)
        request = self.preview_request(run)
        self.assertEqual(request["out"], out)
        self.assertEqual(request["in"], with_margins(out))
        self.assertEqual(request["inRate"], factor * FIXED_ONE)
        display = run.records("display")[0]
        self.assertEqual(display["bounds"], out)
        self.assertEqual(display["src"], out)
        height, width = out[2] - out[0], out[3] - out[1]
        self.assertEqual(destination(display),
                         (frame[0] + (frame[2] - frame[0] - height) // 2,
                          frame[1] + (frame[3] - frame[1] - width) // 2))
        self.assertImagesEqual(read_png(run.display_path),
                               self.reference(DEFAULT_SETTINGS, image=image, rect=rect, rate=factor))

    def test_geometry_for_each_size_of_image(self):
        top, left, bottom, right = frame_on_this_display()
        frame_width, frame_height = right - left, bottom - top
        cases = [
            # (image, the factor it must get, or None to work it out)
            ((frame_width, frame_height), 2),  # the inset frame is 4 pixels smaller
            ((100, 80), 1),                    # smaller than the frame: full size, centred
            ((3000, 2000), None),
        ]
        for image, expected_factor in cases:
            with self.subTest(image=image):
                run = self.run_dialog("click 2", image=image)
                self.assertRunEnded(run, 1)
                factor = factor_for(*image)
                if expected_factor is not None:
                    self.assertEqual(factor, expected_factor)
                self.check_geometry(run, image, (0, 0, image[1], image[0]), factor)

    def test_selection_away_from_the_origin_leaves_the_pixels_around_it_alone(self):
        image, rect = (1100, 700), (10, 7, 610, 1007)
        run = self.run_dialog("click 1", image=image,
                              options=["--rect", "%d,%d,%d,%d" % rect, "--out-rect-bounds", "image"])
        self.assertRunEnded(run, 0)
        self.check_geometry(run, image, rect, factor_for(rect[3] - rect[1], rect[2] - rect[0]))
        # The preview's output rectangle reaches outside the selection, and the host
        # writes that buffer back into the document at the pass's first request: the
        # pixels around the selection must still be the original ones.
        source, result = self.pattern(image), read_png(run.out_path)
        top, left, bottom, right = rect
        for y in range(image[1]):
            outside = [x for x in range(image[0]) if not (top <= y < bottom and left <= x < right)]
            for x in outside:
                if result.pixel(x, y) != source.pixel(x, y):
                    self.fail("pixel %d,%d outside the selection changed" % (x, y))


class HostKindTests(DialogTestCase):
    """Hosts that cannot sample, or cannot pad: the preview still shows the whole
    selection reduced, filtered as at the factor."""

    def test_preview_is_the_same_for_every_kind_of_host(self):
        factor = factor_for(*IMAGE)
        out = scaled_rect((0, 0, IMAGE[1], IMAGE[0]), factor)
        cases = [
            (["--sampling", "0"], False),
            (["--sampling", "0", "--padding", "no"], False),
            (["--sampling", "1", "--padding", "no"], True),
        ]
        for options, host_samples in cases:
            with self.subTest(options=options):
                run = self.run_dialog("click 2", options=options)
                self.assertRunEnded(run, 1)
                request = self.preview_request(run)
                self.assertEqual(request["out"], out)
                self.assertEqual(request["inRate"], factor * FIXED_ONE if host_samples else FIXED_ONE)
                if not host_samples:
                    # Full-size pixels from the first to the last one sampled, all inside the image.
                    self.assertEqual(request["in"], (0, 0, (out[2] - 1) * factor + 1,
                                                     (out[3] - 1) * factor + 1))
                self.assertEqual(run.records("display")[0]["src"], out)
                self.assertImagesEqual(read_png(run.display_path),
                                       self.reference(DEFAULT_SETTINGS, rate=factor))

    def test_selection_away_from_the_origin_without_sampling(self):
        image, rect = (1100, 700), (10, 7, 610, 1007)
        run = self.run_dialog("click 2", image=image,
                              options=["--rect", "%d,%d,%d,%d" % rect, "--out-rect-bounds", "image",
                                       "--sampling", "0"])
        self.assertRunEnded(run, 1)
        factor = factor_for(rect[3] - rect[1], rect[2] - rect[0])
        self.assertEqual(self.preview_request(run)["inRate"], FIXED_ONE)
        self.assertImagesEqual(read_png(run.display_path),
                               self.reference(DEFAULT_SETTINGS, image=image, rect=rect, rate=factor))


class FailureTests(DialogTestCase):
    def test_failed_advance_state_opens_the_dialog_with_an_empty_frame(self):
        shot = self.path("empty-frame.png")
        params = self.path("block.bin")
        run = self.run_dialog("expect-field 201 50; print-window; shot %s; drag 102 80;"
                              "expect-field 202 80; check 6 0; click 1" % shot,
                              options=["--fail-advance", "1:-50"], params=params, dump=False)
        self.assertRunEnded(run, 0)  # only the preview's request fails; the pass runs
        self.assertEqual(self.preview_request(run).result, -50)
        self.assertEqual(run.records("display"), [], "displayPixels on data never delivered")
        self.assertEqual(block_settings(self.read_block(params)), (50, 80, 0))

        offset, (top, left, bottom, right) = dialog_geometry(run.stdout)
        picture = read_png(shot)
        self.assertEqual(picture.pixel(offset[0] + left, offset[1] + top)[:3], BLACK)
        inside = picture.crop(offset[1] + top + 1, offset[0] + left + 1,
                              offset[1] + bottom - 1, offset[0] + right - 1)
        colours = {inside.pixel(x, y)[:3] for y in range(inside.height) for x in range(inside.width)}
        self.assertEqual(len(colours), 1, "the empty frame is not plain: %d colours" % len(colours))


if __name__ == "__main__":
    main()
