"""The About box, as a user and a host see it: where it opens, what it shows, what
closes it, and that it leaves no brush behind.

Runs the real module in the reference host under Wine (plughost about). Wine's
GetGuiResources answers 0 for every process, so plughost's gdi-count cannot show a
leak; instead the module's own calls are read from Wine's relay log
(WINEDEBUG=+relay): every CreateSolidBrush of the box's colour must be matched by a
DeleteObject of the same handle before the box is gone.

    LUMIVEIL_ARCH=win64 LUMIVEIL_BUILD=<folder with win32/ and win64/> \\
        python3 tests/e2e/test_about.py
"""

import os
import re
import shutil
import subprocess

import pe_resources as pe
from harness import (ARCH, BUILD, EXIT_OK, TOOL, HostTestCase, ensure_display, main, module_path,
                     read_png)

# The picture is 425 x 250; the box adds a one-pixel border on every side.
BOX_WIDTH, BOX_HEIGHT = 427, 252
PICTURE_WIDTH, PICTURE_HEIGHT = 425, 250
ABOUT_PICTURE = 16000
US_ENGLISH = 1033
BACKGROUND = "00eeeeee"  # RGB(238, 238, 238) as a COLORREF
HOST_WINDOW_POSITION = (40, 30)  # the host window's outer corner (--window-pos)

HOST_RE = re.compile(r"^host window: client origin (-?\d+),(-?\d+) size (\d+)x(\d+)$", re.M)
WINDOW_RE = re.compile(r"^window: x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+) "
                       r"client: x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+)$", re.M)
DELETE_RE = re.compile(r"Call gdi32\.DeleteObject\(([0-9a-f]+)\)")


def returned(calls, index, function):
    """The value that the call at calls[index] returned: its Ret line on the same thread."""
    thread = calls[index].split(":", 1)[0]
    for line in calls[index + 1:]:
        if line.startswith(thread + ":Ret  %s() retval=" % function):
            return line.split("retval=", 1)[1].split()[0]
    return None


def truncating_division(a, b):
    """Division that truncates toward zero, as the module's C++ does."""
    quotient = abs(a) // b
    return quotient if a >= 0 else -quotient


def parsed(pattern, stdout):
    match = pattern.search(stdout.replace("\r", ""))
    if not match:
        raise AssertionError("no %r in:\n%s" % (pattern.pattern, stdout))
    return [int(v) for v in match.groups()]


