#!/usr/bin/env python3
"""Makes the README's pictures with the project's own tools.

    python3 tools/make_readme_images.py [--in PICTURE] [--module MODULE]

The picture (by default the About box's harbour at dusk, drawn by
tools/make_artwork.py at its own 425 x 250) is filtered by the module
(build/win64/LumiveilFilter.8bf by default; build it and its plughost with
`cmake --build build/win64 --target LumiveilFilter plughost`) through plughost
under Wine, as a user would: the dialog opens, the settings are typed, the
dialog is photographed, OK is pressed. docs/images/before.png and after.png are
the picture and the result, shrunk by averaging where wider than 425 pixels;
docs/images/dialog.png is the dialog as it was set. Each is written with the
PNG row filter that makes it smallest, so that the front page stays light.
"""

import argparse
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
sys.path.insert(0, os.path.join(ROOT, "tools"))

import make_artwork  # noqa: E402
import pngio  # noqa: E402

MOST_WIDTH = 425
# The dialog's fields: Radiation, Amount, Mist (the README's caption names them).
SETTINGS = ((201, 60), (202, 100), (203, 30))


def draw_harbour(path):
    palette, indices = make_artwork.to_palette(make_artwork.render_about(),
                                               make_artwork.ABOUT_WIDTH,
                                               make_artwork.ABOUT_COLOURS,
                                               make_artwork.ABOUT_DITHER)
    with open(path, "wb") as f:
        f.write(make_artwork.png_bytes(make_artwork.ABOUT_WIDTH, make_artwork.ABOUT_HEIGHT,
                                       palette, indices))


def shrink(image, width, height):
    """Each new pixel is the rounded mean of the source pixels it covers."""
    out = pngio.Image(width, height, image.channels)
    channels, data = image.channels, image.data
    xs = [x * image.width // width for x in range(width + 1)]
    ys = [y * image.height // height for y in range(height + 1)]
    for y in range(height):
        for x in range(width):
            sums = [0] * channels
            count = (ys[y + 1] - ys[y]) * (xs[x + 1] - xs[x])
            for source_y in range(ys[y], ys[y + 1]):
                row = source_y * image.width * channels
                for at in range(row + xs[x] * channels, row + xs[x + 1] * channels, channels):
                    for k in range(channels):
                        sums[k] += data[at + k]
            out.set_pixel(x, y, [(s + count // 2) // count for s in sums])
    return out


def write_small(source, target, most_width):
    image = pngio.read_png(source)
    if most_width and image.width > most_width:
        image = shrink(image, most_width, round(image.height * most_width / image.width))
    blob = min((pngio.encode_png(image, row_filter) for row_filter in range(5)), key=len)
    with open(target, "wb") as f:
        f.write(blob)
    print("make_readme_images: %s, %d x %d, %d KB" % (os.path.relpath(target, ROOT), image.width,
                                                     image.height, (len(blob) + 1023) // 1024))


def main():
    parser = argparse.ArgumentParser(description="Makes the README's pictures.")
    parser.add_argument("--in", dest="picture", help="8-bit PNG to filter (the harbour otherwise)")
    parser.add_argument("--module",
                        default=os.path.join(ROOT, "build", "win64", "LumiveilFilter.8bf"))
    args = parser.parse_args()
    if not os.path.isfile(args.module):
        sys.exit("make_readme_images: no module %s: build it first (docs/building-and-testing.md)"
                 % args.module)
    images = os.path.join(ROOT, "docs", "images")
    os.makedirs(images, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="lumiveil-readme-") as work:
        picture = args.picture or os.path.join(work, "harbour.png")
        if not args.picture:
            draw_harbour(picture)
        result = os.path.join(work, "result.png")
        dialog = os.path.join(work, "dialog.png")
        steps = "; ".join("type %d %d" % setting for setting in SETTINGS)
        run = [os.path.join(ROOT, "tools", "plughost"), "run", args.module, "--in", picture,
               "--out", result, "--windows-dir", os.path.join(work, "windows"),
               "--do", "%s; wait 300; shot %s; click 1" % (steps, dialog)]
        if subprocess.run(run, stdout=subprocess.DEVNULL).returncode != 0:
            sys.exit("make_readme_images: plughost failed (the reason above)")
        write_small(picture, os.path.join(images, "before.png"), MOST_WIDTH)
        write_small(result, os.path.join(images, "after.png"), MOST_WIDTH)
        write_small(dialog, os.path.join(images, "dialog.png"), None)


if __name__ == "__main__":
    main()
