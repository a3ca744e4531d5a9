# needs-wine: no
"""What a host and Windows read from LumiveilFilter.8bf without running it.

Reads the built module's bytes directly (no Wine): the property list, the
string table, both dialog templates, both pictures, the version record, the
export table and the imported DLLs, and what makes it the file that is shipped:
stripped, a Windows GUI DLL, free of time stamps and build paths, and of the
version the VERSION file gives.

    LUMIVEIL_ARCH=win32|win64|win-arm64 LUMIVEIL_BUILD=<folder holding win32/, win64/...> \
        python3 tests/e2e/test_resources.py
"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import pe_resources as pe  # noqa: E402
from skips import machine_cannot, may_skip  # noqa: E402

REPOSITORY = os.path.dirname(os.path.dirname(HERE))
SOURCE_ROOT = os.environ.get("LUMIVEIL_SOURCE", REPOSITORY)
BUILD_ROOT = os.environ.get("LUMIVEIL_BUILD", os.path.join(REPOSITORY, "build"))
ARCH = os.environ.get("LUMIVEIL_ARCH", "win32")
MODULE_NAME = "LumiveilFilter.8bf"
MODULE_PATH = os.path.join(BUILD_ROOT, ARCH, MODULE_NAME)

US_ENGLISH = 1033

# Processor of each module width, and the key its entry point is listed under.
MACHINES = {"win32": pe.MACHINE_I386, "win64": pe.MACHINE_AMD64, "win-arm64": pe.MACHINE_ARM64}
ENTRY_POINT_KEYS = {"win32": "wx86", "win64": "8664", "win-arm64": "wa64"}

# Window, dialog and control styles (values as Windows defines them).
WS_POPUP = 0x80000000
WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_CAPTION = 0x00C00000
WS_BORDER = 0x00800000
WS_SYSMENU = 0x00080000
WS_GROUP = 0x00020000
WS_TABSTOP = 0x00010000
DS_MODALFRAME = 0x80
DS_SETFONT = 0x40
DS_CENTER = 0x800
BS_PUSHBUTTON = 0x0
BS_DEFPUSHBUTTON = 0x1
BS_AUTOCHECKBOX = 0x3
BS_NOTIFY = 0x4000
SS_LEFT = 0x0
SS_CENTER = 0x1
SS_RIGHT = 0x2
SS_BITMAP = 0xE
SS_NOTIFY = 0x100
SS_REALSIZEIMAGE = 0x800
ES_LEFT = 0x0
ES_AUTOHSCROLL = 0x80
ES_NUMBER = 0x2000
TBS_HORZ = 0x0
TBS_VERT = 0x2
TBS_BOTH = 0x8
TBS_NOTICKS = 0x10
TBS_FIXEDLENGTH = 0x40

PLAIN_STATIC_ID = 0xFFFF  # -1 as the template stores it
SHOWN = WS_CHILD | WS_VISIBLE  # every control but the preview frame

# ---------------------------------------------------------------------------
# Expected values.

PIPL_TYPE = "PIPL"
PIPL_ID = 16000
PIPL_LENGTH = 226
PIPL_HEADER_LENGTH = 10
PIPL_PROPERTY_HEADER_LENGTH = 16
VENDOR_8BIM_BYTES = b"MIB8"  # '8BIM' as a little-endian 32-bit number

# (key, data, bytes the property takes in the list, padding included). Every
# data length is a multiple of 4, so hosts that step by the length alone and
# hosts that round it up read the same properties.
EXPECTED_PROPERTIES = [
    ("kind", b"MFB8", 20),
    ("vers", b"\x00\x00\x04\x00", 20),
    ("prty", b"\x00\x00\x00\x00", 20),
    ("catg", bytes([19]) + b"Harborlight Effects", 36),
    ("name", bytes([11]) + b"Lumiveil...", 28),
    (ENTRY_POINT_KEYS.get(ARCH, "?"), b"ENTRYPOINT\x00\x00", 28),
    ("mode", b"\x10\x00\x00\x00", 20),
    ("fici", bytes([1, 1, 0x01, 0]) * 7, 44),
]

EXPECTED_STRINGS = {
    2: "Lumiveil Plugin filter",
    16000: "Lumiveil",
    16997: "This plug-in requires Adobe Photoshop 2.5 or later functionality",
    16998: "This plug-in is incompatible with this version of the host program",
    16999: "This plug-in requires Adobe Photoshop 2.5.2 or later functionality",
}

PARAMETER_DIALOG_NAME = "DBRL_PARAM"
PARAMETER_DIALOG_STYLE = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER
SLIDER_STYLE = SHOWN | TBS_HORZ | TBS_BOTH | TBS_NOTICKS | TBS_FIXEDLENGTH | WS_TABSTOP
FIELD_STYLE = SHOWN | ES_LEFT | WS_BORDER | WS_TABSTOP
UNIT_TEXT = "% ( 0 - 100 )"

# (class, style, text, x, y, width, height, id), in template order.
EXPECTED_PARAMETER_CONTROLS = [
    ("Button", SHOWN | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, "OK", 255, 10, 38, 14, 1),
    ("Button", SHOWN | BS_PUSHBUTTON | WS_TABSTOP, "Cancel", 255, 30, 38, 14, 2),
    ("Button", SHOWN | BS_PUSHBUTTON | WS_TABSTOP, "Load...", 255, 60, 38, 14, 3),
    ("Button", SHOWN | BS_PUSHBUTTON | WS_TABSTOP, "Save...", 255, 80, 38, 14, 4),
    ("Static", WS_CHILD | SS_CENTER | WS_GROUP, "", 25, 10, 220, 150, 5),
    ("Button", SHOWN | BS_AUTOCHECKBOX | BS_NOTIFY | WS_TABSTOP, "Preview", 255, 135, 41, 11, 6),
    ("Static", SHOWN | SS_RIGHT, "Radiation", 30, 170, 35, 8, PLAIN_STATIC_ID),
    ("Static", SHOWN | SS_RIGHT, "Amount", 30, 188, 35, 8, PLAIN_STATIC_ID),
    ("Static", SHOWN | SS_RIGHT, "Mist", 30, 206, 35, 8, PLAIN_STATIC_ID),
    ("msctls_trackbar32", SLIDER_STYLE, "", 65, 167, 100, 15, 101),
    ("msctls_trackbar32", SLIDER_STYLE, "", 65, 185, 100, 15, 102),
    ("msctls_trackbar32", SLIDER_STYLE, "", 65, 203, 100, 15, 103),
    ("Edit", FIELD_STYLE, "", 165, 169, 23, 11, 201),
    ("Edit", FIELD_STYLE, "", 165, 187, 23, 11, 202),
    ("Edit", FIELD_STYLE, "", 165, 205, 23, 11, 203),
    ("Static", SHOWN | SS_LEFT, UNIT_TEXT, 190, 170, 50, 8, PLAIN_STATIC_ID),
    ("Static", SHOWN | SS_LEFT, UNIT_TEXT, 190, 188, 50, 8, PLAIN_STATIC_ID),
    ("Static", SHOWN | SS_LEFT, UNIT_TEXT, 190, 206, 50, 8, PLAIN_STATIC_ID),
    ("Static", SHOWN | SS_BITMAP, 16001, 0, 0, 0, 0, PLAIN_STATIC_ID),
]
PREVIEW_FRAME_ID = 5

ABOUT_DIALOG_ID = 16000
ABOUT_DIALOG_STYLE = WS_POPUP | WS_BORDER | DS_SETFONT | DS_CENTER
ABOUT_PICTURE_STYLE = SHOWN | SS_BITMAP | SS_REALSIZEIMAGE | SS_NOTIFY

DIALOG_FONT = (8, "MS Sans Serif")

# (bitmap id, artwork file, width, height, bits per pixel, palette entries,
#  fewest palette entries a finished picture uses)
EXPECTED_BITMAPS = [
    (16000, "about.bmp", 425, 250, 8, 64, 48),
    (16001, "band.bmp", 20, 800, 4, 16, 12),
]
BI_RGB = 0
BITMAP_FILE_HEADER_LENGTH = 14

VERSION_ID = 1
VS_FFI_SIGNATURE = 0xFEEF04BD
VFT_DLL = 2
VOS_NT_WINDOWS32 = 0x40004
VERSION_STRING_BLOCK = "040904B0"  # US English, Unicode
VERSION_TRANSLATION = (0x0409, 1200)


def source_version_numbers():
    """The VERSION file's major.minor.patch, as Windows' four numbers."""
    with open(os.path.join(SOURCE_ROOT, "VERSION"), encoding="ascii") as f:
        return tuple(int(number) for number in f.readline().strip().split(".")) + (0,)


VERSION_NUMBERS = source_version_numbers()
VERSION_TEXT = ".".join(str(number) for number in VERSION_NUMBERS)
EXPECTED_VERSION_STRINGS = {
    "CompanyName": "Quiet Harbor Studio",
    "ProductName": "Lumiveil",
    "FileVersion": VERSION_TEXT,
    "ProductVersion": VERSION_TEXT,
    "OriginalFilename": MODULE_NAME,
    "InternalName": "LumiveilFilter",
}

IMAGE_SUBSYSTEM_WINDOWS_GUI = 2
DEBUG_SECTION_PREFIX = ".debug"

EXPORTED_NAME = "ENTRYPOINT"
# DLLs every Windows installation carries; a runtime DLL of the compiler
# (libgcc, libstdc++, libwinpthread) would have to be shipped with the module.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comdlg32.dll", "msvcrt.dll",
               "ucrtbase.dll"}
SYSTEM_DLL_PREFIXES = ("api-ms-win-crt-",)

# ---------------------------------------------------------------------------

module = None
resources = None


def setUpModule():
    global module, resources
    if ARCH not in MACHINES:
        raise RuntimeError(f"LUMIVEIL_ARCH must be one of {', '.join(MACHINES)}, not {ARCH!r}")
    if not os.path.isfile(MODULE_PATH):
        raise RuntimeError(f"no module at {MODULE_PATH}: build it first, or point "
                           "LUMIVEIL_BUILD at the folder holding win32/ and win64/")
    module = pe.read_pe(MODULE_PATH)
    resources = pe.read_resources(module)


def resource(type_id, name):
    key = (type_id, name, US_ENGLISH)
    if key not in resources:
        raise AssertionError(f"no US English resource of type {type_id!r} named {name!r}")
    return resources[key]


def split_properties(data, round_up=True):
    """[(vendor, key, id, length, data, padding)] of a property list, and the offset
    where the walk ends. Hosts step to the next property either by the length
    rounded up to 4 or by the length alone; `round_up` picks which."""
    properties = []
    offset = PIPL_HEADER_LENGTH
    while offset < len(data):
        vendor, key = data[offset:offset + 4], data[offset + 4:offset + 8]
        property_id, length = struct.unpack_from("<iI", data, offset + 8)
        start = offset + PIPL_PROPERTY_HEADER_LENGTH
        step = (length + 3) // 4 * 4 if round_up else length
        if start + length > len(data):
            raise AssertionError(f"property {len(properties) + 1} ({key[::-1]!r}, length {length})"
                                 f" runs past the list's {len(data)} bytes")
        properties.append((vendor, key, property_id, length, data[start:start + length],
                           data[start + length:start + step]))
        offset = start + step
    return properties, offset


class ModuleFileTests(unittest.TestCase):
    def test_module_is_built_for_its_processor(self):
        self.assertEqual(module.machine, MACHINES[ARCH])
        self.assertEqual(module.is_64bit, ARCH != "win32")

    def test_module_exports_exactly_one_name_entrypoint(self):
        names, function_count = pe.read_exports(module)
        self.assertEqual(names, [EXPORTED_NAME])
        self.assertEqual(function_count, 1, "an export without a name")

    def test_module_imports_only_system_dlls(self):
        dlls = pe.read_imported_dlls(module)
        self.assertTrue(dlls, "the import table is empty")
        foreign = [dll for dll in dlls if dll.lower() not in SYSTEM_DLLS
                   and not dll.lower().startswith(SYSTEM_DLL_PREFIXES)]
        self.assertEqual(foreign, [], "the module needs DLLs that Windows does not carry")

    def test_module_is_stripped(self):
        debug_sections = [section.name for section in module.sections
                          if section.name.startswith(DEBUG_SECTION_PREFIX)]
        self.assertEqual(debug_sections, [],
                         "debug information belongs in the .debug file beside the module")
        self.assertEqual(module.symbol_count, 0, "the module carries a symbol table")

    def test_module_is_a_windows_gui_dll(self):
        self.assertEqual(module.subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI)

    def test_no_time_stamp_in_the_headers(self):
        stamps = {
            "file header": module.time_stamp,
            "export directory": pe.directory_time_stamp(module, pe.DIRECTORY_EXPORT),
            "resource directory": pe.directory_time_stamp(module, pe.DIRECTORY_RESOURCE),
        }
        for where, stamp in stamps.items():
            with self.subTest(where=where):
                self.assertEqual(stamp, 0)

    def test_module_holds_no_path_of_its_source_or_build(self):
        for folder in {os.path.realpath(SOURCE_ROOT), os.path.realpath(BUILD_ROOT)}:
            for encoding in ("utf-8", "utf-16-le"):
                with self.subTest(folder=folder, encoding=encoding):
                    self.assertNotIn(folder.encode(encoding), module.data)

    def test_every_resource_is_us_english(self):
        self.assertTrue(resources)
        for type_id, name, language in resources:
            with self.subTest(type=type_id, name=name):
                self.assertEqual(language, US_ENGLISH)


class PropertyListTests(unittest.TestCase):
    def setUp(self):
        self.data = resource(PIPL_TYPE, PIPL_ID)

    def test_property_list_is_226_bytes(self):
        self.assertEqual(len(self.data), PIPL_LENGTH)

    def test_header_reserved_version_and_count(self):
        reserved, version, count = struct.unpack_from("<hii", self.data, 0)
        self.assertEqual((reserved, version, count), (1, 0, len(EXPECTED_PROPERTIES)))

    def test_properties_in_order_with_their_data_and_padding(self):
        found, _ = split_properties(self.data)
        self.assertEqual(len(found), len(EXPECTED_PROPERTIES))
        for index, (expected, actual) in enumerate(zip(EXPECTED_PROPERTIES, found)):
            key, data, size = expected
            vendor, stored_key, property_id, length, stored_data, padding = actual
            with self.subTest(property=index + 1, key=key):
                self.assertEqual(vendor, VENDOR_8BIM_BYTES)
                self.assertEqual(stored_key, key.encode("ascii")[::-1])
                self.assertEqual(property_id, 0)
                self.assertEqual(length, len(data))
                self.assertEqual(stored_data, data)
                self.assertEqual(padding, bytes(len(padding)), "padding must be zero bytes")
                self.assertEqual(PIPL_PROPERTY_HEADER_LENGTH + len(stored_data) + len(padding),
                                 size)

    def test_entry_point_is_listed_under_the_key_of_the_module_width(self):
        keys = [key for _, key, _, _, _, _ in split_properties(self.data)[0]]
        expected = ENTRY_POINT_KEYS[ARCH].encode("ascii")[::-1]
        others = [k.encode("ascii")[::-1] for a, k in ENTRY_POINT_KEYS.items() if a != ARCH]
        self.assertIn(expected, keys)
        for other in others:
            self.assertNotIn(other, keys)

    def test_stepping_by_length_alone_or_rounded_finds_the_same_properties(self):
        rounded, rounded_end = split_properties(self.data, round_up=True)
        by_length, length_end = split_properties(self.data, round_up=False)
        key_and_data = lambda found: [(key[::-1].decode("latin-1"), data)
                                      for _, key, _, _, data, _ in found]
        expected = [(key, data) for key, data, _ in EXPECTED_PROPERTIES]
        self.assertEqual(key_and_data(rounded), expected)
        self.assertEqual(key_and_data(by_length), expected)
        self.assertEqual((rounded_end, length_end), (PIPL_LENGTH, PIPL_LENGTH))

    def test_whole_list_matches_the_table_byte_for_byte(self):
        expected = struct.pack("<hii", 1, 0, len(EXPECTED_PROPERTIES))
        for key, data, size in EXPECTED_PROPERTIES:
            body = VENDOR_8BIM_BYTES + key.encode("ascii")[::-1] + struct.pack("<iI", 0, len(data))
            body += data
            expected += body + bytes(size - len(body))
        self.assertEqual(self.data, expected)


class StringTableTests(unittest.TestCase):
    def setUp(self):
        self.strings = pe.read_string_table(resources, US_ENGLISH)

    def test_strings_have_their_exact_texts(self):
        for string_id, text in EXPECTED_STRINGS.items():
            with self.subTest(id=string_id):
                self.assertEqual(self.strings.get(string_id), text)

    def test_table_holds_no_other_strings(self):
        self.assertEqual(sorted(self.strings), sorted(EXPECTED_STRINGS))


class ParameterDialogTests(unittest.TestCase):
    def setUp(self):
        self.dialog = pe.decode_dialog(resource(pe.RT_DIALOG, PARAMETER_DIALOG_NAME))

    def test_window_styles_without_system_menu(self):
        self.assertEqual(self.dialog.style, PARAMETER_DIALOG_STYLE)
        self.assertFalse(self.dialog.style & WS_SYSMENU,
                         "a system menu puts a close box in the caption")
        self.assertEqual(self.dialog.extended_style, 0)

    def test_position_size_caption_and_font(self):
        d = self.dialog
        self.assertEqual((d.x, d.y, d.width, d.height), (34, 40, 300, 232))
        self.assertEqual(d.caption, "Lumiveil")
        self.assertEqual((d.font_size, d.font_name), DIALOG_FONT)
        self.assertEqual((d.menu, d.window_class), ("", ""))

    def test_controls_in_template_order(self):
        self.assertEqual(len(self.dialog.controls), len(EXPECTED_PARAMETER_CONTROLS))
        for index, (expected, control) in enumerate(zip(EXPECTED_PARAMETER_CONTROLS,
                                                        self.dialog.controls)):
            window_class, style, text, x, y, width, height, control_id = expected
            with self.subTest(index=index, id=control_id, text=text):
                # Window class names are not case-sensitive; a resource
                # compiler may store them upper-cased.
                self.assertIsInstance(control.window_class, str)
                self.assertEqual(control.window_class.casefold(), window_class.casefold())
                self.assertEqual(hex(control.style), hex(style))
                self.assertEqual(control.extended_style, 0)
                self.assertEqual(control.text, text)
                self.assertEqual((control.x, control.y, control.width, control.height),
                                 (x, y, width, height))
                self.assertEqual(control.id, control_id)
                self.assertEqual(control.creation_data, b"")

    def test_only_the_preview_frame_is_hidden(self):
        for control in self.dialog.controls:
            with self.subTest(id=control.id, text=control.text):
                self.assertTrue(control.style & WS_CHILD)
                self.assertEqual(bool(control.style & WS_VISIBLE), control.id != PREVIEW_FRAME_ID)

    def test_fields_take_any_text_and_sliders_lie_flat(self):
        for control in self.dialog.controls:
            if control.window_class == "Edit":
                with self.subTest(field=control.id):
                    self.assertFalse(control.style & (ES_AUTOHSCROLL | ES_NUMBER))
            if control.window_class.casefold() == "msctls_trackbar32":
                with self.subTest(slider=control.id):
                    self.assertFalse(control.style & TBS_VERT)


class AboutBoxTests(unittest.TestCase):
    def setUp(self):
        self.dialog = pe.decode_dialog(resource(pe.RT_DIALOG, ABOUT_DIALOG_ID))

    def test_bordered_popup_without_caption(self):
        d = self.dialog
        self.assertEqual(d.style, ABOUT_DIALOG_STYLE)
        self.assertEqual(d.extended_style, 0)
        self.assertEqual(d.caption, "")
        self.assertEqual((d.menu, d.window_class), ("", ""))

    def test_size_and_font(self):
        d = self.dialog
        self.assertEqual((d.width, d.height), (200, 200))
        self.assertEqual((d.font_size, d.font_name), DIALOG_FONT)

    def test_single_clickable_picture_at_the_origin(self):
        self.assertEqual(len(self.dialog.controls), 1)
        picture = self.dialog.controls[0]
        self.assertEqual(picture.window_class, "Static")
        self.assertEqual(hex(picture.style), hex(ABOUT_PICTURE_STYLE))
        self.assertEqual(picture.text, 16000)
        self.assertEqual((picture.x, picture.y), (0, 0))
        self.assertEqual(picture.id, PLAIN_STATIC_ID)


class BitmapTests(unittest.TestCase):
    def test_sizes_depths_and_palettes(self):
        for bitmap_id, _, width, height, bits, colours, _ in EXPECTED_BITMAPS:
            with self.subTest(bitmap=bitmap_id):
                data = resource(pe.RT_BITMAP, bitmap_id)
                info = pe.decode_bitmap(data)
                self.assertEqual(info.header_size, pe.BITMAPINFOHEADER_SIZE)
                self.assertEqual((info.width, info.height), (width, height))
                self.assertEqual((info.planes, info.bit_count), (1, bits))
                self.assertEqual(info.compression, BI_RGB)
                self.assertEqual(info.colours_used, colours)
                self.assertEqual(len(info.palette), colours)
                stride = pe.bitmap_row_stride(width, bits)
                self.assertEqual(len(info.pixels), stride * height)

    def test_pixels_use_only_the_palette_and_most_of_it(self):
        for bitmap_id, _, width, height, bits, colours, fewest in EXPECTED_BITMAPS:
            with self.subTest(bitmap=bitmap_id):
                info = pe.decode_bitmap(resource(pe.RT_BITMAP, bitmap_id))
                used = set(pixel_indices(info))
                self.assertLess(max(used), colours, "a pixel points past the palette")
                self.assertGreaterEqual(len(used), fewest, "the picture is nearly blank")

    def test_pictures_are_what_the_artwork_script_draws(self):
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([sys.executable, os.path.join(SOURCE_ROOT, "tools", "make_artwork.py"),
                            folder], check=True)
            for bitmap_id, file_name, *_ in EXPECTED_BITMAPS:
                with self.subTest(bitmap=bitmap_id):
                    with open(os.path.join(folder, file_name), "rb") as f:
                        drawn = f.read()
                    self.assertEqual(drawn[:2], b"BM")
                    # Built and drawn again now, byte for byte the same.
                    self.assertEqual(resource(pe.RT_BITMAP, bitmap_id),
                                     drawn[BITMAP_FILE_HEADER_LENGTH:])


def pixel_indices(info):
    stride = pe.bitmap_row_stride(info.width, info.bit_count)
    for row in range(info.height):
        line = info.pixels[row * stride:(row + 1) * stride]
        for x in range(info.width):
            if info.bit_count == 8:
                yield line[x]
            else:
                byte = line[x // 2]
                yield byte >> 4 if x % 2 == 0 else byte & 0x0F


class VersionInfoTests(unittest.TestCase):
    def setUp(self):
        self.root, _ = pe.decode_version_node(resource(pe.RT_VERSION, VERSION_ID))

    def test_fixed_part_names_a_dll_of_the_source_version(self):
        self.assertEqual(self.root.key, "VS_VERSION_INFO")
        fixed = pe.decode_fixed_file_info(self.root.value)
        self.assertEqual(fixed.signature, VS_FFI_SIGNATURE)
        self.assertEqual(fixed.file_version, VERSION_NUMBERS)
        self.assertEqual(fixed.product_version, VERSION_NUMBERS)
        self.assertEqual(fixed.file_type, VFT_DLL)
        self.assertEqual(fixed.file_os, VOS_NT_WINDOWS32)
        self.assertEqual(fixed.file_flags, 0)

    def test_texts_windows_shows_in_file_properties(self):
        table = self.root.child("StringFileInfo").child(VERSION_STRING_BLOCK)
        texts = {node.key: node.text() for node in table.children}
        for name, text in EXPECTED_VERSION_STRINGS.items():
            with self.subTest(name=name):
                self.assertEqual(texts.get(name), text)
        self.assertIn("Lumiveil", texts.get("FileDescription", ""))

    def test_translation_is_us_english_unicode(self):
        translation = self.root.child("VarFileInfo").child("Translation")
        self.assertEqual(struct.unpack("<HH", translation.value), VERSION_TRANSLATION)


# ctest counts a test file that exits with this status as skipped, not passed.
EXIT_SKIPPED = 77
if __name__ == "__main__":
    # The ARM64 module is built where its toolchain is, which the install step makes
    # with the emulated root that runs its programs: without those the module may be
    # missing, where this machine cannot make them (skips.py).
    if ARCH == "win-arm64" and not os.path.isfile(MODULE_PATH) and may_skip(machine_cannot(emulator=True)):
        print(f"skipped: no {ARCH} module, since {machine_cannot(emulator=True)}")
        sys.exit(EXIT_SKIPPED)
    unittest.main()
