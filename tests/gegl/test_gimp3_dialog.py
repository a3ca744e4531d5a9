"""The GEGL operation as a GIMP 3 filter, driven as a user would, on a virtual display.

GIMP 3 starts in its root with a picture and a fresh profile; the test opens
Filters > Light and Shadow through the menu bar and takes the submenu's last item:
a dialog named Lumiveil must open, which shows that GIMP placed the filter under
its menu path. Its on-canvas preview, at the defaults 50/50/0, must show the
module's bytes. The open submenu and the dialog over its preview are photographed
(build/screenshots/ or $LUMIVEIL_SCREENSHOTS), beside the other screenshots.

Needs Xvfb, xdotool and xwd besides what test_gimp3.py needs; without them it fails,
or counts as skipped (77) where this machine cannot install them.
"""

import os
import signal
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from gegl_harness import BUILD, crop, module_result  # noqa: E402
from gimp3_root import Workspace, exit_unless_ready  # noqa: E402
from harness import ensure_display  # noqa: E402
from pngio import read_png, write_png  # noqa: E402
from test_gimp_dialog import wait_for_window, xdotool  # noqa: E402
from test_gimp_plugin import make_picture  # noqa: E402
from xwd_image import read_xwd  # noqa: E402

SCREENSHOTS = os.environ.get("LUMIVEIL_SCREENSHOTS") or os.path.join(BUILD, "screenshots")
# Small enough that GIMP's first window shows all of it at 100 %.
PICTURE_SIZE = (200, 150)
DEFAULTS = (50, 50, 0)
MAIN_TITLE = "GNU Image Manipulation Program"
DIALOG_TITLE = "^Lumiveil"
# Generous limits for GIMP's start, the dialog and the preview; each wait ends as
# soon as what it waits for is there.
START_TIMEOUT = 180
WINDOW_TIMEOUT = 120
PREVIEW_TIMEOUT = 60
POLL_SECONDS = 0.25
# The canvas draws the layer's boundary over its outermost pixels.
BOUNDARY_PIXELS = 2
# A fresh profile would open GIMP 3's welcome dialog over the image.
GIMPRC = "(show-welcome-dialog no)\n"


def screen_bytes(folder):
    dump = os.path.join(folder, "screen.xwd")
    subprocess.run(["xwd", "-root", "-out", dump], check=True)
    with open(dump, "rb") as f:
        return f.read()


def press(folder, key):
    """A key to whatever has the keyboard, then a wait until the screen shows its
    effect (a menu opened or an item lit), so the next key finds that menu there."""
    before = screen_bytes(folder)
    xdotool("key", key)
    deadline = time.monotonic() + WINDOW_TIMEOUT
    while screen_bytes(folder) == before:
        if time.monotonic() > deadline:
            raise AssertionError("the screen did not change after the key " + key)
        time.sleep(POLL_SECONDS)


def screen(folder):
    dump = os.path.join(folder, "screen.xwd")
    subprocess.run(["xwd", "-root", "-out", dump], check=True)
    return read_xwd(dump)


def find_block(shot, block):
    """Top left corner of block within shot (RGB), or None."""
    key = block.row(0)
    for y in range(shot.height - block.height + 1):
        at = shot.row(y).find(key)
        while at >= 0:
            if at % 3 == 0:
                x = at // 3
                if x + block.width <= shot.width and \
                        crop(shot, x, y, block.width, block.height) == block:
                    return x, y
            at = shot.row(y).find(key, at + 1)
    return None


def window_corner(window):
    """Bottom right corner of a window on the screen."""
    values = dict(line.split("=") for line in xdotool("getwindowgeometry", "--shell", window))
    return int(values["X"]) + int(values["WIDTH"]), int(values["Y"]) + int(values["HEIGHT"])


class Gimp3DialogTests(unittest.TestCase):
    def setUp(self):
        self.workspace = Workspace("lumiveil-gimp3-dialog-")
        self.addCleanup(self.workspace.remove)
        self.picture = self.workspace.host("picture.png")
        write_png(self.picture, make_picture(*PICTURE_SIZE, 3, 7))
        with open(os.path.join(self.workspace.host("profile"), "gimprc"), "w") as gimprc:
            gimprc.write(GIMPRC)
        os.makedirs(SCREENSHOTS, exist_ok=True)
        self.display = ensure_display()

    def start_gimp(self):
        log = open(self.workspace.host("gimp.log"), "w")
        self.addCleanup(log.close)
        command = self.workspace.command("gimp-3.0", ["--no-splash",
                                                      self.workspace.guest("picture.png")],
                                         x11=True, extra_environment=["DISPLAY=" + self.display])
        # A session of its own, so that the whole chain (namespace, chroot, GIMP and
        # its plug-ins) can be ended together.
        gimp = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log,
                                stderr=subprocess.STDOUT, start_new_session=True)
        self.addCleanup(self.stop, gimp)
        return gimp

    @staticmethod
    def stop(gimp):
        if gimp.poll() is None:
            os.killpg(gimp.pid, signal.SIGTERM)
            try:
                gimp.wait(timeout=WINDOW_TIMEOUT)
            except subprocess.TimeoutExpired:
                os.killpg(gimp.pid, signal.SIGKILL)
                gimp.wait()

    def gimp_log(self):
        with open(self.workspace.host("gimp.log")) as log:
            return log.read()

    def wait_for_canvas(self, block, timeout):
        """Where the canvas shows block, polled until it does."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            place = find_block(screen(self.workspace.outside), block)
            if place:
                return place
            time.sleep(POLL_SECONDS)
        return None

    def save_shot(self, name, corner):
        shot = screen(self.workspace.outside)
        width, height = min(corner[0], shot.width), min(corner[1], shot.height)
        write_png(os.path.join(SCREENSHOTS, name + ".png"), crop(shot, 0, 0, width, height))

    def test_filter_is_in_its_menu_and_previews_the_modules_bytes(self):
        width, height = PICTURE_SIZE
        inner = (BOUNDARY_PIXELS, BOUNDARY_PIXELS, width - 2 * BOUNDARY_PIXELS,
                 height - 2 * BOUNDARY_PIXELS)
        expected = crop(module_result(self.picture, DEFAULTS, self.workspace.host("module.png"), 3),
                        *inner)
        self.start_gimp()
        main = wait_for_window(MAIN_TITLE)
        self.assertIsNotNone(self.wait_for_canvas(crop(read_png(self.picture), *inner),
                                                  START_TIMEOUT),
                             "GIMP 3 never showed the picture:\n" + self.gimp_log())
        # Filte_rs, then _Light and Shadow; the filter is that submenu's last item.
        for key in ("alt+r", "l", "End"):
            press(self.workspace.outside, key)
        self.save_shot("gimp3-menu", (window_corner(main)[0] + 400, window_corner(main)[1]))
        xdotool("key", "Return")
        dialog = wait_for_window(DIALOG_TITLE)
        # The pointer away from the dialog, so no tooltip covers it.
        xdotool("mousemove", "0", "0")
        place = self.wait_for_canvas(expected, PREVIEW_TIMEOUT)
        self.assertIsNotNone(place, "the canvas never previewed the module's bytes:\n" +
                             self.gimp_log())
        corners = [window_corner(main), window_corner(dialog)]
        self.save_shot("gimp3-dialog", (max(c[0] for c in corners), max(c[1] for c in corners)))


if __name__ == "__main__":
    exit_unless_ready(("Xvfb", "xdotool", "xwd"))
    unittest.main()
