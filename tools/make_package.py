#!/usr/bin/env python3
"""Writes the release archive from the three built modules and the GEGL operation,
or with --mac the Mac archive from the Mac bundle.

    python3 tools/make_package.py SOURCE_DIR BUILD_DIR DIST_DIR
    python3 tools/make_package.py --mac SOURCE_DIR BUILD_DIR DIST_DIR

DIST_DIR/Lumiveil-<version>.zip holds win32/, win64/ and win-arm64/LumiveilFilter.8bf
as built, the GEGL operation for GIMP 3 on Windows as win64/gegl/ and
win-arm64/gegl/lumiveil-gegl.dll (from BUILD_DIR/win64 and win-arm64) and for Linux
as linux-x86_64/lumiveil-gegl.so (BUILD_DIR/gegl/), README.txt (release/guide.txt),
LICENSE.txt and SHA256SUMS, the sums of those eight; DIST_DIR/SHA256SUMS beside it
holds the archive's sum. The version is the VERSION file's.

DIST_DIR/Lumiveil-<version>-macOS.zip holds LumiveilFilter.plugin (BUILD_DIR/mac/,
its folders included, its executable executable), README.md (docs/mac.md),
LICENSE.txt and SHA256SUMS of the files; tools/package.sh lists it in
DIST_DIR/SHA256SUMS beside the others.

Deterministic: the entries are in name order and carry one fixed date and the
same permissions, so the same modules and texts always give the same bytes.
"""

import hashlib
import os
import sys
import zipfile

PRODUCT = "Lumiveil"
MODULE_NAME = "LumiveilFilter.8bf"
WIDTHS = ("win32", "win64", "win-arm64")
# The GEGL operation for GIMP 3, GIMP 2.10 and the gegl command on Linux x86-64.
GEGL_MODULE_NAME = "lumiveil-gegl.so"
GEGL_BUILD = "gegl"
GEGL_FOLDER = "linux-x86_64"
# The same operation for GIMP 3 on Windows, one DLL per width, in <width>/gegl/.
GEGL_WINDOWS_NAME = "lumiveil-gegl.dll"
GEGL_WINDOWS_WIDTHS = ("win64", "win-arm64")
SUMS_NAME = "SHA256SUMS"
VERSION_MARK = "@VERSION@"
# The earliest date a zip entry can carry; no clock is read.
ENTRY_DATE = (1980, 1, 1, 0, 0, 0)
ENTRY_PERMISSIONS = 0o100644  # a plain file, rw-r--r--
EXECUTABLE_PERMISSIONS = 0o100755  # rwxr-xr-x
FOLDER_PERMISSIONS = 0o040755
MAC_BUNDLE = "LumiveilFilter.plugin"
MAC_EXECUTABLE = MAC_BUNDLE + "/Contents/MacOS/LumiveilFilter"
MSDOS_DIRECTORY_ATTRIBUTE = 0x10
ZIP_FILE_ATTRIBUTE_SHIFT = 16  # Unix permissions sit in the attributes' high half
DEFLATE_LEVEL = 9


def read_version(source_dir):
    with open(os.path.join(source_dir, "VERSION"), encoding="ascii") as f:
        return f.readline().strip()


def windows_text(text):
    """Text as Notepad and every Windows editor shows it: CRLF line ends."""
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("ascii")


def read_text(path):
    with open(path, encoding="ascii") as f:
        return f.read()


def sums_file(entries):
    """sha256sum's format: the hex sum, two spaces, the name; one line per entry."""
    lines = [f"{hashlib.sha256(entries[name]).hexdigest()}  {name}\n" for name in sorted(entries)]
    return "".join(lines).encode("ascii")


def archive_entries(source_dir, build_dir, version):
    entries = {}
    for width in WIDTHS:
        with open(os.path.join(build_dir, width, MODULE_NAME), "rb") as f:
            entries[f"{width}/{MODULE_NAME}"] = f.read()
    for width in GEGL_WINDOWS_WIDTHS:
        with open(os.path.join(build_dir, width, GEGL_WINDOWS_NAME), "rb") as f:
            entries[f"{width}/gegl/{GEGL_WINDOWS_NAME}"] = f.read()
    with open(os.path.join(build_dir, GEGL_BUILD, GEGL_MODULE_NAME), "rb") as f:
        entries[f"{GEGL_FOLDER}/{GEGL_MODULE_NAME}"] = f.read()
    guide = read_text(os.path.join(source_dir, "release", "guide.txt"))
    entries["README.txt"] = windows_text(guide.replace(VERSION_MARK, version))
    entries["LICENSE.txt"] = windows_text(read_text(os.path.join(source_dir, "LICENSE")))
    entries[SUMS_NAME] = sums_file(entries)
    return entries


def mac_archive_entries(source_dir, build_dir):
    """The Mac archive's files; a name ending in / is a folder."""
    entries = {}
    bundle = os.path.join(build_dir, "mac", MAC_BUNDLE)
    for folder, subfolders, names in os.walk(bundle):
        subfolders.sort()
        relative = os.path.relpath(folder, os.path.dirname(bundle)).replace(os.sep, "/")
        entries[relative + "/"] = b""
        for name in names:
            with open(os.path.join(folder, name), "rb") as f:
                entries[f"{relative}/{name}"] = f.read()
    with open(os.path.join(source_dir, "docs", "mac.md"), "rb") as f:
        entries["README.md"] = f.read()
    with open(os.path.join(source_dir, "LICENSE"), "rb") as f:
        entries["LICENSE.txt"] = f.read()
    entries[SUMS_NAME] = sums_file({name: data for name, data in entries.items()
                                    if not name.endswith("/")})
    return entries


def write_zip(path, entries):
    with zipfile.ZipFile(path, "w") as archive:
        for name in sorted(entries):
            info = zipfile.ZipInfo(name, date_time=ENTRY_DATE)
            if name.endswith("/"):
                info.external_attr = (FOLDER_PERMISSIONS << ZIP_FILE_ATTRIBUTE_SHIFT |
                                      MSDOS_DIRECTORY_ATTRIBUTE)
                archive.writestr(info, b"")
                continue
            permissions = EXECUTABLE_PERMISSIONS if name == MAC_EXECUTABLE else ENTRY_PERMISSIONS
            info.external_attr = permissions << ZIP_FILE_ATTRIBUTE_SHIFT
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, entries[name], compresslevel=DEFLATE_LEVEL)


def main(arguments):
    mac = arguments[:1] == ["--mac"]
    if mac:
        arguments = arguments[1:]
    if len(arguments) != 3:
        sys.exit(__doc__.strip())
    source_dir, build_dir, dist_dir = arguments
    version = read_version(source_dir)
    if mac:
        archive_path = os.path.join(dist_dir, f"{PRODUCT}-{version}-macOS.zip")
        os.makedirs(dist_dir, exist_ok=True)
        write_zip(archive_path, mac_archive_entries(source_dir, build_dir))
        print(archive_path)
        return
    archive_name = f"{PRODUCT}-{version}.zip"
    archive_path = os.path.join(dist_dir, archive_name)
    os.makedirs(dist_dir, exist_ok=True)
    write_zip(archive_path, archive_entries(source_dir, build_dir, version))
    with open(archive_path, "rb") as f:
        beside = sums_file({archive_name: f.read()})
    with open(os.path.join(dist_dir, SUMS_NAME), "wb") as f:
        f.write(beside)
    print(archive_path)


if __name__ == "__main__":
    main(sys.argv[1:])
