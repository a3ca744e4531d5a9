"""The GEGL operation through the gegl command, against the module's own bytes.

The operation is installed with tools/install-gegl-op.sh into a private
XDG_DATA_HOME, so GEGL finds it beside its own operations and nothing of the
machine's user folders is read. Every whole-picture result must equal, byte for
byte, what the 64-bit module gives in plughost for the same picture and settings;
GEGL's tiling and threads, a render of part of the picture, and a colour profile
in the file must not change a byte either. Two nodes with different settings in one
graph on eight threads must give the module applied twice: nodes that shared
anything between their passes would mix their settings.
"""

import os
import struct
import sys
import unittest
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from gegl_harness import (FolderTestCase, write_pictures, crop, exit_unless_built, install_operation,  # noqa: E402
                          module_result, operation_arguments, require_loaded, run_gegl,
                          without_alpha)
from pngio import describe_difference, read_png  # noqa: E402
from test_gimp_plugin import make_picture  # noqa: E402

PICTURES = {"rgb": (300, 200, 3), "rgba": (300, 200, 4)}
# settings None: the operation's defaults, which must be the module's 50/50/0.
CASES = [
    ("rgb", (30, 80, 10)),
    ("rgba", (60, 90, 20)),
    ("rgb", (0, 0, 0)),
    ("rgba", (100, 100, 100)),
    ("rgb", None),
]
DEFAULTS = (50, 50, 0)
# Noise large enough that GEGL's threads work on their pieces at the same time for
# long.
NOISE_SIZE = (1600, 1200, 4)
THREAD_COUNTS = (1, 8)
# Two nodes in a row, at the most threads: settings unlike each other in every
# table, so that a pass that read the other node's would change bytes.
CHAIN = ((30, 80, 10), (85, 35, 40))
CHAIN_THREADS = 8
# left, top, width, height: near the top left corner, so the halo meets two edges.
PART = (37, 61, 150, 90)


def iccp_chunk(profile):
    data = b"Lumiveil test RGB\0\0" + zlib.compress(profile)
    return (struct.pack(">I", len(data)) + b"iCCP" + data +
            struct.pack(">I", zlib.crc32(b"iCCP" + data) & 0xFFFFFFFF))


def s15_fixed16(value):
    return struct.pack(">i", int(round(value * 65536)))


def xyz_tag(x, y, z):
    return b"XYZ \0\0\0\0" + s15_fixed16(x) + s15_fixed16(y) + s15_fixed16(z)


def wide_gamut_profile():
    """An ICC v2 matrix profile with Adobe RGB (1998)'s primaries and gamma 2.2:
    a colour space far enough from sRGB that any conversion would change bytes."""
    gamma = b"curv\0\0\0\0" + struct.pack(">IH", 1, 563) + b"\0\0"  # 563 / 256 = 2.2
    description = b"Lumiveil test RGB\0"
    tags = [
        (b"desc", b"desc\0\0\0\0" + struct.pack(">I", len(description)) + description +
         b"\0" * 12 + b"\0" * 70),
        (b"wtpt", xyz_tag(0.9642, 1.0, 0.8249)),
        (b"rXYZ", xyz_tag(0.6097, 0.3111, 0.0195)),
        (b"gXYZ", xyz_tag(0.2053, 0.6257, 0.0609)),
        (b"bXYZ", xyz_tag(0.1492, 0.0632, 0.7446)),
        (b"rTRC", gamma), (b"gTRC", gamma), (b"bTRC", gamma),
    ]
    offset = 128 + 4 + 12 * len(tags)
    table, body = b"", b""
    for signature, data in tags:
        data += b"\0" * (-len(data) % 4)
        table += signature + struct.pack(">II", offset + len(body), len(data))
        body += data
    size = offset + len(body)
    header = (struct.pack(">I", size) + b"\0" * 4 + bytes([2, 0x10, 0, 0]) + b"mntrRGB XYZ " +
              b"\0" * 12 + b"acsp" + b"\0" * 24 + b"\0" * 4 + xyz_tag(0.9642, 1.0, 0.8249)[8:] +
              b"\0" * 48)
    return header + struct.pack(">I", len(tags)) + table + body


