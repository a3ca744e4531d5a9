"""Reads a Mach-O file the way the Mac's loader sees it (stdlib only).

A universal (fat) file's slices; per slice the header, the load commands, the
segments and sections, the dylibs it loads, the symbol table, the rebase, bind,
lazy-bind and export information of LC_DYLD_INFO(_ONLY), and the code
signature's code directory with its page hashes. Everything is read from the
bytes; nothing is loaded or run (emulated_mac_host.py does that with these).
"""

import hashlib
import struct
from dataclasses import dataclass, field

FAT_MAGIC = 0xCAFEBABE  # big-endian, as the fat header is
MH_MAGIC_64 = 0xFEEDFACF
MH_BUNDLE = 8

CPU_TYPE_X86_64 = 0x01000007
CPU_TYPE_ARM64 = 0x0100000C
CPU_NAMES = {CPU_TYPE_X86_64: "x86_64", CPU_TYPE_ARM64: "arm64"}

LC_REQ_DYLD = 0x80000000
LC_SYMTAB = 0x2
LC_DYSYMTAB = 0xB
LC_LOAD_DYLIB = 0xC
LC_ID_DYLIB = 0xD
LC_SEGMENT_64 = 0x19
LC_UUID = 0x1B
LC_CODE_SIGNATURE = 0x1D
LC_VERSION_MIN_MACOSX = 0x24
LC_FUNCTION_STARTS = 0x26
LC_DYLD_INFO = 0x22
LC_DYLD_INFO_ONLY = 0x22 | LC_REQ_DYLD
LC_DATA_IN_CODE = 0x29
LC_BUILD_VERSION = 0x32
LC_LOAD_WEAK_DYLIB = 0x18 | LC_REQ_DYLD
LC_DYLD_EXPORTS_TRIE = 0x33 | LC_REQ_DYLD
LC_DYLD_CHAINED_FIXUPS = 0x34 | LC_REQ_DYLD

LOAD_COMMAND_NAMES = {
    LC_SYMTAB: "LC_SYMTAB", LC_DYSYMTAB: "LC_DYSYMTAB", LC_LOAD_DYLIB: "LC_LOAD_DYLIB",
    LC_ID_DYLIB: "LC_ID_DYLIB", LC_SEGMENT_64: "LC_SEGMENT_64", LC_UUID: "LC_UUID",
    LC_CODE_SIGNATURE: "LC_CODE_SIGNATURE", LC_VERSION_MIN_MACOSX: "LC_VERSION_MIN_MACOSX",
    LC_FUNCTION_STARTS: "LC_FUNCTION_STARTS", LC_DYLD_INFO: "LC_DYLD_INFO",
    LC_DYLD_INFO_ONLY: "LC_DYLD_INFO_ONLY", LC_DATA_IN_CODE: "LC_DATA_IN_CODE",
    LC_BUILD_VERSION: "LC_BUILD_VERSION", LC_LOAD_WEAK_DYLIB: "LC_LOAD_WEAK_DYLIB",
    LC_DYLD_EXPORTS_TRIE: "LC_DYLD_EXPORTS_TRIE", LC_DYLD_CHAINED_FIXUPS: "LC_DYLD_CHAINED_FIXUPS",
}

PLATFORM_MACOS = 1
S_MOD_INIT_FUNC_POINTERS = 0x9
SECTION_TYPE_MASK = 0xFF
N_EXT = 0x01
N_TYPE = 0x0E
N_SECT = 0x0E
N_STAB = 0xE0

# Code signature blobs (all big-endian).
CSMAGIC_EMBEDDED_SIGNATURE = 0xFADE0CC0
CSMAGIC_CODEDIRECTORY = 0xFADE0C02
CSSLOT_CODEDIRECTORY = 0
CS_HASHTYPE_SHA256 = 2
CS_ADHOC = 0x2
CS_LINKER_SIGNED = 0x20000


class MachOFormatError(ValueError):
    """The file is not a Mach-O file this reader understands."""


@dataclass
class Section:
    segment: str
    name: str
    address: int
    size: int
    offset: int
    flags: int

    @property
    def kind(self):
        return self.flags & SECTION_TYPE_MASK


@dataclass
class Segment:
    name: str
    address: int
    memory_size: int
    file_offset: int
    file_size: int
    max_protection: int
    initial_protection: int
    sections: list = field(default_factory=list)


@dataclass
class Symbol:
    name: str
    kind: int
    section: int
    value: int

    @property
    def external(self):
        return bool(self.kind & N_EXT)

    @property
    def defined(self):
        return (self.kind & N_TYPE) == N_SECT


@dataclass
class Binding:
    segment_index: int
    segment_offset: int
    library: int  # 1-based ordinal of the LC_LOAD_DYLIB it comes from
    symbol: str
    addend: int
    lazy: bool


