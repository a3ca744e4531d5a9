"""The GEGL operation in GIMP 3, headless, against the module's own bytes.

gimp-console-3.0 runs in the Debian 13 root (tools/make-gimp3-root.sh) with the
operation in a private GEGL folder. One GIMP start does every check: the filter
merged into whole layers (RGB and RGBA) must give the module's bytes; merged into
a rectangular selection, the module's bytes for the selection's bounds as a
picture of their own (GIMP 3 hands the operation only those) and nothing changed
outside; a non-destructive filter saved in an XCF file and opened again must still be the
operation with its three settings, which merging it then shows: its bytes are the
module's for exactly those settings.

Fails when the operation or the module is missing; a missing root counts as skipped
(77) only where this machine cannot make it (tests/e2e/skips.py).
"""

import collections
import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from gegl_harness import OPERATION_NAME, SETTING_NAMES, crop, module_result  # noqa: E402
from gimp3_root import Workspace, exit_unless_ready, run_batch  # noqa: E402
from pngio import describe_difference, read_png, write_png  # noqa: E402
from test_gimp_plugin import make_picture  # noqa: E402

GIMP_TIMEOUT = 600
PICTURES = {"rgb": (300, 200, 3), "rgba": (300, 200, 4)}
Merge = collections.namedtuple("Merge", "name picture settings")
MERGES = [Merge("merged-rgb", "rgb", (30, 80, 10)), Merge("merged-rgba", "rgba", (60, 90, 20))]
# left, top, width, height of the selection, and its settings.
SELECTION = (40, 30, 200, 140)
SELECTION_SETTINGS = (20, 90, 20)
# Settings of the kept filter: none is a default, so a setting lost on the way
# through the file shows in the bytes.
KEPT_SETTINGS = (23, 67, 11)
FILTER_COUNT_MESSAGE = "lumiveil filters kept: "


def scheme_string(text):
    return '"%s"' % text


def with_first_layer(path, body):
    return ("(let* ((image (car (gimp-file-load RUN-NONINTERACTIVE %s)))"
            " (layer (vector-ref (car (gimp-image-get-selected-drawables image)) 0)))"
            " %s (gimp-image-delete image))" % (scheme_string(path), body))


def new_filter(procedure, settings):
    properties = " ".join('"%s" %d' % pair for pair in zip(SETTING_NAMES, settings))
    return "(%s layer %s 0 LAYER-MODE-REPLACE 1.0 %s)" % (
        procedure, scheme_string(OPERATION_NAME), properties)


def save(path):
    return "(gimp-file-save RUN-NONINTERACTIVE image %s)" % scheme_string(path)


class Gimp3Tests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.workspace = Workspace("lumiveil-gimp3-")
        for seed, (name, size) in enumerate(sorted(PICTURES.items())):
            write_png(cls.workspace.host(name + ".png"), make_picture(*size, seed))
        guest = cls.workspace.guest
        commands = [with_first_layer(guest(merge.picture + ".png"),
                                     new_filter("gimp-drawable-merge-new-filter", merge.settings) +
                                     save(guest(merge.name + ".png")))
                    for merge in MERGES]
        commands.append(with_first_layer(
            guest("rgb.png"),
            "(gimp-image-select-rectangle image CHANNEL-OP-REPLACE %d %d %d %d)" % SELECTION +
            new_filter("gimp-drawable-merge-new-filter", SELECTION_SETTINGS) +
            save(guest("selection.png"))))
        commands.append(with_first_layer(
            guest("rgb.png"),
            new_filter("gimp-drawable-append-new-filter", KEPT_SETTINGS) + save(guest("kept.xcf"))))
        # Opened again: name the filters the layer carries, then merge them.
        commands.append(with_first_layer(
            guest("kept.xcf"),
            "(let* ((filters (car (gimp-drawable-get-filters layer))))"
            " (gimp-message (string-append %s (number->string (vector-length filters))"
            " \" \" (car (gimp-drawable-filter-get-operation-name (vector-ref filters 0))))))"
            " (gimp-drawable-merge-filters layer) %s" % (
                scheme_string(FILTER_COUNT_MESSAGE), save(guest("reopened.png")))))
        cls.gimp_log = run_batch(cls.workspace, commands, GIMP_TIMEOUT)

    @classmethod
    def tearDownClass(cls):
        cls.workspace.remove()

    def gimp_result(self, name):
        path = self.workspace.host(name + ".png")
        self.assertTrue(os.path.exists(path), "GIMP 3 wrote no %s:\n%s" % (path, self.gimp_log))
        return read_png(path)

    def assert_module_bytes(self, name, picture, settings):
        ours = self.gimp_result(name)
        theirs = module_result(self.workspace.host(picture + ".png"), settings,
                               self.workspace.host(name + "-module.png"), PICTURES[picture][2])
        self.assertEqual(ours, theirs, describe_difference(ours, theirs) + "\n" + self.gimp_log)

    def test_merged_filter_gives_the_modules_bytes(self):
        for merge in MERGES:
            with self.subTest(merge.name):
                self.assert_module_bytes(merge.name, merge.picture, merge.settings)

    def test_selection_is_filtered_as_a_picture_of_its_own(self):
        ours = self.gimp_result("selection")
        original = read_png(self.workspace.host("rgb.png"))
        write_png(self.workspace.host("bounds.png"), crop(original, *SELECTION))
        theirs = module_result(self.workspace.host("bounds.png"), SELECTION_SETTINGS,
                               self.workspace.host("bounds-module.png"), 3)
        inside = crop(ours, *SELECTION)
        self.assertEqual(inside, theirs, describe_difference(inside, theirs))
        left, top, width, height = SELECTION
        for y in range(original.height):
            for x in range(original.width):
                if not (left <= x < left + width and top <= y < top + height):
                    self.assertEqual(ours.pixel(x, y), original.pixel(x, y),
                                     "pixel %d, %d outside the selection changed" % (x, y))

    def test_filter_saved_in_xcf_keeps_its_settings(self):
        self.assertIn(FILTER_COUNT_MESSAGE + "1 " + OPERATION_NAME, self.gimp_log)
        self.assert_module_bytes("reopened", "rgb", KEPT_SETTINGS)


if __name__ == "__main__":
    exit_unless_ready()
    unittest.main()
