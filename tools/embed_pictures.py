#!/usr/bin/env python3
"""Writes the module's pictures into a C++ source for the Mac plug-in, which has
no resource table to carry them (platform/mac/pictures.h).

    python3 tools/embed_pictures.py OUT.cpp ABOUT.bmp BAND.bmp

The bytes are the files' own, whole: the same pictures as the Windows modules'.
"""

import sys

NAMES = ("kAboutPictureBmp", "kDialogBandBmp")
BYTES_PER_LINE = 24


def array(name, data):
    lines = [",".join(str(b) for b in data[i:i + BYTES_PER_LINE])
             for i in range(0, len(data), BYTES_PER_LINE)]
    return ("const unsigned char %s[] = {\n%s};\nconst unsigned int %sSize = sizeof %s;\n"
            % (name, ",\n".join(lines), name, name))


def main(out, *pictures):
    if len(pictures) != len(NAMES):
        sys.exit("usage: embed_pictures.py OUT.cpp ABOUT.bmp BAND.bmp")
    parts = ["// Made by tools/embed_pictures.py from the module's artwork.\n",
             '#include "platform/mac/pictures.h"\n']
    for name, path in zip(NAMES, pictures):
        with open(path, "rb") as f:
            parts.append(array(name, f.read()))
    with open(out, "w") as f:
        f.write("\n".join(parts))


if __name__ == "__main__":
    main(*sys.argv[1:])