def with_profile(png, profile):
    """The PNG's bytes with an iCCP chunk after its header chunk."""
    header_end = 8 + 8 + 13 + 4
    return png[:header_end] + iccp_chunk(profile) + png[header_end:]


class GeglCommandTests(FolderTestCase):
    folder_prefix = "lumiveil-gegl-"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.data_home = cls.path("data")
        install_operation(cls.data_home)
        require_loaded(cls.data_home)
        cls.pictures = write_pictures(cls.path, PICTURES, NOISE_SIZE, make_picture)


    def gegl_file(self, picture, name, settings, extra=(), threads=None):
        out = self.path(name + ".png")
        run_gegl(self.path(picture + ".png"), out, operation_arguments(settings) + list(extra),
                 self.data_home, threads)
        return out

    def gegl(self, picture, name, settings, extra=()):
        return read_png(self.gegl_file(picture, name, settings, extra))

    def test_results_equal_the_modules_bytes(self):
        for index, (picture, settings) in enumerate(CASES):
            with self.subTest(picture=picture, settings=settings):
                ours = self.gegl(picture, "gegl-%d" % index, settings)
                channels = PICTURES[picture][2]
                theirs = module_result(self.path(picture + ".png"), settings or DEFAULTS,
                                       self.path("module-%d.png" % index), channels)
                self.assertEqual(ours.channels, channels, "alpha added or lost")
                self.assertEqual(ours, theirs, describe_difference(ours, theirs))
                if settings != (0, 0, 0):
                    self.assertNotEqual(ours, self.pictures[picture], "the filter changed nothing")

    def test_thread_count_does_not_change_the_bytes(self):
        paths = [self.gegl_file("noise", "threads-%d" % count, (70, 60, 15), threads=count)
                 for count in THREAD_COUNTS]
        files = []
        for path in paths:
            with open(path, "rb") as result:
                files.append(result.read())
        # One encoder, one setting: equal pixels give equal files, and comparing the
        # files spares decoding two large pictures.
        if files[0] != files[1]:
            one, many = (read_png(path) for path in paths)
            self.fail(describe_difference(many, one))

    def test_two_nodes_with_different_settings_equal_the_module_twice(self):
        first, second = CHAIN
        ours = read_png(self.gegl_file("noise", "chain", first, operation_arguments(second),
                                       threads=CHAIN_THREADS))
        module_result(self.path("noise.png"), first, self.path("module-once.png"), 4)
        theirs = module_result(self.path("module-once.png"), second,
                               self.path("module-twice.png"), 4)
        self.assertEqual(ours, theirs, describe_difference(ours, theirs))

    def test_part_of_the_picture_equals_that_part_of_the_whole(self):
        left, top, width, height = PART
        whole = self.gegl("rgba", "whole", (40, 70, 5))
        part = self.gegl("rgba", "part", (40, 70, 5),
                         ["gegl:crop", "x=%d" % left, "y=%d" % top, "width=%d" % width,
                          "height=%d" % height])
        expected = crop(whole, left, top, width, height)
        self.assertEqual(part, expected, describe_difference(part, expected))

    def test_colour_profile_changes_no_byte(self):
        with open(self.path("rgb.png"), "rb") as plain:
            png = plain.read()
        with open(self.path("profiled.png"), "wb") as profiled:
            profiled.write(with_profile(png, wide_gamut_profile()))
        plain_result = self.gegl("rgb", "plain", (30, 80, 10))
        profiled_result = self.gegl("profiled", "profiled-out", (30, 80, 10))
        self.assertEqual(profiled_result, plain_result,
                         describe_difference(profiled_result, plain_result))
        # The control: GEGL reads the profile, since converting to sRGB changes the
        # profiled picture's bytes and leaves the plain one's alone.
        to_srgb = ["gegl:convert-space", "space-name=sRGB"]
        converted = {}
        for name in ("rgb", "profiled"):
            out = self.path(name + "-srgb.png")
            run_gegl(self.path(name + ".png"), out, to_srgb, self.data_home)
            converted[name] = without_alpha(read_png(out))
        self.assertEqual(converted["rgb"], self.pictures["rgb"])
        self.assertNotEqual(converted["profiled"], self.pictures["rgb"],
                            "GEGL did not read the picture's profile")


if __name__ == "__main__":
    exit_unless_built()
    unittest.main()
