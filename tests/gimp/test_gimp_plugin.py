"""The GIMP plug-in end to end: real GIMP, headless, against the module's own bytes.

gimp-console-2.10 runs in batch mode with a private profile folder (GIMP2_DIRECTORY),
so nothing of the machine's own GIMP settings is read or written; the plug-in is
installed there by tools/install-gimp-plugin.sh. Script-Fu calls plug-in-lumiveil
non-interactively on pictures made here, and every result must equal, byte for
byte, what the 64-bit module gives in plughost for the same picture and settings.

Environment (ctest sets it): LUMIVEIL_GIMP_PLUGIN, the built plug-in;
LUMIVEIL_BUILD, the folder holding win64/; LUMIVEIL_WINEPREFIX for plughost.
Fails when the plug-in or the module is missing; without GIMP it counts as skipped (77)
only where this machine cannot install it (tests/e2e/skips.py).
"""

import collections
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get("LUMIVEIL_SOURCE") or os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))

from harness import ensure_display  # noqa: E402
from pngio import Image, describe_difference, read_png, write_png  # noqa: E402
from skips import exit_unless_present, machine_cannot  # noqa: E402

BUILD = os.environ.get("LUMIVEIL_BUILD") or os.path.join(SOURCE, "build")
PLUGIN = os.environ.get("LUMIVEIL_GIMP_PLUGIN") or os.path.join(BUILD, "gimp", "lumiveil")
MODULE = os.path.join(BUILD, "win64", "LumiveilFilter.8bf")
GIMP = shutil.which("gimp-console-2.10")
GIMP_TIMEOUT = 600
PLUGHOST_TIMEOUT = 300

# The offset-layer case: a picture smaller than its image, away from the origin.
IMAGE_SIZE = (400, 300)
LAYER_OFFSET = (70, 50)

# rect is top, left, bottom, right (plughost's order); offset puts the picture as
# a layer at that place in a white IMAGE_SIZE image.
Case = collections.namedtuple("Case", "name picture settings rect offset")
CASES = [
    Case("rgb_layer", "rgb", (30, 80, 10), None, False),
    Case("rgba_layer", "rgba", (30, 80, 10), None, False),
    # Radius 58: the box reaches real pixels around the selection and past the top edge.
    Case("selection_away_from_origin", "rgb", (60, 90, 20), (37, 61, 150, 230), False),
    Case("offset_layer", "small", (45, 70, 5), None, True),
    Case("settings_at_zero", "rgb", (0, 0, 0), None, False),
    # Radius 96 on a 300 x 200 picture: the box spans most of it, edges repeated.
    Case("settings_at_hundred", "rgb", (100, 100, 100), None, False),
]
PICTURES = {"rgb": (300, 200, 3), "rgba": (300, 200, 4), "small": (160, 120, 3), "gray": (60, 40, 1)}
GRAY_REFUSAL = "works on RGB layers only"
RANGE_REFUSAL = "must each lie in 0..100"


