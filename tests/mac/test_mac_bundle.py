"""What a Mac host and the Mac's loader read from LumiveilFilter.plugin without
running it: the bundle's files, Info.plist, the universal executable's slices,
their exports, imports, load commands and ad hoc signatures (every page hash
recomputed), and the resource file's property list, which must carry the
Windows modules' properties in the Mac form.

    LUMIVEIL_BUILD=<folder holding mac/ and win64/> python3 tests/mac/test_mac_bundle.py
"""

import os
import plistlib
import stat
import struct
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "e2e"))

import macho  # noqa: E402
import mac_resources as rsrc  # noqa: E402
import pe_resources as pe  # noqa: E402

REPOSITORY = os.path.dirname(os.path.dirname(HERE))
SOURCE_ROOT = os.environ.get("LUMIVEIL_SOURCE", REPOSITORY)
BUILD_ROOT = os.environ.get("LUMIVEIL_BUILD", os.path.join(REPOSITORY, "build"))
BUNDLE = os.path.join(BUILD_ROOT, "mac", "LumiveilFilter.plugin")
EXECUTABLE_NAME = "LumiveilFilter"
EXECUTABLE = os.path.join(BUNDLE, "Contents", "MacOS", EXECUTABLE_NAME)
RESOURCE_FILE = os.path.join(BUNDLE, "Contents", "Resources", EXECUTABLE_NAME + ".rsrc")
WINDOWS_MODULE = os.path.join(BUILD_ROOT, "win64", "LumiveilFilter.8bf")

BUNDLE_FILES = ["Contents/Info.plist", "Contents/MacOS/LumiveilFilter", "Contents/PkgInfo",
                "Contents/Resources/LumiveilFilter.rsrc"]

# Each slice: processor, the oldest macOS it runs on, and the page size its
# segments (and its place in the universal file) are aligned to.
SLICES = {"x86_64": ("10.13", 12), "arm64": ("11.0", 14)}
EXPORTS = {"_PluginMain"}
LIBSYSTEM = "/usr/lib/libSystem.B.dylib"
FRAMEWORKS = "/System/Library/Frameworks/%s.framework/Versions/%s"
# The C library, the Objective-C runtime, and the frameworks of the notices, the
# keyboard and drawing, and the windows (AppKit alone is at version C).
LIBRARIES = {LIBSYSTEM, "/usr/lib/libobjc.A.dylib",
             FRAMEWORKS % ("CoreFoundation", "A/CoreFoundation"),
             FRAMEWORKS % ("CoreGraphics", "A/CoreGraphics"), FRAMEWORKS % ("AppKit", "C/AppKit")}
# Every load command a slice carries; chained fixups (macOS 12 and later) or
# run-path searches would be out of place.
LOAD_COMMANDS = {"LC_SEGMENT_64", "LC_DYLD_INFO_ONLY", "LC_SYMTAB", "LC_DYSYMTAB", "LC_UUID",
                 "LC_LOAD_DYLIB", "LC_FUNCTION_STARTS", "LC_DATA_IN_CODE", "LC_CODE_SIGNATURE"}
VERSION_COMMANDS = {"x86_64": "LC_VERSION_MIN_MACOSX", "arm64": "LC_BUILD_VERSION"}
# Code first, link-edit information last; the data segments between, where there is data.
SEGMENTS = ["__TEXT", "__DATA_CONST", "__DATA", "__LINKEDIT"]
VM_PROT_WRITE = 2
VM_PROT_EXECUTE = 4
PAGE_SIZE_SIGNED = 4096

PIPL_KEY = (b"PiPL", 16000)
PURGEABLE = 0x20
VENDOR = b"8BIM"
ENTRY = bytes([10]) + b"PluginMain"
# The Mac list byte for byte: (key, data). The entry points of both processors sit
# where the Windows list has its one, and the Cocoa property comes last.
EXPECTED_PROPERTIES = [
    (b"kind", b"8BFM"),
    (b"vers", b"\x00\x04\x00\x00"),
    (b"prty", b"\x00\x00\x00\x00"),
    (b"catg", bytes([19]) + b"Harborlight Effects"),
    (b"name", bytes([11]) + b"Lumiveil..."),
    (b"mi64", ENTRY),
    (b"ma64", ENTRY),
    (b"mode", b"\x10\x00\x00\x00"),
    (b"fici", bytes([1, 1, 0x01, 0]) * 7),
    (b"coco", b"\x00\x00\x00\x01"),
]
WINDOWS_ENTRY_KEY = b"8664"
NUMERIC_KEYS = (b"kind", b"vers", b"prty")  # numbers, so byte-swapped between the two forms


