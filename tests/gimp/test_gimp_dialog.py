"""The GIMP plug-in's dialog on a virtual display, driven as a user would.

The module's dialog, in plughost, is set to 50/50/0 and photographed; then GIMP,
with a fresh private profile (so its dialog starts at the defaults 50/50/0),
opens the plug-in's dialog interactively. It is photographed beside the module's
(build/screenshots/ or $LUMIVEIL_SCREENSHOTS), and its OK must give the
module's bytes.

Needs Xvfb, xdotool and xwd besides what test_gimp_plugin.py needs, likewise.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from test_gimp_plugin import (BUILD, GIMP, MODULE, PLUGIN, SOURCE,  # noqa: E402
                              exit_unless_present_here, load_image, make_picture, save_layer)
from harness import ensure_display  # noqa: E402
from pngio import describe_difference, read_png, write_png  # noqa: E402
from xwd_image import read_xwd  # noqa: E402

SCREENSHOTS = os.environ.get("LUMIVEIL_SCREENSHOTS") or os.path.join(BUILD, "screenshots")
# A fresh profile: the plug-in's dialog starts from the defaults.
SETTINGS = (50, 50, 0)
DIALOG_TITLE = "^Lumiveil$"
WINDOW_TIMEOUT = 120
GIMP_TIMEOUT = 300
# How often the dialog is looked at while waiting for it to settle or to close.
POLL_SECONDS = 0.25


def xdotool(*arguments):
    return subprocess.run(["xdotool"] + list(arguments), stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, universal_newlines=True,
                          timeout=WINDOW_TIMEOUT + 10).stdout.split()


def wait_for_window(title):
    windows = xdotool("search", "--sync", "--onlyvisible", "--name", title)
    if not windows:
        raise AssertionError("no window named %s appeared" % title)
    return windows[0]


def window_exists(window):
    return subprocess.run(["xdotool", "getwindowname", window], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def press_until_closed(window, key):
    """The key sent to the window itself (without a window manager nobody moves
    the keyboard focus to a dialog that opens on top), again while the window
    stays: a key that arrives before GTK takes keys is lost."""
    deadline = time.monotonic() + WINDOW_TIMEOUT
    while window_exists(window):
        if time.monotonic() > deadline:
            raise AssertionError("the dialog did not close on %s" % key)
        xdotool("key", "--window", window, key)
        pressed = time.monotonic()
        while window_exists(window) and time.monotonic() - pressed < 5:
            time.sleep(POLL_SECONDS)


class GimpDialogTests(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="lumiveil-gimp-dialog-")
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.picture = self.path("picture.png")
        write_png(self.picture, make_picture(300, 200, 3, 7))
        self.profile = self.path("profile")
        os.makedirs(os.path.join(self.profile, "gradients"))
        subprocess.run([os.path.join(SOURCE, "tools", "install-gimp-plugin.sh"), "--plugin",
                        PLUGIN, "--into", os.path.join(self.profile, "plug-ins")],
                       check=True, stdout=subprocess.DEVNULL)
        os.makedirs(SCREENSHOTS, exist_ok=True)
        ensure_display()

    def path(self, name):
        return os.path.join(self.folder, name)

    def run_module(self):
        out = self.path("module.png")
        steps = ("type 201 %d; type 202 %d; type 203 %d; " % SETTINGS +
                 "wait 300; shot %s; click 1" % os.path.join(SCREENSHOTS, "module-dialog.png"))
        run = subprocess.run([os.path.join(SOURCE, "tools", "plughost"), "--arch", "win64", "run",
                              MODULE, "--in", self.picture, "--out", out, "--do", steps],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                             universal_newlines=True, timeout=GIMP_TIMEOUT)
        self.assertEqual(run.returncode, 0, run.stdout)
        return read_png(out)

    def private_environment(self):
        """GIMP's profile and GTK's list of recent files in the test's own folder."""
        environment = dict(os.environ, GIMP2_DIRECTORY=self.profile)
        for variable in ("XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"):
            environment[variable] = self.path(variable.lower())
        return environment

    def start_gimp(self, out):
        script = ("(let* (%s (layer (car (gimp-image-get-active-layer image))))"
                  " (plug-in-lumiveil RUN-INTERACTIVE image layer 0 0 0) %s)" % (
                      load_image(self.picture), save_layer(out)))
        log = open(self.path("gimp.log"), "w")
        self.addCleanup(log.close)
        return subprocess.Popen([GIMP, "--no-interface", "--no-data", "--no-fonts", "--batch", script,
                                 "--batch", "(gimp-quit 0)"],
                                env=self.private_environment(),
                                stdout=log, stderr=subprocess.STDOUT)

    def grab(self, window, name):
        dump = self.path(name + ".xwd")
        subprocess.run(["xwd", "-id", window, "-out", dump], check=True)
        return read_xwd(dump)

    def shoot_when_settled(self, window, name):
        """The window once two looks in a row agree: the preview has been drawn."""
        deadline = time.monotonic() + WINDOW_TIMEOUT
        last = self.grab(window, name)
        while True:
            time.sleep(POLL_SECONDS)
            shot = self.grab(window, name)
            if shot == last and len(set(shot.data)) > 16:
                break
            if time.monotonic() > deadline:
                raise AssertionError("the dialog never settled")
            last = shot
        write_png(os.path.join(SCREENSHOTS, name + ".png"), shot)
        return shot

    def test_dialog_shows_and_ok_gives_the_modules_bytes(self):
        module_result = self.run_module()

        out = self.path("gimp.png")
        gimp = self.start_gimp(out)
        try:
            dialog = wait_for_window(DIALOG_TITLE)
            self.shoot_when_settled(dialog, "gimp-dialog")
            press_until_closed(dialog, "alt+o")
            gimp.wait(timeout=GIMP_TIMEOUT)
        finally:
            if gimp.poll() is None:
                gimp.kill()
                gimp.wait()
        with open(self.path("gimp.log")) as log:
            gimp_log = log.read()
        self.assertTrue(os.path.exists(out), gimp_log)
        ours = read_png(out)
        self.assertEqual(ours, module_result,
                         describe_difference(ours, module_result) + "\n" + gimp_log)


if __name__ == "__main__":
    exit_unless_present_here(("Xvfb", "xdotool", "xwd"))
    unittest.main()
