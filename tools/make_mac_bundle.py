#!/usr/bin/env python3
"""Lays out the Mac plug-in bundle from its two built slices.

    python3 tools/make_mac_bundle.py SOURCE_DIR BUILD_DIR

BUILD_DIR/mac/LumiveilFilter.plugin gets
  Contents/Info.plist                    a filter module (8BFM) for Photoshop (8BIM)
  Contents/PkgInfo                       the same two codes
  Contents/MacOS/LumiveilFilter          BUILD_DIR/mac-x86_64 and mac-arm64's
                                         LumiveilFilter merged by llvm-lipo, each
                                         slice as signed (ad hoc) by its linker
  Contents/Resources/LumiveilFilter.rsrc a resource file (data fork) holding the
                                         property list, PiPL 16000

The property list is made from resources/pipl.rc, the Windows modules' own: the
resource compiler's preprocessor (clang -E) expands it, its data statements give
the Windows list, and the Mac list holds the same properties big-endian, without
the Windows list's leading 16-bit word, with the Windows entry point replaced by
the two Mac ones ('mi64', 'ma64', Pascal strings naming PluginMain) and the Cocoa
property ('coco') added. The version is the VERSION file's.

Deterministic: the same slices and sources always give the same bytes.
"""

import os
import re
import shutil
import struct
import subprocess
import sys

EXECUTABLE = "LumiveilFilter"
BUNDLE = EXECUTABLE + ".plugin"
IDENTIFIER = "com.quietharborstudio.LumiveilFilter"
SLICE_BUILDS = ("mac-x86_64", "mac-arm64")
PACKAGE_TYPE = "8BFM"  # a filter module
SIGNATURE = "8BIM"  # Photoshop's plug-in family
MINIMUM_SYSTEM = "10.13"  # the x86_64 slice's; the arm64 one needs 11.0, the first on Apple silicon
ENTRY_NAME = b"PluginMain"

PIPL_TYPE = b"PiPL"
PIPL_ID = 16000
PIPL_RESOURCE_NAME = b"Lumiveil"
RESOURCE_PURGEABLE = 0x20
VENDOR = b"8BIM"
# The Windows entry point keys, one of which the expanded pipl.rc holds.
WINDOWS_ENTRY_KEYS = (b"wx86", b"8664", b"wa64")
MAC_ENTRY_KEYS = (b"mi64", b"ma64")  # Intel, then Apple silicon
COCOA_KEY = b"coco"  # code with Objective-C classes: never unload it
COCOA_NEVER_UNLOAD = 1

# Resource file layout: a 16-byte header, reserved bytes up to the data at 256,
# then the data, then the map.
RESOURCE_DATA_OFFSET = 256
MAP_HEADER_SIZE = 28  # header copy, next map, file ref, attributes, two offsets
TYPE_ENTRY_SIZE = 8
REFERENCE_SIZE = 12

_TOKEN = re.compile(r'\s*(?:(?P<string>"(?:[^"\\]|\\.)*")|(?P<number>-?(?:0[xX][0-9a-fA-F]+|\d+))'
                    r'(?P<long>[lL]?)|(?P<comma>,))')


def read_version(source_dir):
    with open(os.path.join(source_dir, "VERSION"), encoding="ascii") as f:
        return f.readline().strip()


def c_string_bytes(literal):
    """The bytes of a C string literal, quotes removed, escapes decoded."""
    body, out, i = literal[1:-1], bytearray(), 0
    simple = {"n": 10, "t": 9, "r": 13, "\\": 92, '"': 34, "'": 39, "a": 7, "b": 8, "f": 12, "v": 11}
    while i < len(body):
        c = body[i]
        if c != "\\":
            out.append(ord(c))
            i += 1
            continue
        i += 1
        octal = re.match(r"[0-7]{1,3}", body[i:])
        if octal:
            out.append(int(octal.group(0), 8))
            i += len(octal.group(0))
        elif body[i] == "x":
            digits = re.match(r"[0-9a-fA-F]+", body[i + 1:]).group(0)
            out.append(int(digits, 16) & 0xFF)
            i += 1 + len(digits)
        else:
            out.append(simple[body[i]])
            i += 1
    return bytes(out)


def windows_pipl(source_dir, preprocessor):
    """The Windows modules' property list as the resource compiler makes it from
    resources/pipl.rc (for x64; only the entry point's key differs by width)."""
    expanded = subprocess.run(
        [preprocessor, "-E", "-P", "-x", "c", "-DLUMIVEIL_WIN64=1", "-I", source_dir,
         os.path.join(source_dir, "resources", "pipl.rc")],
        check=True, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL).stdout.decode("latin-1")
    body = re.search(r"\bBEGIN\b(.*)\bEND\b", expanded, re.S)
    if not body:
        raise ValueError("resources/pipl.rc holds no BEGIN ... END block")
    text, position, data = body.group(1), 0, bytearray()
    while text[position:].strip():
        token = _TOKEN.match(text, position)
        if not token:
            raise ValueError("resources/pipl.rc: cannot read %r" % text[position:position + 40])
        position = token.end()
        if token.group("string"):
            data += c_string_bytes(token.group("string"))
        elif token.group("number"):
            value = int(token.group("number"), 0)
            # A number with L is 32 bits, a bare one 16, both little-endian.
            data += struct.pack("<I" if token.group("long") else "<H",
                                value & (0xFFFFFFFF if token.group("long") else 0xFFFF))
    return bytes(data)