def read(path):
    with open(path, "rb") as f:
        return f.read()


def setUpModule():
    global slices, universal
    if not os.path.isfile(EXECUTABLE):
        raise RuntimeError("no bundle at %s: build it first (tools/build.sh)" % BUNDLE)
    universal = read(EXECUTABLE)
    slices = macho.read_slices(universal)


class BundleTests(unittest.TestCase):
    def test_bundle_holds_its_four_files_and_nothing_else(self):
        found = sorted(os.path.relpath(os.path.join(folder, name), BUNDLE)
                       for folder, _, names in os.walk(BUNDLE) for name in names)
        self.assertEqual(found, BUNDLE_FILES)
        self.assertTrue(os.stat(EXECUTABLE).st_mode & stat.S_IXUSR, "the executable is not executable")

    def test_info_plist_names_a_filter_module_and_its_executable(self):
        with open(os.path.join(BUNDLE, "Contents", "Info.plist"), "rb") as f:
            info = plistlib.load(f)
        with open(os.path.join(SOURCE_ROOT, "VERSION"), encoding="ascii") as f:
            version = f.readline().strip()
        self.assertEqual(info["CFBundlePackageType"], "8BFM")
        self.assertEqual(info["CFBundleSignature"], "8BIM")
        self.assertEqual(info["CFBundleExecutable"], EXECUTABLE_NAME)
        self.assertEqual(info["CFBundleIdentifier"], "com.quietharborstudio.LumiveilFilter")
        self.assertEqual((info["CFBundleShortVersionString"], info["CFBundleVersion"]),
                         (version, version))
        self.assertEqual(info["LSMinimumSystemVersion"], SLICES["x86_64"][0])
        self.assertEqual(info["CFBundleInfoDictionaryVersion"], "6.0")
        self.assertEqual(read(os.path.join(BUNDLE, "Contents", "PkgInfo")), b"8BFM8BIM")

    def test_executable_holds_no_path_of_its_source_or_build(self):
        for folder in {os.path.realpath(SOURCE_ROOT), os.path.realpath(BUILD_ROOT)}:
            self.assertNotIn(folder.encode("utf-8"), universal)


class SliceTests(unittest.TestCase):
    def test_one_universal_file_with_an_x86_64_and_an_arm64_slice_on_page_boundaries(self):
        layout = macho.fat_layout(universal)
        self.assertEqual(sorted(arch for arch, _, _, _ in layout), sorted(SLICES))
        for arch, offset, size, alignment in layout:
            with self.subTest(arch=arch):
                self.assertEqual(alignment, SLICES[arch][1])
                self.assertEqual(offset % (1 << alignment), 0)

    def test_each_slice_is_a_bundle_for_its_oldest_macos(self):
        for arch, image in slices.items():
            with self.subTest(arch=arch):
                self.assertEqual(image.file_type, macho.MH_BUNDLE)
                self.assertEqual(image.build_version(),
                                 (macho.PLATFORM_MACOS, SLICES[arch][0], SLICES[arch][0]))

    def test_each_slice_exports_plugin_main_alone(self):
        for arch, image in slices.items():
            with self.subTest(arch=arch):
                self.assertEqual(set(image.exports()), EXPORTS)
                external = {s.name for s in image.symbols if s.external and s.defined}
                self.assertEqual(external, EXPORTS)

    def test_each_slice_imports_only_from_the_system_libraries(self):
        for arch, image in slices.items():
            with self.subTest(arch=arch):
                self.assertEqual(set(image.dylibs), LIBRARIES)
                for binding in image.bindings():
                    # Every import names the library it comes from: no flat lookup.
                    self.assertGreaterEqual(binding.library, 1, binding)
                    self.assertLessEqual(binding.library, len(image.dylibs), binding)

    def test_each_slice_has_only_the_expected_load_commands_and_segments(self):
        for arch, image in slices.items():
            with self.subTest(arch=arch):
                names = image.command_names()
                self.assertEqual(set(names), LOAD_COMMANDS | {VERSION_COMMANDS[arch]})
                self.assertEqual(names.count("LC_CODE_SIGNATURE"), 1)
                names = [s.name for s in image.segments]
                self.assertEqual(names, [name for name in SEGMENTS if name in names])
                self.assertEqual((names[0], names[-1]), (SEGMENTS[0], SEGMENTS[-1]))
                for segment in image.segments:
                    both = VM_PROT_WRITE | VM_PROT_EXECUTE
                    self.assertNotEqual(segment.initial_protection & both, both, segment.name)
                    self.assertEqual(segment.address % (1 << SLICES[arch][1]), 0, segment.name)

    def test_each_slice_is_signed_ad_hoc_and_every_page_hash_matches(self):
        for arch, image in slices.items():
            with self.subTest(arch=arch):
                directory = image.code_directory()
                self.assertIsNotNone(directory, "unsigned")
                self.assertEqual(directory.flags & (macho.CS_ADHOC | macho.CS_LINKER_SIGNED),
                                 macho.CS_ADHOC | macho.CS_LINKER_SIGNED)
                self.assertEqual((directory.hash_type, directory.page_size),
                                 (macho.CS_HASHTYPE_SHA256, PAGE_SIZE_SIGNED))
                self.assertEqual(directory.identifier, EXECUTABLE_NAME)
                # The signature covers everything before it, and it ends the slice.
                offset, size = image.code_signature
                self.assertEqual(directory.code_limit, offset)
                self.assertLessEqual(len(image.data) - (offset + size), 16)
                self.assertEqual(directory.page_hashes, image.computed_page_hashes(directory))


