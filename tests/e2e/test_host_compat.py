"""Hosts that offer less than Photoshop: no padding (or clipping inRect), odd
modes and plane counts, coordinates near the 16-bit limit. The picture must
come out right or the run must be refused cleanly."""

import os
import subprocess

from blocks import native_block
from harness import HostTestCase, Image, main, module_path, read_png, write_png, NATIVE_BUILD
from test_filter_pass import test_picture

# Pictures of 140 x 90 with these planes and selections, filtered at PADDING_SETTINGS
# by hosts with and without padding: also run on the Mac slices by
# tests/mac/test_mac_emulated.py.
PADDING_CASES = [
    ("whole image", 3, None),
    ("whole image, four planes", 4, None),
    ("touching the top and left", 3, "0,0,40,50"),
    ("touching the bottom", 3, "60,20,90,100"),
    ("touching the right", 4, "10,70,50,140"),
    ("one column at the right edge", 3, "0,139,90,140"),
]
PADDING_SETTINGS = (60, 80, 20)


class HostCompatibility(HostTestCase):
    def repeat(self, source, out, settings, extra):
        params = self.path("params.bin")
        with open(params, "wb") as f:
            f.write(native_block(settings=settings, show_dialog=0))
        return self.run_host(["run", module_path(), "--in", source, "--out", out, "--repeat",
                              "--params", params] + extra)

    def test_hosts_without_padding_get_the_same_bytes(self):
        for what, planes, rect in PADDING_CASES:
            with self.subTest(what):
                source = self.path("in-%d.png" % planes)
                write_png(source, test_picture(140, 90, channels=planes, seed=planes))
                extra = ["--planes", str(planes)] + (["--rect", rect] if rect else [])
                outputs = []
                for padding in ("yes", "no"):
                    out = self.path("out-%s.png" % padding)
                    run = self.repeat(source, out, PADDING_SETTINGS, extra + ["--padding", padding])
                    self.assertEqual(run.result("start"), 0, run.report())
                    if padding == "no":
                        # Nothing outside the image was asked for.
                        for a in run.records("advance"):
                            top, left, bottom, right = a["in"]
                            self.assertTrue(top >= 0 and left >= 0 and bottom <= 90 and
                                            right <= 140, a.line)
                    outputs.append(read_png(out))
                self.assertImagesEqual(outputs[1], outputs[0], what)

    def test_unsupported_modes_and_plane_counts_are_refused_before_reading(self):
        source = self.path("in.png")
        write_png(source, test_picture(40, 30))
        for extra in (["--image-mode", "1"], ["--image-mode", "11"], ["--planes", "2"],
                      ["--planes", "1"]):
            with self.subTest(" ".join(extra)):
                run = self.repeat(source, self.path("out.png"), (50, 50, 0), extra)
                self.assertEqual(run.result("start"), -30101, run.report())
                self.assertEqual(run.records("advance"), [])
                if "--image-mode" in extra:
                    self.assertImagesEqual(read_png(self.path("out.png")), read_png(source))

    def test_null_progress_and_abort_procs_are_never_called(self):
        source = self.path("in.png")
        write_png(source, test_picture(80, 70))
        expected, actual = self.path("expected.png"), self.path("actual.png")
        run = self.repeat(source, expected, (30, 60, 10), [])
        self.assertEqual(run.result("start"), 0, run.report())
        run = self.repeat(source, actual, (30, 60, 10), ["--no-progress", "--no-abort"])
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual((run.records("progress"), run.records("abort")), ([], []))
        self.assertImagesEqual(read_png(actual), read_png(expected))

    def test_the_dialog_opens_without_an_owner_window(self):
        for option in ("--no-hwnd", "--no-platform-data"):
            with self.subTest(option):
                run = self.run_host(["run", module_path(), "--in", "pattern:200x150", "--out",
                                     self.path("out.png"), "--windows-dir", self.path("win"),
                                     option, "--do", "expect-field 202 50; drag 102 70; "
                                     "expect-field 202 70; click 1"])
                self.assertEqual(run.lines("dialog:"), [], run.report())
                self.assertEqual(run.result("start"), 0, run.report())

    def test_a_strip_32000_pixels_wide_is_right_at_its_right_edge(self):
        width, height = 32000, 40
        settings = (100, 100, 40)
        picture = Image(width, height, 3)
        for y in range(height):
            for x in range(width - 400, width):
                picture.set_pixel(x, y, ((x * 13 + y * 7) % 256, (x * 3) % 256,
                                         0 if (x // 5 + y // 3) % 3 == 0 else 200))
        source, out = self.path("wide.png"), self.path("wide-out.png")
        write_png(source, picture)
        run = self.repeat(source, out, settings, [])
        self.assertEqual(run.result("start"), 0, run.report())
        advance = run.records("advance")[0]
        self.assertEqual(advance["in"], (-96, -96, 32 + 97, width + 97))
        # The box of the last 200 columns reaches back at most 96 columns: the
        # reference over the last 400 columns sees the same neighbourhood.
        tail = self.path("tail.png")
        write_png(tail, picture.crop(0, width - 400, height, width))
        expected = self.path("tail-expected.png")
        subprocess.run([os.path.join(NATIVE_BUILD, "filter_reference"), tail, expected,
                        "--settings", "%d,%d,%d" % settings], check=True)
        self.assertImagesEqual(read_png(out).crop(0, width - 200, height, width),
                               read_png(expected).crop(0, 200, height, 400))


if __name__ == "__main__":
    main()