def windows_properties(pipl):
    """[(vendor, key, id, data)] of a Windows list, codes in reading order."""
    reserved, version, count = struct.unpack_from("<hii", pipl, 0)
    if (reserved, version) != (1, 0):
        raise ValueError("not a version-0 Windows property list")
    offset, found = 10, []
    for _ in range(count):
        vendor, key, property_id, length = struct.unpack_from("<IIiI", pipl, offset)
        start = offset + 16
        found.append((struct.pack(">I", vendor), struct.pack(">I", key), property_id,
                      pipl[start:start + length]))
        offset = start + (length + 3) // 4 * 4
    if offset != len(pipl):
        raise ValueError("the Windows property list has bytes after its last property")
    return found


def pascal_entry(name):
    return bytes([len(name)]) + name


def mac_property_data(key, data):
    """A Windows property's data in the Mac form: numbers big-endian, text alike."""
    if key in (b"kind",):
        return data[::-1]  # a code stored as a little-endian number
    if key in (b"vers", b"prty"):
        return struct.pack(">i", struct.unpack("<i", data)[0])
    return data  # Pascal strings, mode flag bytes and filter cases are bytes already


def mac_pipl(windows):
    """The Mac list: version, count, then each property big-endian, padded to 4."""
    properties = []
    for vendor, key, property_id, data in windows_properties(windows):
        if key in WINDOWS_ENTRY_KEYS:
            properties += [(vendor, mac_key, 0, pascal_entry(ENTRY_NAME)) for mac_key in MAC_ENTRY_KEYS]
        else:
            properties.append((vendor, key, property_id, mac_property_data(key, data)))
    properties.append((VENDOR, COCOA_KEY, 0, struct.pack(">i", COCOA_NEVER_UNLOAD)))
    out = struct.pack(">ii", 0, len(properties))
    for vendor, key, property_id, data in properties:
        out += vendor + key + struct.pack(">iI", property_id, len(data)) + data
        out += bytes(-len(data) % 4)
    return out


def resource_file(resource_type, resource_id, name, attributes, data):
    """A data-fork resource file holding one named resource."""
    data_area = struct.pack(">I", len(data)) + data
    type_list = struct.pack(">H", 0) + resource_type + struct.pack(">HH", 0, 2 + TYPE_ENTRY_SIZE)
    reference = struct.pack(">hHB", resource_id, 0, attributes) + (0).to_bytes(3, "big") + bytes(4)
    name_list = bytes([len(name)]) + name
    map_offset = RESOURCE_DATA_OFFSET + len(data_area)
    map_length = MAP_HEADER_SIZE + len(type_list) + len(reference) + len(name_list)
    header = struct.pack(">IIII", RESOURCE_DATA_OFFSET, map_offset, len(data_area), map_length)
    resource_map = (header + struct.pack(">IHHHH", 0, 0, 0, MAP_HEADER_SIZE,
                                         MAP_HEADER_SIZE + len(type_list) + len(reference)) +
                    type_list + reference + name_list)
    return header + bytes(RESOURCE_DATA_OFFSET - len(header)) + data_area + resource_map


def info_plist(version):
    keys = [
        ("CFBundleDevelopmentRegion", "English"),
        ("CFBundleExecutable", EXECUTABLE),
        ("CFBundleGetInfoString", "Lumiveil %s, Quiet Harbor Studio" % version),
        ("CFBundleIdentifier", IDENTIFIER),
        ("CFBundleInfoDictionaryVersion", "6.0"),
        ("CFBundleName", EXECUTABLE),
        ("CFBundlePackageType", PACKAGE_TYPE),
        ("CFBundleShortVersionString", version),
        ("CFBundleSignature", SIGNATURE),
        ("CFBundleVersion", version),
        ("LSMinimumSystemVersion", MINIMUM_SYSTEM),
        ("NSHumanReadableCopyright", "Copyright (C) Quiet Harbor Studio"),
    ]
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" '
             '"http://www.apple.com/DTDs/PropertyList-1.0.dtd">',
             '<plist version="1.0">', "<dict>"]
    for key, value in keys:
        lines += ["\t<key>%s</key>" % key, "\t<string>%s</string>" % value]
    lines += ["</dict>", "</plist>", ""]
    return "\n".join(lines).encode("utf-8")


def write(path, data, mode=0o644):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    os.chmod(path, mode)


def make_bundle(source_dir, build_dir, lipo, preprocessor):
    bundle = os.path.join(build_dir, "mac", BUNDLE)
    shutil.rmtree(bundle, ignore_errors=True)
    contents = os.path.join(bundle, "Contents")
    version = read_version(source_dir)
    write(os.path.join(contents, "Info.plist"), info_plist(version))
    write(os.path.join(contents, "PkgInfo"), (PACKAGE_TYPE + SIGNATURE).encode("ascii"))
    pipl = mac_pipl(windows_pipl(source_dir, preprocessor))
    write(os.path.join(contents, "Resources", EXECUTABLE + ".rsrc"),
          resource_file(PIPL_TYPE, PIPL_ID, PIPL_RESOURCE_NAME, RESOURCE_PURGEABLE, pipl))
    executable = os.path.join(contents, "MacOS", EXECUTABLE)
    os.makedirs(os.path.dirname(executable), exist_ok=True)
    slices = [os.path.join(build_dir, name, EXECUTABLE) for name in SLICE_BUILDS]
    subprocess.run([lipo, "-create"] + slices + ["-output", executable], check=True)
    os.chmod(executable, 0o755)
    return bundle


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    lipo = os.environ.get("LUMIVEIL_LIPO") or shutil.which("llvm-lipo-14") or "llvm-lipo"
    preprocessor = os.environ.get("LUMIVEIL_CLANG") or shutil.which("clang-14") or "clang"
    print(make_bundle(argv[1], argv[2], lipo, preprocessor))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
