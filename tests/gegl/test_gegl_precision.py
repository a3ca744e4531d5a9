"""The GEGL operation on pictures finer than 8 bits, through the gegl command.

16-bit PNGs in, 16-bit PNGs out, read as the values in the file: at Amount 0 and
Mist 0 nothing changes (16-bit, perceptual float and linear float pictures); at
other settings the result is not 8-bit-quantized, lies within 1.5 levels (of
255) of the continuous formulas, and for a picture of 8-bit values scaled to 16
bits within 2.5 levels of the module's bytes for the 8-bit picture. An RGB
picture comes back RGB, an RGBA one with its alpha as it was; threads and a
render of part of the picture change no value. 8-bit pictures are the other
tests' (test_gegl_command.py).
"""

import os
import random
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from gegl_harness import (FolderTestCase, GEGL_TIMEOUT, exit_unless_built, install_operation,  # noqa: E402
                          module_result, operation_arguments, require_loaded)
from png16 import MAX16, Picture16, continuous_effect, read_png16, write_png16  # noqa: E402
from pngio import Image, write_png  # noqa: E402

SIZE = (96, 72)
SETTINGS = [(30, 70, 10), (100, 100, 100), (61, 43, 77)]
IDENTITY = (50, 0, 0)
LEVELS = 255.0 / MAX16  # one 16-bit step in levels of 255
FORMULA_TOLERANCE = 1.5
MODULE_TOLERANCE = 2.5
NOISE_SIZE = (1200, 900)
THREAD_COUNTS = (1, 8)
PART = (37, 21, 50, 40)  # left, top, width, height
# Fewer than this share of values on the 8-bit grid (multiples of 257) shows the
# result was not quantized; a quantized one has all of them there.
GRID_SHARE = 0.1


def smooth_picture(width, height, channels, seed):
    """Gradients with a little noise, from black to white: values of every kind,
    few of them on the 8-bit grid."""
    noise = random.Random(seed)
    values = []
    for y in range(height):
        for x in range(width):
            base = (x * 3 + y * 2) / (3.0 * width + 2.0 * height)
            for k in range(3):
                shade = base if k != 1 else 1.0 - base
                values.append(min(max(int(shade * MAX16) + noise.randint(-900, 900), 0), MAX16))
            if channels == 4:
                values.append(noise.randint(0, MAX16))
    return Picture16(width, height, channels, values)


def colour_values(picture):
    return [v for i, v in enumerate(picture.values) if i % picture.channels < 3]


