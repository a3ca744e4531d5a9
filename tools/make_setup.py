#!/usr/bin/env python3
"""Writes the Windows setup program from the built modules, with NSIS's makensis.

    python3 tools/make_setup.py SOURCE_DIR BUILD_DIR DIST_DIR [--version V]

DIST_DIR/Lumiveil-<version>-setup.exe (release/installer/lumiveil.nsi) carries
BUILD_DIR/win32, win64 and win-arm64/LumiveilFilter.8bf as built, the GEGL operation
for GIMP 3 from BUILD_DIR/win64 and win-arm64/lumiveil-gegl.dll as win64/gegl/ and
win-arm64/gegl/ (where built: they need the Windows GEGL; without one the setup
offers GIMP 3 nothing, and says so), and README.txt and LICENSE.txt as the archive
has them. Without the ARM64 module (no ARM64 toolchain)
the setup is still written, says so, and offers ARM64 hosts nothing. --version
names another version (the tests build an older setup with it).

Deterministic: the files are staged with one fixed date (NSIS keeps each file's
date), so the same modules and texts always give the same setup bytes, whatever
the folders. Prints the setup's path.
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_package  # noqa: E402

# 1980-01-01 00:00 UTC, the date the archive's entries carry.
STAGED_FILE_TIME = 315532800
SCRIPT = os.path.join("release", "installer", "lumiveil.nsi")


def stage(source_dir, build_dir, version, folder):
    """The setup's files, as the archive has them; False when there is no ARM64 module."""
    have_arm64 = True
    for width in make_package.WIDTHS:
        module = os.path.join(build_dir, width, make_package.MODULE_NAME)
        if not os.path.isfile(module):
            if width == "win-arm64":
                have_arm64 = False
                continue
            sys.exit("make_setup: no module at %s (tools/build.sh builds it)" % module)
        os.makedirs(os.path.join(folder, width))
        shutil.copyfile(module, os.path.join(folder, width, make_package.MODULE_NAME))
    for width in make_package.GEGL_WINDOWS_WIDTHS:
        operation = os.path.join(build_dir, width, make_package.GEGL_WINDOWS_NAME)
        if os.path.isfile(operation):
            os.makedirs(os.path.join(folder, width, "gegl"))
            shutil.copyfile(operation,
                            os.path.join(folder, width, "gegl", make_package.GEGL_WINDOWS_NAME))
        else:
            print("make_setup: no %s: the setup offers a GIMP 3 of that width nothing"
                  % operation, file=sys.stderr)
    guide = make_package.read_text(os.path.join(source_dir, "release", "guide.txt"))
    texts = {
        "README.txt": make_package.windows_text(guide.replace(make_package.VERSION_MARK, version)),
        "LICENSE.txt": make_package.windows_text(
            make_package.read_text(os.path.join(source_dir, "LICENSE"))),
    }
    for name, data in texts.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    for directory, _, names in os.walk(folder):
        for name in names:
            os.utime(os.path.join(directory, name), (STAGED_FILE_TIME, STAGED_FILE_TIME))
    return have_arm64


def main(arguments):
    version = None
    if len(arguments) == 5 and arguments[3] == "--version":
        version = arguments[4]
        arguments = arguments[:3]
    if len(arguments) != 3:
        sys.exit(__doc__.strip())
    source_dir, build_dir, dist_dir = (os.path.abspath(a) for a in arguments)
    version = version or make_package.read_version(source_dir)
    makensis = shutil.which("makensis")
    if not makensis:
        sys.exit("make_setup: no makensis (tools/install-deps.sh installs Debian's nsis)")
    os.makedirs(dist_dir, exist_ok=True)
    setup = os.path.join(dist_dir, "%s-%s-setup.exe" % (make_package.PRODUCT, version))
    with tempfile.TemporaryDirectory(prefix="lumiveil-setup-") as folder:
        if not stage(source_dir, build_dir, version, folder):
            print("make_setup: no ARM64 module (its toolchain is not built): the setup offers"
                  " ARM64 hosts none", file=sys.stderr)
        command = [makensis, "-V2", "-DVERSION=" + version, "-DSTAGE=" + folder,
                   "-DOUTFILE=" + setup, os.path.join(source_dir, SCRIPT)]
        completed = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if completed.returncode != 0:
            sys.stderr.write(completed.stdout.decode(errors="replace"))
            sys.exit("make_setup: makensis failed")
    print(setup)


if __name__ == "__main__":
    main(sys.argv[1:])
