"""The filtering pass as a host sees it: strips, progress, abort, failing
callbacks, masks, the MFI1 host, selections, and the pixels against the slow
reference filter."""

import os
import random
import subprocess

from blocks import native_block
from harness import (HostTestCase, Image, main, module_path, read_png, write_png,
                     NATIVE_BUILD)

STRIP = 32
MARGIN_BEFORE = 96
MARGIN_AFTER = 97

# Whole pictures (130 x 90) by planes and settings, and a selection of a 120 x 100
# picture: also run on the Mac slices by tests/mac/test_mac_emulated.py.
WHOLE_IMAGE_CASES = ((3, (50, 50, 0)), (4, (100, 100, 100)), (3, (0, 100, 80)))
SELECTION_CASE = ((20, 90, 30), (20, 30, 83, 101))


def test_picture(width, height, channels=3, seed=7):
    """Gradients, hard edges, dark areas and noise: every path of the kernel."""
    rng = random.Random(seed)
    image = Image(width, height, channels)
    for y in range(height):
        for x in range(width):
            if (x // 9 + y // 7) % 5 == 0:
                rgb = (0, 0, 0)
            elif x > width * 2 // 3:
                rgb = (255, 255, 255) if (y // 5) % 2 else (20, 40, 60)
            else:
                rgb = ((x * 255) // max(1, width - 1), (y * 255) // max(1, height - 1),
                       rng.randrange(256))
            pixel = list(rgb) + ([(x * 7 + y * 3) % 256] if channels == 4 else [])
            image.set_pixel(x, y, pixel)
    return image


def record_after(run, selector, which=-1):
    """The host record as it stood after a selector call (its `which`-th)."""
    states, previous = [], None
    for record in run.trace:
        if record.kind == "record" and previous is not None and previous.words == [selector]:
            states.append(record)
        if record.kind == "selector" and record.result is not None:
            previous = record
        elif record.kind == "record":
            previous = None
    return states[which]


class FilterPass(HostTestCase):
    def repeat_run(self, settings, extra, picture=None, show_dialog=0, **kwargs):
        """A repeated run (Prepare, Start, Finish) with a kept block, so Start
        filters at once with the stored settings."""
        params = self.path("params.bin")
        with open(params, "wb") as f:
            f.write(native_block(settings=settings, show_dialog=show_dialog))
        source = self.path("in.png")
        write_png(source, picture or test_picture(120, 100))
        out = self.path("out.png")
        run = self.run_host(["run", module_path(), "--in", source, "--out", out, "--repeat",
                             "--params", params] + extra, **kwargs)
        return run, source, out

    def reference(self, source, settings, rect=None):
        tool = os.path.join(NATIVE_BUILD, "filter_reference")
        self.assertTrue(os.path.exists(tool), "no %s: build the native tree" % tool)
        expected = self.path("expected.png")
        command = [tool, source, expected, "--settings", "%d,%d,%d" % settings]
        if rect:
            command += ["--rect", "%d,%d,%d,%d" % rect]
        subprocess.run(command, check=True)
        return read_png(expected)

    def test_a_hundred_rows_come_in_strips_of_32_with_progress_before_each(self):
        run, _, _ = self.repeat_run((40, 60, 10), ["--rect", "0,0,100,120"])
        self.assertEqual(run.result("start"), 0, run.report())
        progress = [tuple(int(w) for w in r.words) for r in run.records("progress")]
        self.assertEqual(progress, [(0, 100), (32, 100), (64, 100), (96, 100)])
        advances = run.records("advance")
        self.assertEqual([a["out"] for a in advances],
                         [(0, 0, 32, 120), (32, 0, 64, 120), (64, 0, 96, 120), (96, 0, 100, 120)])
        for a in advances:
            top, left, bottom, right = a["out"]
            self.assertEqual(a["in"], (top - MARGIN_BEFORE, left - MARGIN_BEFORE,
                                       bottom + MARGIN_AFTER, right + MARGIN_AFTER))
            self.assertEqual((a["inPlanes"], a["outPlanes"], a["inPad"], a["outPad"]),
                             ("0-2", "0-2", -1, -1))
            self.assertEqual((a["inRate"], a["maskRate"]), (0x10000, 0x10000))
        # Each strip: progress, then the abort test, then advanceState.
        kinds = [r.kind for r in run.trace if r.kind in ("progress", "abort", "advance")]
        self.assertEqual(kinds, ["progress", "abort", "advance"] * 4)
        after_start = record_after(run, "start")
        self.assertEqual((after_start["inRect"], after_start["outRect"]),
                         ((0, 0, 0, 0), (0, 0, 0, 0)))
        self.assertEqual(run.selectors(), ["prepare", "start", "finish"])

    def test_thirty_two_rows_are_one_strip(self):
        run, _, _ = self.repeat_run((40, 60, 10), ["--rect", "10,0,42,120"])
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual([tuple(int(w) for w in r.words) for r in run.records("progress")],
                         [(0, 32)])
        self.assertEqual([a["out"] for a in run.records("advance")], [(10, 0, 42, 120)])

    def test_a_rectangle_without_rows_still_makes_one_pass(self):
        run, source, out = self.repeat_run((40, 60, 10), ["--rect", "50,0,50,120"])
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertEqual([tuple(int(w) for w in r.words) for r in run.records("progress")],
                         [(0, 0)])
        self.assertEqual(len(run.records("abort")), 1)
        self.assertEqual([a["out"] for a in run.records("advance")], [(50, 0, 50, 120)])
        self.assertImagesEqual(read_png(out), read_png(source))

    def test_abort_at_the_first_test_requests_nothing_and_releases_the_buffer(self):
        run, source, out = self.repeat_run((40, 60, 10), ["--abort-at", "1"])
        self.assertEqual(run.result("start"), 1, run.report())
        self.assertEqual(run.records("advance"), [])
        record = record_after(run, "start")
        self.assertEqual((record["inRect"], record["outRect"]), ((0, 0, 0, 0), (0, 0, 0, 0)))
        # The work buffer: (120 + 194) * 12 bytes, made, locked, and disposed again.
        made = [r for r in run.records("handle", "new") if r.words[1] == str((120 + 194) * 12)]
        self.assertEqual(len(made), 1, run.report())
        buffer = made[0].result
        self.assertEqual(len(run.records("handle", "dispose", buffer)), 1)
        self.assertImagesEqual(read_png(out), read_png(source))

    def test_a_failing_advance_state_keeps_the_strips_already_written(self):
        settings = (30, 100, 0)
        run, source, out = self.repeat_run(settings, ["--fail-advance", "3:-50"])
        self.assertEqual(run.result("start"), -50, run.report())
        self.assertEqual(len(run.records("advance")), 3)
        result, original = read_png(out), read_png(source)
        expected = self.reference(source, settings)
        self.assertImagesEqual(result.crop(0, 0, 64, 120), expected.crop(0, 0, 64, 120))
        self.assertImagesEqual(result.crop(64, 0, 100, 120), original.crop(64, 0, 100, 120))
        record = record_after(run, "start")
        self.assertEqual((record["inRect"], record["outRect"]), ((0, 0, 0, 0), (0, 0, 0, 0)))

    def test_a_mask_is_left_alone_unless_the_selection_floats(self):
        run, _, _ = self.repeat_run((40, 60, 10), ["--mask"])
        self.assertEqual(run.result("start"), 0, run.report())
        for a in run.records("advance"):
            self.assertEqual((a["mask"], a["maskPad"]), ((-4242, -4242, -4243, -4243), 4242))
        run, _, _ = self.repeat_run((40, 60, 10), ["--mask", "--floating"])
        self.assertEqual(run.result("start"), 0, run.report())
        for a in run.records("advance"):
            self.assertEqual((a["mask"], a["maskPad"]), ((0, 0, 0, 0), -1))

    def test_the_mfi1_host_loses_its_parameter_handle_after_every_start(self):
        for extra, code in ((["--host-sig", "MFI1"], 0),
                            (["--host-sig", "MFI1", "--fail-advance", "1:-50"], -50)):
            run, _, _ = self.repeat_run((40, 60, 10), extra)
            self.assertEqual(run.result("start"), code, run.report())
            after_start = record_after(run, "start")
            self.assertEqual(after_start["parameters"], "null", run.report())
            self.assertEqual(len(run.records("handle", "dispose", "h1")), 1, run.report())
        # A second Start without Parameters finds no block: -109.
        run, _, _ = self.repeat_run((40, 60, 10), ["--host-sig", "MFI1", "--then", "repeat"])
        self.assertEqual([code for name, code in run.results if name == "start"], [0, -109],
                         run.report())

    def test_a_selection_reads_real_neighbours_and_leaves_the_rest_alone(self):
        settings, rect = SELECTION_CASE
        run, source, out = self.repeat_run(settings, ["--rect", "%d,%d,%d,%d" % rect])
        self.assertEqual(run.result("start"), 0, run.report())
        self.assertImagesEqual(read_png(out), self.reference(source, settings, rect))

    def test_whole_images_equal_the_reference_with_three_and_four_planes(self):
        for planes, settings in WHOLE_IMAGE_CASES:
            picture = test_picture(130, 90, channels=planes)
            run, source, out = self.repeat_run(settings, ["--planes", str(planes)], picture=picture)
            self.assertEqual(run.result("start"), 0, run.report())
            self.assertImagesEqual(read_png(out), self.reference(source, settings),
                                   "planes %d settings %s" % (planes, settings))


if __name__ == "__main__":
    main()
