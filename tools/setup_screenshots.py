#!/usr/bin/env python3
"""Screenshots of the setup's pages under Xvfb, in a fresh Wine prefix with three
hosts registered (Photoshop 2024 x64, Photoshop CS5 32-bit, IrfanView 32-bit):

    python3 tools/setup_screenshots.py [SETUP.exe]   (default: build/dist's)

writes build/screenshots/setup-1-welcome.png, -2-components, -3-folder and
-4-finish, going from page to page with the Next button, as a user accepting every default.
Needs Wine, Xvfb, xdotool and xwd.
"""

import glob
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "installer"))
sys.path.insert(0, os.path.join(ROOT, "tests", "gimp"))
from test_installer import WINE_PROGRAMS, WinePrefix, read  # noqa: E402
from xwd_image import read_xwd  # noqa: E402
from pngio import write_png  # noqa: E402

PAGES = ("welcome", "components", "folder", "finish")
WINDOW_WAIT_SECONDS = 60
PAGE_SETTLE_SECONDS = 2
NEXT_BUTTON = ["421", "338"]  # Next, Install and Finish, where every page has it


def setup_window(env):
    """The X window of the setup's wizard, once it is shown."""
    deadline = time.time() + WINDOW_WAIT_SECONDS
    while time.time() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Lumiveil.*Setup"],
                               env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        ids = found.stdout.split()
        if ids:
            return ids[-1].decode()
        time.sleep(0.5)
    sys.exit("setup_screenshots: the setup's window did not appear")


def shoot(env, window, path):
    with tempfile.NamedTemporaryFile(suffix=".xwd") as dump:
        subprocess.run(["xwd", "-silent", "-id", window, "-out", dump.name], env=env, check=True)
        write_png(path, read_xwd(dump.name))


def main(arguments):
    setups = arguments or glob.glob(os.path.join(ROOT, "build", "dist", "Lumiveil-*-setup.exe"))
    if len(setups) != 1:
        sys.exit(__doc__.strip())
    out_dir = os.path.join(ROOT, "build", "screenshots")
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="lumiveil-screens-") as folder:
        prefix = WinePrefix(folder, "win64")
        prefix.register_photoshop("180.0", "C:\\Program Files\\Adobe\\Adobe Photoshop 2024",
                                  WINE_PROGRAMS["win64"], "64")
        prefix.register_photoshop("12.0", "C:\\Program Files (x86)\\Adobe\\Adobe Photoshop CS5",
                                  WINE_PROGRAMS["win32"], "32")
        prefix.put("C:\\Program Files (x86)\\IrfanView\\i_view32.exe", read(WINE_PROGRAMS["win32"]))
        running = subprocess.Popen(["wine", setups[0]], env=prefix.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        written = []
        for number, page in enumerate(PAGES, 1):
            window = setup_window(prefix.env)
            time.sleep(PAGE_SETTLE_SECONDS)
            path = os.path.join(out_dir, "setup-%d-%s.png" % (number, page))
            shoot(prefix.env, window, path)
            written.append(path)
            # Without a window manager a click reaches Wine where a sent key may not.
            subprocess.run(["xdotool", "mousemove", "--window", window] + NEXT_BUTTON
                           + ["click", "1"], env=prefix.env, stderr=subprocess.DEVNULL)
            if page == "folder":  # the files page passes on by itself
                time.sleep(PAGE_SETTLE_SECONDS * 2)
        running.wait(timeout=60)
        subprocess.run(["wineserver", "-w"], env=prefix.env, timeout=120)
    print("\n".join(written))


if __name__ == "__main__":
    main(sys.argv[1:])
