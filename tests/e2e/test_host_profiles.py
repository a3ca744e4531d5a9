"""The module under plughost's host profiles: each reproduces the quirks that
plug-in authors report about one real host. Under every profile that this width
can run, a dialog run, its repeat and a selection must each give the reference
bytes, and the dialog's preview the reference preview; a profile of the other
width must be refused with a message."""

import os
import shutil
import subprocess
import tempfile

from blocks import native_block
from harness import (ARCH, EXIT_HOST_ERROR, EXIT_OK, EXIT_SELECTOR_FAILED, HostTestCase, main,
                     module_path, read_png, run_plughost, write_png, NATIVE_BUILD)
from test_dialog import factor_for
from test_filter_pass import test_picture

# Profile: the one width it runs, or None for both.
PROFILES = {
    "photoshop": None,
    "photoshop-alike": None,
    "irfanview": None,
    "gimp-pmig": None,
    "photodemon": "win32",
    "affinity": "win64",
    "paintshop": "win64",
    "paintdotnet": None,
}
# Hosts that keep no parameters between runs: the last-used file stands in.
FORGETFUL = ("photoshop-alike", "irfanview", "gimp-pmig")

WIDTH, HEIGHT = 150, 110  # four strips of 32 rows and one of 14
SELECTION = (20, 30, 95, 120)
DIALOG_SETTINGS = (30, 80, 0)
DIALOG = "type 201 30; type 202 80; click 1"
STORED_SETTINGS = (20, 90, 30)
INCOMPATIBLE_HOST = "This plug-in is incompatible with this version of the host program"


