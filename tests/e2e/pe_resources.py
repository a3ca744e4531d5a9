"""Reads a Windows module the way a host sees it before loading it.

A small, pure-Python reader for 32-bit (PE32) and 64-bit (PE32+) modules: the
file header (time stamp, subsystem, symbol table, section names), the
resource directory as (type, name, language) -> bytes, the export and import
tables, and decoders for the resource formats the module carries (string
table blocks, classic dialog templates, version records, bitmap headers).

Everything is read from the file's bytes; nothing is loaded or run.
"""

import struct
from dataclasses import dataclass, field

# Optional header magic numbers.
PE32_MAGIC = 0x10B
PE32_PLUS_MAGIC = 0x20B

# COFF machine numbers.
MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664
MACHINE_ARM64 = 0xAA64

# Data directory slots.
DIRECTORY_EXPORT = 0
DIRECTORY_IMPORT = 1
DIRECTORY_RESOURCE = 2
DIRECTORY_DELAY_IMPORT = 13

# Standard resource types.
RT_BITMAP = 2
RT_DIALOG = 5
RT_STRING = 6
RT_VERSION = 16

# Resource directory entries: the high bit marks a name (not an id) or a
# subdirectory (not a data entry).
RESOURCE_HIGH_BIT = 0x80000000

DOS_SIGNATURE = b"MZ"
PE_SIGNATURE = b"PE\0\0"
DOS_HEADER_PE_OFFSET = 0x3C
COFF_HEADER_SIZE = 20
SECTION_HEADER_SIZE = 40
SECTION_NAME_SIZE = 8
SYMBOL_RECORD_SIZE = 18
# Offset of Subsystem in the optional header, the same in PE32 and PE32+.
SUBSYSTEM_OFFSET = 68
STRINGS_PER_BLOCK = 16

# Predefined window classes named by atom in dialog templates.
DIALOG_CLASS_ATOMS = {
    0x80: "Button",
    0x81: "Edit",
    0x82: "Static",
    0x83: "ListBox",
    0x84: "ScrollBar",
    0x85: "ComboBox",
}
DS_SETFONT = 0x40
EXTENDED_TEMPLATE_MARK = (1, 0xFFFF)  # dlgVer, signature of DLGTEMPLATEEX

VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD
BITMAPINFOHEADER_SIZE = 40


class PeFormatError(ValueError):
    """The file is not a module this reader understands."""


@dataclass
class Section:
    name: str
    virtual_address: int
    virtual_size: int
    raw_offset: int
    raw_size: int


