"""The operation's x64 DLL in a Windows GEGL under Wine, against the module's own bytes.

tools/gegl-windows runs the Windows GEGL's gegl.exe (tools/build-gegl-windows.sh)
with build/win64/lumiveil-gegl.dll in the Wine prefix's
%LOCALAPPDATA%\\gegl-0.4\\plug-ins, where a GIMP 3 user puts it. Every whole-picture
result must equal, byte for byte, what the 64-bit module gives in plughost; GEGL's
threads must not change a byte; and the operation's description must carry what
GIMP 3 builds its menu entry and dialog from.
"""

import os
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from gegl_harness import (FolderTestCase, write_pictures, BUILD, GEGL_TIMEOUT, MODULE, OPERATION_NAME,  # noqa: E402
                          SOURCE, WINDOWS_GEGL, exit_unless_windows_gegl, module_result,
                          operation_arguments)
from png16 import continuous_effect, read_png16, write_png16  # noqa: E402
from pngio import describe_difference, read_png  # noqa: E402
from test_gegl_precision import (FORMULA_TOLERANCE, GRID_SHARE, IDENTITY, SIZE,  # noqa: E402
                                 colour_values, smooth_picture)
from test_gegl_command import CASES, DEFAULTS  # noqa: E402
from test_gimp_plugin import make_picture  # noqa: E402

GEGL_WINDOWS = os.path.join(SOURCE, "tools", "gegl-windows")
STACK = WINDOWS_GEGL
DLL = os.path.join(BUILD, "win64", "lumiveil-gegl.dll")
RUN_TIMEOUT = 300

# The Linux operation's cases, on smaller pictures: every run here starts Wine.
PICTURES = {"rgb": (240, 160, 3), "rgba": (240, 160, 4)}
NOISE_SIZE = (1200, 900, 4)
THREAD_COUNTS = (1, 4)
# What `gegl --info` prints of the operation: its keys, then its properties.
LISTED = [
    ("name", OPERATION_NAME),
    ("title", "Lumiveil"),
    ("gimp:menu-path", "<Image>/Filters/Light and Shadow"),
    ("gimp:menu-label", "Lumiveil..."),
    ("radiation", "[gint] Size of the averaging box (default: 50)"),
    ("amount", "[gint] Strength of the blend toward the box mean (default: 50)"),
    ("mist", "[gint] Black lift of the tone curve (default: 0)"),
]


class WindowsGeglTests(FolderTestCase):
    folder_prefix = "lumiveil-gegl-windows-"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.pictures = write_pictures(cls.path, PICTURES, NOISE_SIZE, make_picture)


    def gegl_file(self, picture, name, settings, threads=None, bitdepth=8):
        """The picture through the operation into a PNG. The picture is read by
        -i: a gegl:load inside the chain, before an area filter (GEGL's own
        gegl:box-blur as well), never ends under Wine."""
        out = self.path(name + ".png")
        environment = dict(os.environ, GEGL_THREADS=str(threads)) if threads else None
        arguments = ([GEGL_WINDOWS, "-i", self.path(picture + ".png"), "--"] +
                     operation_arguments(settings) +
                     ["gegl:png-save", "path=" + out, "bitdepth=%d" % bitdepth])
        run = subprocess.run(arguments, env=environment, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, timeout=GEGL_TIMEOUT)
        said = run.stdout.decode("utf-8", "replace")
        if run.returncode != 0 or not os.path.exists(out):
            self.fail("gegl.exe wrote no %s:\n%s" % (out, said))
        # An operation that GEGL cannot find is left out of the chain, exit status 0.
        self.assertNotIn("No such op", said)
        return out

    def test_results_equal_the_modules_bytes(self):
        for index, (picture, settings) in enumerate(CASES):
            with self.subTest(picture=picture, settings=settings):
                ours = read_png(self.gegl_file(picture, "gegl-%d" % index, settings))
                channels = PICTURES[picture][2]
                theirs = module_result(self.path(picture + ".png"), settings or DEFAULTS,
                                       self.path("module-%d.png" % index), channels)
                self.assertEqual(ours.channels, channels, "alpha added or lost")
                self.assertEqual(ours, theirs, describe_difference(ours, theirs))
                if settings != (0, 0, 0):
                    self.assertNotEqual(ours, self.pictures[picture], "the filter changed nothing")

    def test_sixteen_bit_pictures_keep_their_precision(self):
        picture = smooth_picture(*SIZE, 4, 5)
        write_png16(self.path("sixteen.png"), picture)
        same = read_png16(self.gegl_file("sixteen", "sixteen-same", IDENTITY, bitdepth=16))
        self.assertEqual(same, picture, "Amount 0 and Mist 0 must change no value")
        settings = (30, 70, 10)
        ours = read_png16(self.gegl_file("sixteen", "sixteen-filtered", settings, bitdepth=16))
        expected = [v for pixel in continuous_effect(picture, settings) for v in pixel]
        values = colour_values(ours)
        worst = max(abs(v / 65535.0 - e) * 255.0 for v, e in zip(values, expected))
        self.assertLessEqual(worst, FORMULA_TOLERANCE)
        on_grid = sum(1 for v in values if v % 257 == 0) / float(len(values))
        self.assertLess(on_grid, GRID_SHARE, "the result is quantized to 8 bits")

    def test_thread_count_does_not_change_the_bytes(self):
        files = []
        for count in THREAD_COUNTS:
            with open(self.gegl_file("noise", "threads-%d" % count, (70, 60, 15), count), "rb") as f:
                files.append(f.read())
        if files[0] != files[1]:
            one, many = (read_png(self.path("threads-%d.png" % count)) for count in THREAD_COUNTS)
            self.fail(describe_difference(many, one))

    def test_listing_shows_name_properties_and_menu_keys(self):
        run = subprocess.run([GEGL_WINDOWS, "--info", OPERATION_NAME], stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, timeout=RUN_TIMEOUT)
        # GEGL lists its own "operation-class" key, a pointer, as if it were text.
        listing = run.stdout.decode("utf-8", "replace")
        self.assertEqual(run.returncode, 0, listing)
        # The keys are padded to a column: compare the words.
        lines = {" ".join(line.split()) for line in listing.splitlines()}
        for key, value in LISTED:
            self.assertIn("%s %s" % (key, value), lines, listing)


if __name__ == "__main__":
    exit_unless_windows_gegl([("operation DLL at " + DLL, DLL), ("module at " + MODULE, MODULE)])
    os.environ["LUMIVEIL_GEGL_WINDOWS_OP"] = DLL
    unittest.main()