def screen_size():
    """The X screen's size in pixels, or None without xdpyinfo."""
    if not shutil.which("xdpyinfo"):
        return None
    completed = subprocess.run(["xdpyinfo"], env=dict(os.environ, DISPLAY=ensure_display()),
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    match = re.search(r"dimensions:\s+(\d+)x(\d+) pixels", completed.stdout.decode("latin-1"))
    return (int(match.group(1)), int(match.group(2))) if match else None


def about_picture():
    """Bitmap 16000 of the module as rows of RGB bytes, top row first."""
    resources = pe.read_resources(pe.read_pe(module_path()))
    info = pe.decode_bitmap(resources[(pe.RT_BITMAP, ABOUT_PICTURE, US_ENGLISH)])
    stride = pe.bitmap_row_stride(info.width, info.bit_count)
    rows = []
    for stored in range(info.height):
        line = info.pixels[stored * stride:stored * stride + info.width]
        rows.append(b"".join(bytes(info.palette[index]) for index in line))
    rows.reverse()  # stored bottom-up
    return info.width, info.height, rows


class AboutBoxTests(HostTestCase):
    def run_about(self, steps, options=()):
        return self.run_host(["about", module_path(), "--do", steps] + list(options))

    def assertClosed(self, run):
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual(run.results, [("about", 0)], run.report())

    def test_box_sits_centred_across_the_host_window_a_third_of_the_way_down(self):
        shot = os.path.join(BUILD, "screenshots", "about-%s.png" % ARCH)
        os.makedirs(os.path.dirname(shot), exist_ok=True)
        for width, height in ((1024, 768), (300, 200)):  # the second is narrower than the box
            with self.subTest(host_window=(width, height)):
                steps = "print-window; %sclick-window" % ("shot %s; " % shot if width == 1024 else "")
                run = self.run_about(steps, ["--host-window", "%dx%d" % (width, height),
                                             "--window-pos", "%d,%d" % HOST_WINDOW_POSITION])
                self.assertClosed(run)
                origin_x, origin_y, client_w, client_h = parsed(HOST_RE, run.stdout)
                self.assertEqual((client_w, client_h), (width, height))
                # The offsets are measured by the host's outer size: its frame is the
                # same width on the left, right and bottom.
                border = origin_x - HOST_WINDOW_POSITION[0]
                outer_w = client_w + 2 * border
                outer_h = client_h + (origin_y - HOST_WINDOW_POSITION[1]) + border
                box = parsed(WINDOW_RE, run.stdout)
                expected_x = origin_x + truncating_division(outer_w - BOX_WIDTH, 2)
                expected_y = origin_y + truncating_division(outer_h - BOX_HEIGHT, 3)
                self.assertEqual(box[:4], [expected_x, expected_y, BOX_WIDTH, BOX_HEIGHT])
                self.assertEqual(box[6:], [PICTURE_WIDTH, PICTURE_HEIGHT])
                if width < BOX_WIDTH:
                    self.assertLess(box[0], origin_x)

    def test_box_shows_the_picture_filling_it_inside_a_one_pixel_border(self):
        shot = self.path("about.png")
        run = self.run_about("shot %s; press escape" % shot)
        self.assertClosed(run)
        picture = read_png(shot)
        self.assertEqual((picture.width, picture.height), (BOX_WIDTH, BOX_HEIGHT))
        width, height, rows = about_picture()
        self.assertEqual((width, height), (PICTURE_WIDTH, PICTURE_HEIGHT))
        inside = picture.crop(1, 1, 1 + height, 1 + width)
        for y in range(height):
            shown = bytes(b for x in range(width) for b in inside.pixel(x, y)[:3])
            if shown != rows[y]:
                self.fail("row %d of the box is not row %d of bitmap 16000" % (y + 1, y))

    def test_without_a_host_window_the_box_is_centred_on_the_screen(self):
        screen = screen_size()
        if screen is None:
            self.skipTest("xdpyinfo is not installed, so the screen size is unknown")
        for option in ("--no-platform-data", "--no-hwnd"):
            with self.subTest(option=option):
                run = self.run_about("print-window; press enter", [option])
                self.assertClosed(run)
                box = parsed(WINDOW_RE, run.stdout)
                self.assertEqual(box[:4], [(screen[0] - BOX_WIDTH) // 2, (screen[1] - BOX_HEIGHT) // 2,
                                           BOX_WIDTH, BOX_HEIGHT])

    def test_click_enter_and_escape_close_the_box_and_its_brush_goes_with_it(self):
        """The host counts the GDI objects the module makes and deletes through its
        imports (Wine's GetGuiResources answers 0): one brush per box, deleted."""
        for closing in ("click-window", "press enter", "press escape"):
            with self.subTest(closing=closing):
                run = self.run_host(["about", module_path(), "--count-gdi", "--do", closing])
                self.assertEqual(run.returncode, EXIT_OK, run.report())
                self.assertEqual(run.result("about"), 0, run.report())
                made = run.records("gdi", "create")
                self.assertEqual([r.words[1] for r in made], ["CreateSolidBrush"], run.report())
                deleted = [r for r in run.records("gdi", "delete")
                           if int(r.words[1], 16) == made[0].result]
                self.assertEqual([r.result for r in deleted], [1], run.report())
                self.assertEqual(run.lines("gdi:"), ["created 1 deleted 1 alive 0"])

    def test_fifty_openings_leave_no_gdi_object_behind(self):
        """The host counts every GDI object the module makes and deletes through its
        imports; the box's brush must go with each box."""
        run = self.run_host(["about", module_path(), "--runs", "50", "--count-gdi",
                             "--do", "press escape"], trace=False)
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        self.assertEqual(run.lines("about:"), [str(n) for n in range(1, 51)], run.report())
        self.assertEqual(run.lines("gdi:"), ["created 50 deleted 50 alive 0"], run.report())


if __name__ == "__main__":
    main()