@dataclass
class CodeDirectory:
    version: int
    flags: int
    identifier: str
    hash_type: int
    hash_size: int
    page_size: int
    code_limit: int
    page_hashes: list  # one digest per page of the file up to code_limit


@dataclass
class Slice:
    """One architecture's image inside a (fat) file; offsets are the slice's own."""
    data: bytes
    cpu_type: int
    file_type: int
    flags: int
    commands: list  # (command, bytes of the whole command)
    segments: list
    dylibs: list  # install names, in ordinal order
    symbols: list
    dyld_info: tuple  # (rebase off, size, bind off, size, weak off, size, lazy off, size, export off, size)
    code_signature: tuple  # (data offset, size) or None

    @property
    def arch(self):
        return CPU_NAMES.get(self.cpu_type, hex(self.cpu_type))

    def command_names(self):
        return [LOAD_COMMAND_NAMES.get(cmd, hex(cmd)) for cmd, _ in self.commands]

    def sections(self):
        return [section for segment in self.segments for section in segment.sections]

    def section(self, segment, name):
        for section in self.sections():
            if (section.segment, section.name) == (segment, name):
                return section
        return None

    def build_version(self):
        """(platform, minimum os, sdk) from LC_BUILD_VERSION or LC_VERSION_MIN_MACOSX."""
        for cmd, body in self.commands:
            if cmd == LC_BUILD_VERSION:
                platform, minos, sdk = struct.unpack_from("<III", body, 8)
                return platform, version_text(minos), version_text(sdk)
            if cmd == LC_VERSION_MIN_MACOSX:
                minos, sdk = struct.unpack_from("<II", body, 8)
                return PLATFORM_MACOS, version_text(minos), version_text(sdk)
        return None

    def uuid(self):
        for cmd, body in self.commands:
            if cmd == LC_UUID:
                return body[8:24]
        return None

    def rebases(self):
        """(segment index, offset in segment) of every pointer the loader slides."""
        offset, size = self.dyld_info[0], self.dyld_info[1]
        return decode_rebases(self.data[offset:offset + size])

    def bindings(self):
        """Every Binding: the non-lazy ones, then the lazy ones."""
        bind = decode_bindings(self.data[self.dyld_info[2]:self.dyld_info[2] + self.dyld_info[3]],
                               lazy=False)
        lazy = decode_bindings(self.data[self.dyld_info[6]:self.dyld_info[6] + self.dyld_info[7]],
                               lazy=True)
        return bind + lazy

    def exports(self):
        """{name: offset from the image's start} of the export trie."""
        offset, size = self.dyld_info[8], self.dyld_info[9]
        return decode_export_trie(self.data[offset:offset + size])

    def initialisers(self):
        """Addresses (unslid) of the static initialisers, in the order they run."""
        found = []
        for section in self.sections():
            if section.kind == S_MOD_INIT_FUNC_POINTERS:
                for at in range(0, section.size, 8):
                    found.append(struct.unpack_from("<Q", self.data, section.offset + at)[0])
        return found

    def code_directory(self):
        """The signature's CodeDirectory, or None when unsigned."""
        if not self.code_signature:
            return None
        offset, size = self.code_signature
        return decode_signature(self.data[offset:offset + size])

    def computed_page_hashes(self, directory):
        """The digests of this slice's pages as the signature's hash type makes them."""
        if directory.hash_type != CS_HASHTYPE_SHA256:
            raise MachOFormatError("hash type %d is not SHA-256" % directory.hash_type)
        digests = []
        for start in range(0, directory.code_limit, directory.page_size):
            end = min(start + directory.page_size, directory.code_limit)
            digests.append(hashlib.sha256(self.data[start:end]).digest())
        return digests


def version_text(packed):
    """xxxx.yy.zz nibbles -> '10.13' or '11.0.1'."""
    major, minor, patch = packed >> 16, (packed >> 8) & 0xFF, packed & 0xFF
    return "%d.%d" % (major, minor) + (".%d" % patch if patch else "")


def read_file(path):
    with open(path, "rb") as f:
        return read_slices(f.read())


def read_slices(data):
    """{arch name: Slice} of a fat file, or of a thin one."""
    if len(data) >= 8 and struct.unpack_from(">I", data, 0)[0] == FAT_MAGIC:
        count = struct.unpack_from(">I", data, 4)[0]
        slices = {}
        for index in range(count):
            cpu, _subtype, offset, size, _align = struct.unpack_from(">iiIII", data, 8 + 20 * index)
            image = parse_slice(data[offset:offset + size])
            if image.cpu_type != cpu & 0xFFFFFFFF:
                raise MachOFormatError("the fat header's CPU type differs from the slice's")
            slices[image.arch] = image
        return slices
    image = parse_slice(data)
    return {image.arch: image}