class HostProfiles(HostTestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # One source picture and one reference per settings for the whole file:
        # the reference filter is slow, and every profile must match the same.
        cls.shared = tempfile.mkdtemp(prefix="lumiveil-profiles-")
        if os.environ.get("LUMIVEIL_KEEP_TMP") != "1":
            cls.addClassCleanup(shutil.rmtree, cls.shared, True)
        cls.source = os.path.join(cls.shared, "in.png")
        write_png(cls.source, test_picture(WIDTH, HEIGHT))
        cls.references = {}

    def setUp(self):
        super().setUp()
        self.windows = self.path("win")
        os.makedirs(self.windows)

    def reference(self, settings, rect=None, rate=None):
        """The filtered picture, or with a rate what the preview must show."""
        if (settings, rect, rate) in self.references:
            return self.references[settings, rect, rate]
        tool = os.path.join(NATIVE_BUILD, "filter_reference")
        self.assertTrue(os.path.exists(tool), "no %s: build the native tree" % tool)
        expected = os.path.join(self.shared, "expected-%d.png" % len(self.references))
        command = [tool, self.source, expected, "--settings", "%d,%d,%d" % settings]
        if rect:
            command += ["--rect", "%d,%d,%d,%d" % rect]
        if rate:
            command += ["--rate", str(rate)]
        subprocess.run(command, check=True)
        self.references[settings, rect, rate] = read_png(expected)
        return self.references[settings, rect, rate]

    def reference_preview(self):
        return self.reference(DIALOG_SETTINGS, rate=factor_for(WIDTH, HEIGHT))

    def run_profile(self, profile, out, extra):
        return self.run_host(["run", module_path(), "--host-profile", profile, "--in",
                              self.source, "--out", out, "--windows-dir", self.windows] + extra)

    def assertProfileGivesTheReference(self, profile):
        # A confirmed dialog alone: its preview and its picture.
        out, shown = self.path("dialog.png"), self.path("display.png")
        run = self.run_profile(profile, out, ["--do", DIALOG, "--dump-display", shown])
        self.assertEqual((run.returncode, run.lines("dialog:")), (EXIT_OK, []), run.report())
        self.assertImagesEqual(read_png(shown), self.reference_preview(), profile + ", preview")
        self.assertImagesEqual(read_png(out), self.reference(DIALOG_SETTINGS), profile + ", dialog")

        # A confirmed dialog, then the host's repeat of the last filter: both give
        # the dialog's settings (the output is the repeat's).
        out = self.path("repeat.png")
        run = self.run_profile(profile, out, ["--do", DIALOG, "--then", "repeat"])
        self.assertEqual((run.returncode, run.lines("dialog:")), (EXIT_OK, []), run.report())
        self.assertEqual([code for name, code in run.results if name == "start"], [0, 0],
                         run.report())
        self.assertImagesEqual(read_png(out), self.reference(DIALOG_SETTINGS), profile + ", repeat")

        if profile in FORGETFUL:
            # The next menu run of a host that kept nothing opens the dialog at
            # the settings confirmed last.
            out = self.path("again.png")
            run = self.run_profile(profile, out, [
                "--rect", "%d,%d,%d,%d" % SELECTION, "--do",
                "expect-field 201 30; expect-field 202 80; expect-field 203 0; click 1"])
            self.assertEqual((run.returncode, run.lines("dialog:")), (EXIT_OK, []), run.report())
            self.assertImagesEqual(read_png(out), self.reference(DIALOG_SETTINGS, SELECTION),
                                   profile + ", dialog again")

        # A selection repeated with stored settings.
        params, out = self.path("params.bin"), self.path("selection.png")
        with open(params, "wb") as f:
            f.write(native_block(settings=STORED_SETTINGS, show_dialog=0))
        run = self.run_profile(profile, out, ["--repeat", "--params", params, "--rect",
                                              "%d,%d,%d,%d" % SELECTION])
        self.assertEqual((run.returncode, run.result("start")), (EXIT_OK, 0), run.report())
        self.assertImagesEqual(read_png(out), self.reference(STORED_SETTINGS, SELECTION),
                               profile + ", selection")

    def check_profile(self, profile):
        width = PROFILES[profile]
        if width is None or width == ARCH:
            self.assertProfileGivesTheReference(profile)
            return
        run = self.run_profile(profile, self.path("out.png"), ["--repeat"])
        self.assertEqual(run.returncode, EXIT_HOST_ERROR, run.report())
        self.assertIn("runs only %s-bit plug-ins" % width[3:], run.stderr, run.report())
        self.assertEqual(run.results, [], "the module was never called")

    def test_help_lists_every_profile_on_a_line_of_its_own(self):
        run = run_plughost(["run", "--host-profile", "help"])
        self.assertEqual(run.returncode, EXIT_OK, run.report())
        names = [line.split(":")[0] for line in run.stdout.splitlines() if line]
        self.assertEqual(sorted(names), sorted(PROFILES), run.stdout)

    def test_photoshop(self):
        self.check_profile("photoshop")

    def test_photoshop_alike_keeps_no_parameters(self):
        self.check_profile("photoshop-alike")

    def test_irfanview(self):
        self.check_profile("irfanview")

    def test_irfanview_goes_on_after_a_cancelled_dialog(self):
        out = self.path("out.png")
        run = self.run_profile("irfanview", out, ["--do", "click 2"])
        self.assertEqual(run.returncode, EXIT_SELECTOR_FAILED, run.report())
        self.assertEqual(run.results, [("parameters", 0), ("prepare", 0), ("start", 1),
                                       ("finish", 0)], run.report())
        self.assertImagesEqual(read_png(out), read_png(self.source))
        # A switch after the profile overrides it: this host stops at the failure.
        run = self.run_profile("irfanview", out, ["--no-ignore-results", "--do", "click 2"])
        self.assertEqual(run.results, [("parameters", 0), ("prepare", 0), ("start", 1)],
                         run.report())

    def test_irfanview_previews_what_photoshop_previews(self):
        # The plane fields read 0 after the preview's delivery; the preview must
        # still draw every plane of each pixel.
        shown = {}
        for profile in ("photoshop", "irfanview"):
            shown[profile] = self.path("display-%s.png" % profile)
            run = self.run_profile(profile, self.path("out.png"), [
                "--do", DIALOG, "--dump-display", shown[profile]])
            self.assertEqual((run.returncode, run.lines("dialog:")), (EXIT_OK, []), run.report())
        self.assertImagesEqual(read_png(shown["irfanview"]), read_png(shown["photoshop"]))
        self.assertImagesEqual(read_png(shown["photoshop"]), self.reference_preview())

    def test_gimp_pmig(self):
        self.check_profile("gimp-pmig")

    def test_gimp_pmig_refuses_what_maxspace_cannot_hold_in_one_rectangle(self):
        params, out = self.path("params.bin"), self.path("out.png")
        with open(params, "wb") as f:
            f.write(native_block(settings=STORED_SETTINGS, show_dialog=0))
        run = self.run_profile("gimp-pmig", out, [
            "--repeat", "--params", params, "--max-space", "100000",
            "--do", 'expect-text "%s"; click 1' % INCOMPATIBLE_HOST])
        self.assertEqual(run.lines("dialog:"), [], run.report())
        self.assertEqual(run.result("start"), 1, run.report())
        self.assertEqual(run.records("advance"), [])
        self.assertImagesEqual(read_png(out), read_png(self.source))

    def test_photodemon(self):
        self.check_profile("photodemon")

    def test_affinity(self):
        self.check_profile("affinity")

    def test_paintshop(self):
        self.check_profile("paintshop")

    def test_paintdotnet(self):
        self.check_profile("paintdotnet")


if __name__ == "__main__":
    main()
