"""Parameter blocks as the module keeps them in the host's handle (native,
little-endian) and as files hold them (big-endian), for the end-to-end tests."""

import struct

BLOCK_SIZE = 300
NAME_OFFSET = 28
SETTINGS_OFFSET = 284
DEFAULT_NAME = b"Untitled parameters"


def _name_field(name):
    field = bytes([len(name)]) + name
    return field + bytes(256 - len(field))


def native_block(settings=(50, 50, 0), show_dialog=1, name=DEFAULT_NAME, signature=b"Lmvl",
                 stamp=1684, kind=b"Prms", version=3):
    """A block as the module stores it in the parameters handle: four-character
    codes as native integers whose first character is the most significant."""
    def code(text):
        return struct.unpack(">I", text)[0]
    header = struct.pack("<IIiIii", code(signature), code(kind), version, code(b"std "), 100, stamp)
    body = struct.pack("<i", show_dialog) + _name_field(name) + struct.pack("<3i", *settings)
    return header + body + bytes(4)


def file_image(settings=(50, 50, 0), show_dialog=1, name=DEFAULT_NAME, signature=b"Lmvl",
               stamp=1685, kind=b"Prms", version=3):
    """A parameter file: the same fields big-endian, codes as their characters."""
    header = signature + kind + struct.pack(">i", version) + b"std " + struct.pack(">ii", 100, stamp)
    body = struct.pack(">i", show_dialog) + _name_field(name) + struct.pack(">3i", *settings)
    return header + body + bytes(4)


class Block:
    """The fields of a native block read back from a parameters file."""

    def __init__(self, data):
        if len(data) < BLOCK_SIZE:
            raise ValueError("a block is %d bytes, got %d" % (BLOCK_SIZE, len(data)))
        self.raw = data
        (sig, kind, self.version, tag, self.level, self.stamp,
         self.show_dialog) = struct.unpack_from("<IIiIiii", data, 0)
        self.signature = struct.pack(">I", sig)
        self.kind = struct.pack(">I", kind)
        self.tag = struct.pack(">I", tag)
        length = data[NAME_OFFSET]
        self.name = data[NAME_OFFSET + 1:NAME_OFFSET + 1 + length]
        self.settings = struct.unpack_from("<3i", data, SETTINGS_OFFSET)


class FileImage:
    """The fields of a big-endian file image."""

    def __init__(self, data):
        if len(data) != BLOCK_SIZE:
            raise ValueError("a file image is %d bytes, got %d" % (BLOCK_SIZE, len(data)))
        self.raw = data
        self.signature, self.kind = data[0:4], data[4:8]
        self.version, = struct.unpack_from(">i", data, 8)
        self.tag = data[12:16]
        self.level, self.stamp, self.show_dialog = struct.unpack_from(">iii", data, 16)
        length = data[NAME_OFFSET]
        self.name = data[NAME_OFFSET + 1:NAME_OFFSET + 1 + length]
        self.settings = struct.unpack_from(">3i", data, SETTINGS_OFFSET)