class ResourceFileTests(unittest.TestCase):
    def setUp(self):
        self.resources = rsrc.read_resource_file(read(RESOURCE_FILE))

    def properties(self):
        version, properties = rsrc.read_pipl(self.resources[PIPL_KEY].data)
        self.assertEqual(version, 0)
        return properties

    def test_the_file_holds_pipl_16000_alone_named_and_purgeable(self):
        self.assertEqual(list(self.resources), [PIPL_KEY])
        resource = self.resources[PIPL_KEY]
        self.assertEqual((resource.name, resource.attributes), (b"Lumiveil", PURGEABLE))

    def test_the_property_list_is_the_mac_form_byte_for_byte(self):
        found = [(p.vendor, p.key, p.id, p.data, p.padding) for p in self.properties()]
        expected = [(VENDOR, key, 0, data, bytes(-len(data) % 4)) for key, data in EXPECTED_PROPERTIES]
        self.assertEqual(found, expected)

    def test_the_entry_points_name_the_export_of_each_slice(self):
        entries = {p.key: rsrc.pascal_string(p.data).decode("ascii") for p in self.properties()
                   if p.key in (b"mi64", b"ma64")}
        self.assertEqual("_" + entries[b"mi64"], next(iter(slices["x86_64"].exports())))
        self.assertEqual("_" + entries[b"ma64"], next(iter(slices["arm64"].exports())))

    def test_every_other_property_is_the_windows_modules_own(self):
        if not os.path.isfile(WINDOWS_MODULE):
            self.fail("no Windows module at %s to compare with: build it (tools/build.sh)" %
                      WINDOWS_MODULE)
        module = pe.read_pe(WINDOWS_MODULE)
        windows = pe.read_resources(module)[("PIPL", 16000, 1033)]
        _, _, count = struct.unpack_from("<hii", windows, 0)
        offset, windows_properties = 10, []
        for _ in range(count):
            vendor, key, _, length = struct.unpack_from("<4s4siI", windows, offset)
            data = windows[offset + 16:offset + 16 + length]
            key = key[::-1]
            if key != WINDOWS_ENTRY_KEY:
                windows_properties.append((vendor[::-1], key,
                                           data[::-1] if key in NUMERIC_KEYS else data))
            offset += 16 + (length + 3) // 4 * 4
        mac = [(p.vendor, p.key, p.data) for p in self.properties()
               if p.key not in (b"mi64", b"ma64", b"coco")]
        self.assertEqual(mac, windows_properties)


if __name__ == "__main__":
    unittest.main(verbosity=2)