def make_picture(width, height, channels, seed):
    """Gradients, noise and hard-edged dark blocks: every part of the effect shows."""
    rng = random.Random(seed)
    image = Image(width, height, channels)
    for y in range(height):
        for x in range(width):
            dark = (x // 23 + y // 17) % 3 == 0
            base = [(x * 7 + y * 3) % 256, (x * x // 50 + y) % 256, (y * 5 + x) % 256]
            values = [max(0, min(255, (v // 4 if dark else v) + rng.randint(-30, 30))) for v in base]
            # Alpha from 1 up: GIMP's PNG export may clear the colour of transparent pixels.
            extra = [1 + (x * 3 + y) % 255] if channels == 4 else []
            image.set_pixel(x, y, (values[:channels] if channels < 3 else values) + extra)
    return image


def scheme_string(text):
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


def save_layer(out):
    return "(file-png-save RUN-NONINTERACTIVE image layer %s %s 0 9 0 0 0 0 0)" % (
        scheme_string(out), scheme_string(os.path.basename(out)))


def load_image(path):
    return "(image (car (gimp-file-load RUN-NONINTERACTIVE %s %s)))" % (
        scheme_string(path), scheme_string(os.path.basename(path)))


def call_filter(settings):
    return "(plug-in-lumiveil RUN-NONINTERACTIVE image layer %d %d %d)" % settings


def case_script(case, picture, out):
    """One batch command: make the image, filter, export the layer, delete the image."""
    if case.offset:
        return ("(let* ((image (car (gimp-image-new %d %d RGB)))"
                " (base (car (gimp-layer-new image %d %d RGB-IMAGE \"base\" 100 LAYER-MODE-NORMAL)))"
                " (layer (car (gimp-file-load-layer RUN-NONINTERACTIVE image %s))))"
                " (gimp-image-insert-layer image base 0 0) (gimp-drawable-fill base FILL-WHITE)"
                " (gimp-image-insert-layer image layer 0 -1) (gimp-layer-set-offsets layer %d %d)"
                " %s %s (gimp-image-delete image))" % (
                    IMAGE_SIZE + IMAGE_SIZE + (scheme_string(picture),) + LAYER_OFFSET +
                    (call_filter(case.settings), save_layer(out))))
    select = ""
    if case.rect:
        top, left, bottom, right = case.rect
        select = "(gimp-image-select-rectangle image CHANNEL-OP-REPLACE %d %d %d %d)" % (
            left, top, right - left, bottom - top)
    return ("(let* (%s (layer (car (gimp-image-get-active-layer image))))"
            " %s %s %s (gimp-image-delete image))" % (
                load_image(picture), select, call_filter(case.settings), save_layer(out)))


def refusal_script(picture, settings, out=None):
    """Calls the filter where it must refuse; with out, catches the error and exports."""
    call = call_filter(settings)
    if out is None:
        return "(let* (%s (layer (car (gimp-image-get-active-layer image)))) %s)" % (
            load_image(picture), call)
    return ("(let* (%s (layer (car (gimp-image-get-active-layer image))))"
            " (catch #f %s) %s (gimp-image-delete image))" % (load_image(picture), call,
                                                            save_layer(out)))


class GimpPluginTests(unittest.TestCase):
    """All GIMP work happens in one batch run in setUpClass; the tests check its files."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="lumiveil-gimp-")
        cls.pictures = {}
        for seed, (name, (width, height, channels)) in enumerate(sorted(PICTURES.items())):
            path = os.path.join(cls.folder, name + ".png")
            write_png(path, make_picture(width, height, channels, seed))
            cls.pictures[name] = path
        cls.profile = os.path.join(cls.folder, "profile")
        # GIMP saves its gradients at exit and complains when the folder is missing.
        os.makedirs(os.path.join(cls.profile, "gradients"))
        subprocess.run([os.path.join(SOURCE, "tools", "install-gimp-plugin.sh"), "--plugin", PLUGIN,
                        "--into", os.path.join(cls.profile, "plug-ins")],
                       check=True, stdout=subprocess.DEVNULL)
        cls.gimp_log = cls.run_gimp()
        # One display for every plughost run, so that none waits for Wine to let go of its own.
        ensure_display()

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    @classmethod
    def path(cls, name):
        return os.path.join(cls.folder, name)

    @classmethod
    def run_gimp(cls):
        commands = [case_script(case, cls.pictures[case.picture], cls.path(case.name + "-gimp.png"))
                    for case in CASES]
        commands.append(refusal_script(cls.pictures["gray"], (50, 50, 0)))
        commands.append(refusal_script(cls.pictures["gray"], (50, 50, 0), cls.path("gray-gimp.png")))
        commands.append(refusal_script(cls.pictures["rgb"], (50, 101, 0)))
        commands.append(refusal_script(cls.pictures["rgb"], (-1, 50, 0), cls.path("range-gimp.png")))
        arguments = [GIMP, "--no-interface", "--no-data", "--no-fonts"]
        for command in commands + ["(gimp-quit 0)"]:
            arguments += ["--batch", command]
        environment = dict(os.environ, GIMP2_DIRECTORY=cls.profile)
        run = subprocess.run(arguments, env=environment, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, timeout=GIMP_TIMEOUT, universal_newlines=True)
        return run.stdout

    def run_module(self, case):
        out = self.path(case.name + "-module.png")
        arguments = [os.path.join(SOURCE, "tools", "plughost"), "--arch", "win64", "run", MODULE,
                     "--in", self.pictures[case.picture], "--out", out,
                     "--do", "type 201 %d; type 202 %d; type 203 %d; click 1" % case.settings]
        if PICTURES[case.picture][2] == 4:
            arguments += ["--planes", "4"]
        if case.rect:
            arguments += ["--rect", ",".join(str(v) for v in case.rect)]
        run = subprocess.run(arguments, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             timeout=PLUGHOST_TIMEOUT, universal_newlines=True)
        self.assertEqual(run.returncode, 0, run.stdout)
        return read_png(out)

    def gimp_result(self, name):
        path = self.path(name + "-gimp.png")
        self.assertTrue(os.path.exists(path), "GIMP wrote no %s:\n%s" % (path, self.gimp_log))
        return read_png(path)

    def test_results_equal_the_modules_bytes(self):
        for case in CASES:
            with self.subTest(case.name):
                ours = self.gimp_result(case.name)
                theirs = self.run_module(case)
                self.assertEqual(ours, theirs, describe_difference(ours, theirs))
                if case.settings != (0, 0, 0):
                    self.assertNotEqual(ours, read_png(self.pictures[case.picture]),
                                        "the filter changed nothing")

    def test_grayscale_image_is_refused_unchanged(self):
        self.assertIn(GRAY_REFUSAL, self.gimp_log)
        self.assertEqual(self.gimp_result("gray"), read_png(self.pictures["gray"]))

    def test_settings_out_of_range_are_refused_unchanged(self):
        self.assertIn(RANGE_REFUSAL, self.gimp_log)
        self.assertEqual(self.gimp_result("range"), read_png(self.pictures["rgb"]))


def exit_unless_present_here(tools=()):
    """Ends the test, saying why, when a part is missing: the plug-in or the module
    fails it (the build makes them); GIMP or one of `tools` counts as skipped only
    where this machine cannot install it (tests/e2e/skips.py)."""
    exit_unless_present(
        built=[what for what, path in (("plug-in at " + PLUGIN, PLUGIN), ("module at " + MODULE, MODULE))
               if not os.path.exists(path)],
        installed=[tool for tool in ("gimp-console-2.10",) + tuple(tools) if not shutil.which(tool)],
        cannot=machine_cannot())


if __name__ == "__main__":
    exit_unless_present_here()
    unittest.main()
