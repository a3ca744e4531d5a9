"""The GIMP 2.10 plug-in on images finer than 8-bit perceptual, headless.

16-bit PNGs are loaded (GIMP keeps them at 16-bit perceptual), filtered by
plug-in-lumiveil and exported as 16-bit PNGs, read as the values in the file. At
Amount 0 and Mist 0 nothing changes, at 16 bits and, converted to 32-bit float
linear and back, in float; at other settings the result is not 8-bit-quantized,
lies within 1.5 levels (of 255) of the continuous formulas and, for 8-bit values
scaled to 16 bits, within 2.5 levels of the module's bytes. Alpha stays as it was.
Fails when the plug-in or the module is missing; counts as skipped only where this
machine cannot install GIMP (tests/e2e/skips.py).
"""

import os
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.environ.get("LUMIVEIL_SOURCE") or os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, "tests", "gegl"))
sys.path.insert(0, HERE)

from gegl_harness import FolderTestCase, module_result  # noqa: E402
from png16 import MAX16, Picture16, continuous_effect, read_png16, write_png16  # noqa: E402
from pngio import Image, write_png  # noqa: E402
from test_gegl_precision import (FORMULA_TOLERANCE, GRID_SHARE, IDENTITY,  # noqa: E402
                                 MODULE_TOLERANCE, SETTINGS, SIZE, colour_values, smooth_picture)
from test_gimp_plugin import (GIMP, GIMP_TIMEOUT, PLUGIN, exit_unless_present_here,  # noqa: E402
                              load_image, scheme_string)


def export(out):
    return "(file-png-save RUN-NONINTERACTIVE image layer %s %s 0 9 0 0 0 0 0)" % (
        scheme_string(out), scheme_string(os.path.basename(out)))


def script(picture, out, settings, float_linear=False):
    """Load, optionally to float linear, filter (unless settings is None), back to
    16-bit perceptual, export."""
    convert = "(gimp-image-convert-precision image PRECISION-FLOAT-LINEAR)" if float_linear else ""
    back = "(gimp-image-convert-precision image PRECISION-U16-GAMMA)" if float_linear else ""
    call = ("(plug-in-lumiveil RUN-NONINTERACTIVE image layer %d %d %d)" % settings
            if settings else "")
    return ("(let* (%s (layer (car (gimp-image-get-active-layer image))))"
            " %s %s %s %s (gimp-image-delete image))" % (load_image(picture), convert, call, back,
                                                          export(out)))


class GimpPrecisionTests(FolderTestCase):
    folder_prefix = "lumiveil-gimp16-"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.pictures = {"rgb": smooth_picture(*SIZE, 3, 1), "rgba": smooth_picture(*SIZE, 4, 2)}
        eight = smooth_picture(*SIZE, 3, 3)
        cls.eight = [v // 257 for v in eight.values]
        cls.pictures["scaled"] = Picture16(SIZE[0], SIZE[1], 3, [v * 257 for v in cls.eight])
        write_png(cls.path("eight.png"), Image(SIZE[0], SIZE[1], 3, cls.eight))
        for name, picture in cls.pictures.items():
            write_png16(cls.path(name + ".png"), picture)
        commands = [script(cls.path("rgb.png"), cls.path("identity.png"), IDENTITY),
                    script(cls.path("rgba.png"), cls.path("identity-rgba.png"), IDENTITY),
                    script(cls.path("rgb.png"), cls.path("float-plain.png"), None, True),
                    script(cls.path("rgb.png"), cls.path("float-identity.png"), IDENTITY, True)]
        for settings in SETTINGS:
            for name in ("rgba", "scaled"):
                commands.append(script(cls.path(name + ".png"),
                                       cls.path("%s-%d-%d-%d.png" % ((name,) + settings)),
                                       settings))
        profile = cls.path("profile")
        os.makedirs(os.path.join(profile, "gradients"))
        subprocess.run([os.path.join(SOURCE, "tools", "install-gimp-plugin.sh"), "--plugin",
                        PLUGIN, "--into", os.path.join(profile, "plug-ins")],
                       check=True, stdout=subprocess.DEVNULL)
        arguments = [GIMP, "--no-interface", "--no-data", "--no-fonts"]
        for command in commands + ["(gimp-quit 0)"]:
            arguments += ["--batch", command]
        run = subprocess.run(arguments, env=dict(os.environ, GIMP2_DIRECTORY=profile),
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             timeout=GIMP_TIMEOUT, universal_newlines=True)
        cls.gimp_log = run.stdout


    def result(self, name):
        path = self.path(name + ".png")
        self.assertTrue(os.path.exists(path), "GIMP wrote no %s:\n%s" % (path, self.gimp_log))
        return read_png16(path)

    def assert_within(self, ours, expected, tolerance, what):
        worst = max(abs(v / MAX16 - e) * 255.0 for v, e in zip(colour_values(ours), expected))
        print("%s: largest deviation %.3f levels of 255" % (what, worst))
        self.assertLessEqual(worst, tolerance, what)

    def test_amount_and_mist_zero_change_no_value(self):
        self.assertEqual(self.result("identity"), self.pictures["rgb"])
        self.assertEqual(self.result("identity-rgba"), self.pictures["rgba"])
        self.assertEqual(self.result("float-identity"), self.result("float-plain"))

    def test_results_follow_the_formulas_and_the_module(self):
        for settings in SETTINGS:
            with self.subTest(settings=settings):
                picture = self.pictures["rgba"]
                ours = self.result("rgba-%d-%d-%d" % settings)
                expected = [v for pixel in continuous_effect(picture, settings) for v in pixel]
                self.assert_within(ours, expected, FORMULA_TOLERANCE,
                                   "GIMP 2.10 16-bit %s against the formulas" % (settings,))
                values = colour_values(ours)
                self.assertLess(sum(1 for v in values if v % 257 == 0) / float(len(values)),
                                GRID_SHARE, "the result is quantized to 8 bits")
                self.assertEqual(ours.values[3::4], picture.values[3::4])
                scaled = self.result("scaled-%d-%d-%d" % settings)
                theirs = module_result(self.path("eight.png"), settings,
                                       self.path("module-%d-%d-%d.png" % settings), 3)
                self.assert_within(scaled, [v / 255.0 for v in theirs.data], MODULE_TOLERANCE,
                                   "GIMP 2.10 16-bit %s against the module's bytes" % (settings,))


if __name__ == "__main__":
    exit_unless_present_here()
    unittest.main()