class GeglPrecisionTests(FolderTestCase):
    folder_prefix = "lumiveil-gegl16-"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.data_home = cls.path("data")
        install_operation(cls.data_home)
        require_loaded(cls.data_home)
        cls.pictures = {"rgb": smooth_picture(*SIZE, 3, 1), "rgba": smooth_picture(*SIZE, 4, 2)}
        for name, picture in cls.pictures.items():
            write_png16(cls.path(name + ".png"), picture)


    def gegl(self, picture, name, operations, threads=None, exact=False):
        """picture.png through the operations into name.png, 16 bits a channel.
        exact: babl converts by its reference paths alone. Otherwise each process picks
        its conversions by timing them, so two runs may differ in the last bit."""
        environment = dict(os.environ, XDG_DATA_HOME=self.data_home)
        if threads:
            environment["GEGL_THREADS"] = str(threads)
        if exact:
            environment["BABL_TOLERANCE"] = "0"
        out = self.path(name + ".png")
        arguments = (["gegl", "--", "gegl:load", "path=" + self.path(picture + ".png")] +
                     operations + ["gegl:png-save", "path=" + out, "bitdepth=16"])
        run = subprocess.run(arguments, env=environment, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, timeout=GEGL_TIMEOUT,
                             universal_newlines=True)
        self.assertTrue(run.returncode == 0 and os.path.exists(out),
                        "gegl wrote no %s:\n%s" % (out, run.stdout))
        self.assertNotIn("No such op", run.stdout)
        return read_png16(out)

    def assert_within(self, ours, expected, tolerance, what):
        worst, where = 0.0, None
        for index, value in enumerate(colour_values(ours)):
            deviation = abs(value / MAX16 - expected[index]) * 255.0
            if deviation > worst:
                worst, where = deviation, index
        print("%s: largest deviation %.3f levels of 255" % (what, worst))
        self.assertLessEqual(worst, tolerance, "%s: value %d off by %.3f levels" %
                             (what, where, worst))

    def test_amount_and_mist_zero_change_no_value(self):
        for name, picture in self.pictures.items():
            with self.subTest(picture=name):
                ours = self.gegl(name, "identity-" + name, operation_arguments(IDENTITY))
                self.assertEqual(ours, picture, "RGB must come back RGB, every value unchanged")
        # Float pictures: perceptual values pass unchanged; linear ones through the
        # operation's perceptual floats and back, unchanged at 16 bits.
        for space in ("R'G'B'A float", "RGBA float"):
            with self.subTest(format=space):
                convert = ["gegl:convert-format", "format=" + space]
                ours = self.gegl("rgba", "float-identity", convert + operation_arguments(IDENTITY))
                plain = self.gegl("rgba", "float-plain", convert)
                self.assertEqual(ours, plain)
                self.assertEqual(ours, self.pictures["rgba"])

    def test_results_follow_the_continuous_formulas(self):
        for name, picture in self.pictures.items():
            for settings in SETTINGS:
                with self.subTest(picture=name, settings=settings):
                    ours = self.gegl(name, "%s-%d-%d-%d" % ((name,) + settings),
                                     operation_arguments(settings))
                    self.assertEqual(ours.channels, picture.channels)
                    expected = [v for pixel in continuous_effect(picture, settings) for v in pixel]
                    self.assert_within(ours, expected, FORMULA_TOLERANCE,
                                       "gegl %s %s against the formulas" % (name, settings))
                    values = colour_values(ours)
                    on_grid = sum(1 for v in values if v % 257 == 0) / float(len(values))
                    self.assertLess(on_grid, GRID_SHARE, "the result is quantized to 8 bits")
                    if picture.channels == 4:
                        self.assertEqual(ours.values[3::4], picture.values[3::4])

    def test_eight_bit_values_stay_near_the_modules_bytes(self):
        eight = smooth_picture(*SIZE, 3, 3)
        eight.values = [v // 257 for v in eight.values]
        write_png(self.path("eight.png"), Image(SIZE[0], SIZE[1], 3, eight.values))
        write_png16(self.path("scaled.png"),
                    Picture16(SIZE[0], SIZE[1], 3, [v * 257 for v in eight.values]))
        for settings in SETTINGS:
            with self.subTest(settings=settings):
                ours = self.gegl("scaled", "scaled-%d-%d-%d" % settings,
                                 operation_arguments(settings))
                theirs = module_result(self.path("eight.png"), settings,
                                       self.path("module-%d-%d-%d.png" % settings), 3)
                self.assert_within(ours, [v / 255.0 for v in theirs.data], MODULE_TOLERANCE,
                                   "gegl 16-bit %s against the module's bytes" % (settings,))

    def test_threads_and_parts_change_no_value(self):
        write_png16(self.path("noise.png"), smooth_picture(*NOISE_SIZE, 4, 4))
        one, many = (self.gegl("noise", "threads-%d" % count, operation_arguments((70, 60, 15)),
                               threads=count, exact=True) for count in THREAD_COUNTS)
        self.assertTrue(one == many, "1 and 8 threads differ")
        left, top, width, height = PART
        whole = self.gegl("rgba", "whole", operation_arguments((40, 70, 5)), exact=True)
        part = self.gegl("rgba", "part", operation_arguments((40, 70, 5)) +
                         ["gegl:crop", "x=%d" % left, "y=%d" % top, "width=%d" % width,
                          "height=%d" % height], exact=True)
        self.assertTrue(part == whole.crop(left, top, width, height), "the part differs")


if __name__ == "__main__":
    exit_unless_built()
    unittest.main()