def fat_layout(data):
    """[(arch, offset, size, alignment as a power of 2)] of a fat file's header."""
    if struct.unpack_from(">I", data, 0)[0] != FAT_MAGIC:
        raise MachOFormatError("not a universal file")
    count = struct.unpack_from(">I", data, 4)[0]
    out = []
    for index in range(count):
        cpu, _subtype, offset, size, align = struct.unpack_from(">iiIII", data, 8 + 20 * index)
        out.append((CPU_NAMES.get(cpu & 0xFFFFFFFF, hex(cpu)), offset, size, align))
    return out


def _name(raw):
    return raw.split(b"\0", 1)[0].decode("ascii")


def parse_slice(data):
    magic, cpu, _subtype, file_type, ncmds, sizeofcmds, flags, _reserved = struct.unpack_from(
        "<IiiIIIII", data, 0)
    if magic != MH_MAGIC_64:
        raise MachOFormatError("not a 64-bit little-endian Mach-O image (magic %#x)" % magic)
    offset = 32
    commands, segments, dylibs, symbols = [], [], [], []
    dyld_info, code_signature = (0,) * 10, None
    for _ in range(ncmds):
        cmd, size = struct.unpack_from("<II", data, offset)
        if size < 8 or offset + size > 32 + sizeofcmds:
            raise MachOFormatError("load command %#x runs past the commands' area" % cmd)
        body = data[offset:offset + size]
        commands.append((cmd, body))
        if cmd == LC_SEGMENT_64:
            name = _name(body[8:24])
            vmaddr, vmsize, fileoff, filesize, maxprot, initprot, nsects, _ = struct.unpack_from(
                "<QQQQiiII", body, 24)
            segment = Segment(name, vmaddr, vmsize, fileoff, filesize, maxprot, initprot)
            for index in range(nsects):
                at = 72 + 80 * index
                sectname, segname = _name(body[at:at + 16]), _name(body[at + 16:at + 32])
                addr, sect_size, sect_offset, _align, _reloff, _nreloc, sect_flags = \
                    struct.unpack_from("<QQIIIII", body, at + 32)
                segment.sections.append(Section(segname, sectname, addr, sect_size, sect_offset,
                                                sect_flags))
            segments.append(segment)
        elif cmd in (LC_LOAD_DYLIB, LC_LOAD_WEAK_DYLIB):
            name_offset = struct.unpack_from("<I", body, 8)[0]
            dylibs.append(_name(body[name_offset:]))
        elif cmd in (LC_DYLD_INFO, LC_DYLD_INFO_ONLY):
            dyld_info = struct.unpack_from("<10I", body, 8)
        elif cmd == LC_CODE_SIGNATURE:
            code_signature = struct.unpack_from("<II", body, 8)
        elif cmd == LC_SYMTAB:
            symoff, nsyms, stroff, strsize = struct.unpack_from("<IIII", body, 8)
            strings = data[stroff:stroff + strsize]
            for index in range(nsyms):
                strx, kind, section, _desc, value = struct.unpack_from("<IBBHQ", data,
                                                                       symoff + 16 * index)
                if kind & N_STAB:
                    continue
                symbols.append(Symbol(_name(strings[strx:]), kind, section, value))
        offset += size
    return Slice(data, cpu & 0xFFFFFFFF, file_type, flags, commands, segments, dylibs, symbols,
                 dyld_info, code_signature)


def _leb(data, at, signed):
    """A LEB128 number at data[at]: its value and the offset after it."""
    value, shift = 0, 0
    while True:
        byte = data[at]
        at += 1
        value |= (byte & 0x7F) << shift
        shift += 7
        if not byte & 0x80:
            if signed and byte & 0x40:
                value -= 1 << shift
            return value, at


def _uleb(data, at):
    return _leb(data, at, False)


def _sleb(data, at):
    return _leb(data, at, True)


REBASE_OPCODE_MASK = 0xF0
REBASE_IMMEDIATE_MASK = 0x0F
POINTER_SIZE = 8


def decode_rebases(data):
    found, at, segment, offset = [], 0, 0, 0
    while at < len(data):
        byte = data[at]
        at += 1
        opcode, immediate = byte & REBASE_OPCODE_MASK, byte & REBASE_IMMEDIATE_MASK
        if opcode == 0x00:  # done
            break
        if opcode == 0x10:  # set type
            continue
        if opcode == 0x20:  # set segment and offset
            segment = immediate
            offset, at = _uleb(data, at)
        elif opcode == 0x30:  # add address
            value, at = _uleb(data, at)
            offset += value
        elif opcode == 0x40:  # add address, scaled immediate
            offset += immediate * POINTER_SIZE
        elif opcode == 0x50:  # do rebase, immediate times
            for _ in range(immediate):
                found.append((segment, offset))
                offset += POINTER_SIZE
        elif opcode == 0x60:  # do rebase, uleb times
            count, at = _uleb(data, at)
            for _ in range(count):
                found.append((segment, offset))
                offset += POINTER_SIZE
        elif opcode == 0x70:  # do rebase, then add uleb
            found.append((segment, offset))
            value, at = _uleb(data, at)
            offset += POINTER_SIZE + value
        elif opcode == 0x80:  # count times: rebase, skip
            count, at = _uleb(data, at)
            skip, at = _uleb(data, at)
            for _ in range(count):
                found.append((segment, offset))
                offset += POINTER_SIZE + skip
        else:
            raise MachOFormatError("unknown rebase opcode %#x" % opcode)
    return found