@dataclass
class PeImage:
    data: bytes
    machine: int
    is_64bit: bool
    sections: list
    directories: list  # (rva, size) per data directory slot
    time_stamp: int  # seconds since 1970, as the file header holds it
    subsystem: int
    symbol_count: int  # records in the COFF symbol table; 0 when stripped

    def offset_of(self, rva):
        """File offset of a relative virtual address."""
        for section in self.sections:
            span = max(section.virtual_size, section.raw_size)
            if section.virtual_address <= rva < section.virtual_address + span:
                delta = rva - section.virtual_address
                if delta >= section.raw_size:
                    raise PeFormatError(f"RVA {rva:#x} lies in uninitialised data")
                return section.raw_offset + delta
        raise PeFormatError(f"RVA {rva:#x} is in no section")

    def bytes_at(self, rva, size):
        offset = self.offset_of(rva)
        if offset + size > len(self.data):
            raise PeFormatError(f"{size} bytes at RVA {rva:#x} run past the file")
        return self.data[offset:offset + size]

    def u16(self, rva):
        return struct.unpack_from("<H", self.data, self.offset_of(rva))[0]

    def u32(self, rva):
        return struct.unpack_from("<I", self.data, self.offset_of(rva))[0]

    def c_string(self, rva):
        start = self.offset_of(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("ascii")

    def directory(self, slot):
        return self.directories[slot] if slot < len(self.directories) else (0, 0)


def read_pe(path):
    with open(path, "rb") as f:
        return parse_pe(f.read())


def parse_pe(data):
    if data[:2] != DOS_SIGNATURE:
        raise PeFormatError("no MZ header")
    pe_offset = struct.unpack_from("<I", data, DOS_HEADER_PE_OFFSET)[0]
    if data[pe_offset:pe_offset + 4] != PE_SIGNATURE:
        raise PeFormatError("no PE signature")
    coff = pe_offset + 4
    (machine, section_count, time_stamp, symbol_table, symbol_count,
     optional_size) = struct.unpack_from("<HHIIIH", data, coff)
    optional = coff + COFF_HEADER_SIZE
    subsystem = struct.unpack_from("<H", data, optional + SUBSYSTEM_OFFSET)[0]
    magic = struct.unpack_from("<H", data, optional)[0]
    if magic == PE32_MAGIC:
        is_64bit, count_offset = False, 92
    elif magic == PE32_PLUS_MAGIC:
        is_64bit, count_offset = True, 108
    else:
        raise PeFormatError(f"unknown optional header magic {magic:#x}")
    directory_count = struct.unpack_from("<I", data, optional + count_offset)[0]
    directories = [
        struct.unpack_from("<II", data, optional + count_offset + 4 + 8 * i)
        for i in range(directory_count)
    ]
    sections = []
    table = optional + optional_size
    for i in range(section_count):
        header = table + SECTION_HEADER_SIZE * i
        name = _section_name(data, data[header:header + SECTION_NAME_SIZE],
                             symbol_table + SYMBOL_RECORD_SIZE * symbol_count)
        virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from(
            "<IIII", data, header + SECTION_NAME_SIZE)
        sections.append(Section(name, virtual_address, virtual_size, raw_offset, raw_size))
    return PeImage(data, machine, is_64bit, sections, directories, time_stamp, subsystem,
                   symbol_count)


def _section_name(data, field, string_table):
    """A section's name: up to 8 bytes in its header, or "/offset" into the string
    table that follows the symbol table, where the GNU linker keeps longer names
    such as .debug_info."""
    name = field.rstrip(b"\0").decode("ascii")
    if name.startswith("/") and name[1:].isdigit():
        start = string_table + int(name[1:])
        name = data[start:data.index(b"\0", start)].decode("ascii")
    return name


# ---------------------------------------------------------------------------
# Resource directory


def read_resources(image):
    """All resources as {(type, name, language): bytes}.

    Types and names are ints for numbered entries and str for named ones."""
    root_rva, root_size = image.directory(DIRECTORY_RESOURCE)
    if root_rva == 0 or root_size == 0:
        return {}
    resources = {}
    for type_id, type_dir in _directory_entries(image, root_rva, 0):
        for name_id, name_dir in _directory_entries(image, root_rva,
                                                    _subdirectory(type_dir)):
            for language, data_entry in _directory_entries(image, root_rva,
                                                           _subdirectory(name_dir)):
                if data_entry & RESOURCE_HIGH_BIT:
                    raise PeFormatError("a fourth directory level")
                data_rva, size = struct.unpack_from(
                    "<II", image.bytes_at(root_rva + data_entry, 8))
                resources[(type_id, name_id, language)] = image.bytes_at(data_rva, size)
    return resources


def _subdirectory(offset_field):
    if not offset_field & RESOURCE_HIGH_BIT:
        raise PeFormatError("a data entry where a directory was expected")
    return offset_field & ~RESOURCE_HIGH_BIT


def _directory_entries(image, root_rva, offset):
    """(id or name, offset field) for each entry of the directory at offset."""
    named, numbered = struct.unpack_from("<HH", image.bytes_at(root_rva + offset + 12, 4))
    entries = []
    for i in range(named + numbered):
        name_field, offset_field = struct.unpack_from(
            "<II", image.bytes_at(root_rva + offset + 16 + 8 * i, 8))
        if name_field & RESOURCE_HIGH_BIT:
            name_rva = root_rva + (name_field & ~RESOURCE_HIGH_BIT)
            length = image.u16(name_rva)
            key = image.bytes_at(name_rva + 2, 2 * length).decode("utf-16-le")
        else:
            key = name_field
        entries.append((key, offset_field))
    return entries


# ---------------------------------------------------------------------------
# Export and import tables


def directory_time_stamp(image, slot):
    """TimeDateStamp of the export or resource directory (at the same place in
    both), or None when the module has no such directory."""
    rva, size = image.directory(slot)
    if rva == 0 or size == 0:
        return None
    return image.u32(rva + 4)


def read_exports(image):
    """(names, function count) of the export table.

    Functions are the address table's slots that hold an address: a slot of 0
    exports nothing. (lld 14, which links the ARM64 module, numbers ordinals from
    a base of 0 and leaves slot 0 empty.)"""
    rva, size = image.directory(DIRECTORY_EXPORT)
    if rva == 0 or size == 0:
        return [], 0
    (slot_count, name_count, functions_rva, names_rva, _ordinals) = struct.unpack_from(
        "<IIIII", image.bytes_at(rva + 20, 20))
    names = [image.c_string(image.u32(names_rva + 4 * i)) for i in range(name_count)]
    function_count = sum(1 for i in range(slot_count) if image.u32(functions_rva + 4 * i))
    return names, function_count


def read_imported_dlls(image):
    """Names of every DLL the module imports from, delay-loaded ones included."""
    dlls = []
    rva, size = image.directory(DIRECTORY_IMPORT)
    if rva and size:
        descriptor_size = 20
        while True:
            fields = struct.unpack_from("<IIIII", image.bytes_at(rva, descriptor_size))
            if not any(fields):
                break
            dlls.append(image.c_string(fields[3]))
            rva += descriptor_size
    rva, size = image.directory(DIRECTORY_DELAY_IMPORT)
    if rva and size:
        descriptor_size = 32
        while True:
            fields = struct.unpack_from("<8I", image.bytes_at(rva, descriptor_size))
            if not any(fields):
                break
            dlls.append(image.c_string(fields[1]))
            rva += descriptor_size
    return dlls


def read_imports(image):
    """{DLL name: [imported names]} of the import table (not delay-loaded ones);
    an import by ordinal shows as "#ordinal"."""
    imports = {}
    rva, size = image.directory(DIRECTORY_IMPORT)
    if not (rva and size):
        return imports
    entry_size, ordinal_flag = (8, 1 << 63) if image.is_64bit else (4, 1 << 31)
    entry_format = "<Q" if image.is_64bit else "<I"
    while True:
        lookup, _, _, name_rva, address = struct.unpack_from("<IIIII", image.bytes_at(rva, 20))
        if not (lookup or name_rva or address):
            break
        names = []
        entry_rva = lookup or address
        while True:
            entry = struct.unpack(entry_format, image.bytes_at(entry_rva, entry_size))[0]
            if entry == 0:
                break
            names.append("#%d" % (entry & 0xFFFF) if entry & ordinal_flag
                         else image.c_string((entry & 0x7FFFFFFF) + 2))
            entry_rva += entry_size
        imports[image.c_string(name_rva)] = names
        rva += 20
    return imports


# ---------------------------------------------------------------------------
# String tables


def decode_string_block(block_id, data):
    """{string id: text} for one string-table block; empty slots are left out."""
    strings = {}
    offset = 0
    for slot in range(STRINGS_PER_BLOCK):
        length = struct.unpack_from("<H", data, offset)[0]
        offset += 2
        if length:
            strings[(block_id - 1) * STRINGS_PER_BLOCK + slot] = \
                data[offset:offset + 2 * length].decode("utf-16-le")
        offset += 2 * length
    return strings


def read_string_table(resources, language):
    strings = {}
    for (type_id, block_id, lang), data in resources.items():
        if type_id == RT_STRING and lang == language:
            strings.update(decode_string_block(block_id, data))
    return strings


# ---------------------------------------------------------------------------
# Dialog templates (the classic DLGTEMPLATE form)


@dataclass
class DialogControl:
    style: int
    extended_style: int
    x: int
    y: int
    width: int
    height: int
    id: int  # as stored: 16 bits, so -1 reads as 65535
    window_class: object  # str, or an int atom not in DIALOG_CLASS_ATOMS
    text: object  # str, or an int resource id (a picture's)
    creation_data: bytes


@dataclass
class DialogTemplate:
    style: int
    extended_style: int
    x: int
    y: int
    width: int
    height: int
    menu: object
    window_class: object
    caption: str
    font_size: object  # None without DS_SETFONT
    font_name: object
    controls: list = field(default_factory=list)


class _Cursor:
    def __init__(self, data):
        self.data = data
        self.offset = 0

    def take(self, fmt):
        values = struct.unpack_from(fmt, self.data, self.offset)
        self.offset += struct.calcsize(fmt)
        return values

    def align(self, boundary):
        self.offset = (self.offset + boundary - 1) // boundary * boundary

    def text(self):
        end = self.offset
        while self.data[end:end + 2] != b"\0\0":
            if end + 2 > len(self.data):
                raise PeFormatError("text without a terminating zero")
            end += 2
        value = self.data[self.offset:end].decode("utf-16-le")
        self.offset = end + 2
        return value

    def text_or_ordinal(self):
        """An empty string, an ordinal (0xFFFF then the number), or text."""
        first = struct.unpack_from("<H", self.data, self.offset)[0]
        if first == 0xFFFF:
            self.offset += 2
            return self.take("<H")[0]
        return self.text()


def decode_dialog(data):
    if struct.unpack_from("<HH", data, 0) == EXTENDED_TEMPLATE_MARK:
        raise PeFormatError("an extended (DIALOGEX) template; only the classic form is read")
    cursor = _Cursor(data)
    style, extended_style, count, x, y, width, height = cursor.take("<IIHhhhh")
    menu = cursor.text_or_ordinal()
    window_class = cursor.text_or_ordinal()
    caption = cursor.text()
    font_size = font_name = None
    if style & DS_SETFONT:
        font_size = cursor.take("<H")[0]
        font_name = cursor.text()
    dialog = DialogTemplate(style, extended_style, x, y, width, height, menu,
                            window_class, caption, font_size, font_name)
    for _ in range(count):
        cursor.align(4)
        c_style, c_extended, cx, cy, cw, ch, c_id = cursor.take("<IIhhhhH")
        c_class = cursor.text_or_ordinal()
        if isinstance(c_class, int):
            c_class = DIALOG_CLASS_ATOMS.get(c_class, c_class)
        c_text = cursor.text_or_ordinal()
        extra = cursor.take("<H")[0]
        creation = data[cursor.offset:cursor.offset + extra]
        cursor.offset += extra
        dialog.controls.append(DialogControl(c_style, c_extended, cx, cy, cw, ch, c_id,
                                             c_class, c_text, creation))
    return dialog


# ---------------------------------------------------------------------------
# Version records


@dataclass
class VersionNode:
    key: str
    value: bytes
    is_text: bool
    children: list

    def child(self, key):
        for node in self.children:
            if node.key == key:
                return node
        raise KeyError(key)

    def text(self):
        """The value of a text node, without its terminating zero."""
        return self.value.decode("utf-16-le").split("\0", 1)[0]


def decode_version_node(data, offset=0):
    """One node of a version record (VS_VERSIONINFO, StringFileInfo, ...)."""
    length, value_length, node_type = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    cursor = _Cursor(data)
    cursor.offset = offset + 6
    key = cursor.text()
    cursor.align(4)
    is_text = node_type == 1
    value_size = value_length * 2 if is_text else value_length
    value = data[cursor.offset:cursor.offset + value_size]
    cursor.offset += value_size
    children = []
    cursor.align(4)
    while cursor.offset < end:
        child, child_end = decode_version_node(data, cursor.offset)
        children.append(child)
        cursor.offset = child_end
        cursor.align(4)
    return VersionNode(key, value, is_text, children), end


@dataclass
class FixedFileInfo:
    signature: int
    file_version: tuple
    product_version: tuple
    file_flags_mask: int
    file_flags: int
    file_os: int
    file_type: int
    file_subtype: int


def decode_fixed_file_info(value):
    (signature, _struct_version, file_ms, file_ls, product_ms, product_ls, flags_mask,
     flags, file_os, file_type, file_subtype) = struct.unpack_from("<11I", value, 0)

    def quad(ms, ls):
        return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    return FixedFileInfo(signature, quad(file_ms, file_ls), quad(product_ms, product_ls),
                         flags_mask, flags, file_os, file_type, file_subtype)


# ---------------------------------------------------------------------------
# Bitmaps (a bitmap resource is a BMP file without its 14-byte file header)


@dataclass
class BitmapInfo:
    header_size: int
    width: int
    height: int  # positive: rows stored bottom-up
    planes: int
    bit_count: int
    compression: int
    image_size: int
    colours_used: int
    palette: list  # (red, green, blue) per entry
    pixels: bytes


def decode_bitmap(data):
    (header_size, width, height, planes, bit_count, compression, image_size, _x_ppm,
     _y_ppm, colours_used, _important) = struct.unpack_from("<IiiHHIIiiII", data, 0)
    palette_count = colours_used or (1 << bit_count if bit_count <= 8 else 0)
    palette = []
    for i in range(palette_count):
        blue, green, red, _reserved = struct.unpack_from("<4B", data, header_size + 4 * i)
        palette.append((red, green, blue))
    pixels = data[header_size + 4 * palette_count:]
    return BitmapInfo(header_size, width, height, planes, bit_count, compression, image_size,
                      colours_used, palette, pixels)


def bitmap_row_stride(width, bit_count):
    """Bytes per stored row: rows are padded to whole 32-bit words."""
    return (width * bit_count + 31) // 32 * 4
