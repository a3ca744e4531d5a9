"""The GEGL operation in GIMP 3 on 16-bit and 32-bit float linear images, headless.

16-bit PNGs are loaded (16-bit perceptual in GIMP 3), filtered merged or kept as
a non-destructive filter, and exported as 16-bit PNGs, read as the values in the
file; float linear images are converted there from the 16-bit picture and back
before export. At Amount 0 and Mist 0 nothing changes; at other settings the
result is not 8-bit-quantized and lies within 1.5 levels (of 255) of the
continuous formulas, and for 8-bit values scaled to 16 bits within 2.5 levels of
the module's bytes. Exits with 77 (skipped) when the root or a part is missing.
"""

import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from gegl_harness import module_result  # noqa: E402
from gimp3_root import Workspace, exit_unless_ready, run_batch  # noqa: E402
from png16 import MAX16, Picture16, continuous_effect, read_png16, write_png16  # noqa: E402
from pngio import Image, write_png  # noqa: E402
from test_gegl_precision import (FORMULA_TOLERANCE, GRID_SHARE, IDENTITY,  # noqa: E402
                                 MODULE_TOLERANCE, SETTINGS, SIZE, colour_values, smooth_picture)
from test_gimp3 import new_filter, save, with_first_layer  # noqa: E402

GIMP_TIMEOUT = 600
FLOAT = "(gimp-image-convert-precision image PRECISION-FLOAT-LINEAR)"
BACK = "(gimp-image-convert-precision image PRECISION-U16-NON-LINEAR)"


class Gimp3PrecisionTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.workspace = Workspace("lumiveil-gimp3-16-")
        host, guest = cls.workspace.host, cls.workspace.guest
        cls.pictures = {"rgb": smooth_picture(*SIZE, 3, 1), "rgba": smooth_picture(*SIZE, 4, 2)}
        cls.eight = [v // 257 for v in smooth_picture(*SIZE, 3, 3).values]
        cls.pictures["scaled"] = Picture16(SIZE[0], SIZE[1], 3, [v * 257 for v in cls.eight])
        write_png(host("eight.png"), Image(SIZE[0], SIZE[1], 3, cls.eight))
        for name, picture in cls.pictures.items():
            write_png16(host(name + ".png"), picture)

        def merged(picture, settings, out, before="", after=""):
            return with_first_layer(guest(picture + ".png"), before + new_filter(
                "gimp-drawable-merge-new-filter", settings) + after + save(guest(out + ".png")))

        commands = [
            merged("rgb", IDENTITY, "identity"),
            merged("rgba", IDENTITY, "identity-rgba"),
            with_first_layer(guest("rgb.png"), FLOAT + BACK + save(guest("float-plain.png"))),
            merged("rgb", IDENTITY, "float-identity", FLOAT, BACK),
            merged("rgb", SETTINGS[0], "float-%d-%d-%d" % SETTINGS[0], FLOAT, BACK),
            # Kept as a non-destructive filter: the export renders it.
            with_first_layer(guest("rgba.png"), new_filter(
                "gimp-drawable-append-new-filter", SETTINGS[2]) +
                save(guest("kept-%d-%d-%d.png" % SETTINGS[2])))]
        for settings in SETTINGS:
            for name in ("rgba", "scaled"):
                commands.append(merged(name, settings, "%s-%d-%d-%d" % ((name,) + settings)))
        cls.gimp_log = run_batch(cls.workspace, commands, GIMP_TIMEOUT)

    @classmethod
    def tearDownClass(cls):
        cls.workspace.remove()

    def result(self, name):
        path = self.workspace.host(name + ".png")
        self.assertTrue(os.path.exists(path), "GIMP 3 wrote no %s:\n%s" % (path, self.gimp_log))
        return read_png16(path)

    def assert_formulas(self, name, picture, settings):
        ours = self.result(name)
        expected = [v for pixel in continuous_effect(picture, settings) for v in pixel]
        worst = max(abs(v / MAX16 - e) * 255.0 for v, e in zip(colour_values(ours), expected))
        print("GIMP 3 %s: largest deviation from the formulas %.3f levels of 255" % (name, worst))
        self.assertLessEqual(worst, FORMULA_TOLERANCE, name)
        values = colour_values(ours)
        self.assertLess(sum(1 for v in values if v % 257 == 0) / float(len(values)), GRID_SHARE,
                        name + " is quantized to 8 bits")
        if picture.channels == 4:
            self.assertEqual(ours.values[3::4], picture.values[3::4])

    def test_amount_and_mist_zero_change_no_value(self):
        self.assertEqual(self.result("identity"), self.pictures["rgb"])
        self.assertEqual(self.result("identity-rgba"), self.pictures["rgba"])
        self.assertEqual(self.result("float-identity"), self.result("float-plain"))

    def test_results_follow_the_formulas_and_the_module(self):
        for settings in SETTINGS:
            with self.subTest(settings=settings):
                self.assert_formulas("rgba-%d-%d-%d" % settings, self.pictures["rgba"], settings)
                scaled = self.result("scaled-%d-%d-%d" % settings)
                theirs = module_result(self.workspace.host("eight.png"), settings,
                                       self.workspace.host("module-%d-%d-%d.png" % settings), 3)
                worst = max(abs(v / MAX16 * 255.0 - b)
                            for v, b in zip(colour_values(scaled), theirs.data))
                print("GIMP 3 16-bit %s: largest deviation from the module's bytes %.3f levels"
                      % (settings, worst))
                self.assertLessEqual(worst, MODULE_TOLERANCE)

    def test_float_linear_and_kept_filters_keep_precision(self):
        self.assert_formulas("float-%d-%d-%d" % SETTINGS[0], self.pictures["rgb"], SETTINGS[0])
        self.assert_formulas("kept-%d-%d-%d" % SETTINGS[2], self.pictures["rgba"], SETTINGS[2])


if __name__ == "__main__":
    exit_unless_ready()
    unittest.main()