def decode_bindings(data, lazy):
    found, at = [], 0
    segment = offset = library = addend = 0
    symbol = ""
    while at < len(data):
        byte = data[at]
        at += 1
        opcode, immediate = byte & 0xF0, byte & 0x0F
        if opcode == 0x00:  # done; lazy tables put one after every entry
            if not lazy:
                break
            continue
        if opcode == 0x10:  # library ordinal, immediate
            library = immediate
        elif opcode == 0x20:  # library ordinal, uleb
            library, at = _uleb(data, at)
        elif opcode == 0x30:  # special ordinal (self, main, flat)
            library = -immediate if immediate else 0
        elif opcode == 0x40:  # symbol name
            end = data.index(b"\0", at)
            symbol = data[at:end].decode("ascii")
            at = end + 1
        elif opcode == 0x50:  # type
            continue
        elif opcode == 0x60:  # addend
            addend, at = _sleb(data, at)
        elif opcode == 0x70:  # segment and offset
            segment = immediate
            offset, at = _uleb(data, at)
        elif opcode == 0x80:  # add address
            value, at = _uleb(data, at)
            offset = (offset + value) & 0xFFFFFFFFFFFFFFFF
        elif opcode == 0x90:  # do bind
            found.append(Binding(segment, offset, library, symbol, addend, lazy))
            offset += POINTER_SIZE
        elif opcode == 0xA0:  # do bind, add uleb
            found.append(Binding(segment, offset, library, symbol, addend, lazy))
            value, at = _uleb(data, at)
            offset = (offset + POINTER_SIZE + value) & 0xFFFFFFFFFFFFFFFF
        elif opcode == 0xB0:  # do bind, add scaled immediate
            found.append(Binding(segment, offset, library, symbol, addend, lazy))
            offset += POINTER_SIZE + immediate * POINTER_SIZE
        elif opcode == 0xC0:  # count times: bind, skip
            count, at = _uleb(data, at)
            skip, at = _uleb(data, at)
            for _ in range(count):
                found.append(Binding(segment, offset, library, symbol, addend, lazy))
                offset += POINTER_SIZE + skip
        else:
            raise MachOFormatError("unknown bind opcode %#x" % opcode)
    return found


def decode_export_trie(data):
    exports = {}

    def walk(at, prefix):
        terminal_size, at = _uleb(data, at)
        if terminal_size:
            flags, inner = _uleb(data, at)
            address, _ = _uleb(data, inner)
            exports[prefix] = address
            if flags:
                raise MachOFormatError("export %s has flags %#x" % (prefix, flags))
        at += terminal_size
        children = data[at]
        at += 1
        for _ in range(children):
            end = data.index(b"\0", at)
            label = data[at:end].decode("ascii")
            child, at = _uleb(data, end + 1)
            walk(child, prefix + label)

    if data:
        walk(0, "")
    return exports


def decode_signature(blob):
    magic, _length, count = struct.unpack_from(">III", blob, 0)
    if magic != CSMAGIC_EMBEDDED_SIGNATURE:
        raise MachOFormatError("the signature is not an embedded signature (%#x)" % magic)
    for index in range(count):
        slot, offset = struct.unpack_from(">II", blob, 12 + 8 * index)
        if slot != CSSLOT_CODEDIRECTORY:
            continue
        (cd_magic, _cd_length, version, flags, hash_offset, ident_offset, _special, code_slots,
         code_limit, hash_size, hash_type, _platform, page_shift) = struct.unpack_from(
             ">IIIIIIIIIBBBB", blob, offset)
        if cd_magic != CSMAGIC_CODEDIRECTORY:
            raise MachOFormatError("slot 0 is not a code directory")
        identifier = _name(blob[offset + ident_offset:])
        hashes = [blob[offset + hash_offset + hash_size * i:offset + hash_offset + hash_size * (i + 1)]
                  for i in range(code_slots)]
        return CodeDirectory(version, flags, identifier, hash_type, hash_size, 1 << page_shift,
                             code_limit, hashes)
    raise MachOFormatError("the signature has no code directory")
