"""Reads a Mac resource file (data fork) and the PiPL property list in its Mac
form, the way a Mac host finds the plug-in's properties (stdlib only).

    resources = read_resource_file(data)   # {(type, id): Resource}
    pipl = read_pipl(resources[(b"PiPL", 16000)].data)

Every integer is big-endian; every length and offset is checked against the
bytes that are there.
"""

import struct
from dataclasses import dataclass

HEADER_SIZE = 16
MAP_TYPE_LIST_FIELD = 24  # in the map: offsets to the type list and the name list
TYPE_ENTRY_SIZE = 8
REFERENCE_SIZE = 12
NO_NAME = 0xFFFF
PIPL_HEADER_SIZE = 8  # version, count: no leading 16-bit word on the Mac
PROPERTY_HEADER_SIZE = 16


class ResourceFormatError(ValueError):
    """The bytes are not a resource file or property list this reader understands."""


@dataclass
class Resource:
    type: bytes
    id: int
    name: bytes  # None when unnamed
    attributes: int
    data: bytes


@dataclass
class Property:
    vendor: bytes
    key: bytes
    id: int
    data: bytes
    padding: bytes


def _take(data, offset, size, what):
    if offset < 0 or offset + size > len(data):
        raise ResourceFormatError("%s (%d bytes at %d) runs past the file's %d bytes" %
                                  (what, size, offset, len(data)))
    return data[offset:offset + size]


def read_resource_file(data):
    data_offset, map_offset, data_length, map_length = struct.unpack(
        ">IIII", _take(data, 0, HEADER_SIZE, "the header"))
    if data_offset + data_length > len(data) or map_offset + map_length > len(data):
        raise ResourceFormatError("the header names areas outside the file")
    resource_map = _take(data, map_offset, map_length, "the map")
    type_list_offset, name_list_offset = struct.unpack_from(">HH", resource_map,
                                                            MAP_TYPE_LIST_FIELD)
    type_count = struct.unpack(">H", _take(resource_map, type_list_offset, 2, "the type count"))[0] + 1
    resources = {}
    for index in range(type_count):
        entry = _take(resource_map, type_list_offset + 2 + TYPE_ENTRY_SIZE * index,
                      TYPE_ENTRY_SIZE, "a type entry")
        resource_type = entry[:4]
        count, references = struct.unpack_from(">HH", entry, 4)
        for number in range(count + 1):
            reference = _take(resource_map, type_list_offset + references + REFERENCE_SIZE * number,
                              REFERENCE_SIZE, "a reference")
            resource_id, name_offset, attributes = struct.unpack_from(">hHB", reference, 0)
            at = int.from_bytes(reference[5:8], "big")
            name = None
            if name_offset != NO_NAME:
                length = _take(resource_map, name_list_offset + name_offset, 1, "a name")[0]
                name = _take(resource_map, name_list_offset + name_offset + 1, length, "a name")
            length = struct.unpack(">I", _take(data, data_offset + at, 4, "a data length"))[0]
            body = _take(data, data_offset + at + 4, length, "a resource's data")
            if at + 4 + length > data_length:
                raise ResourceFormatError("a resource's data runs past the data area")
            resources[(resource_type, resource_id)] = Resource(resource_type, resource_id, name,
                                                               attributes, body)
    return resources


def read_pipl(data):
    """(version, [Property]) of a Mac property list; the walk must end at its last byte."""
    version, count = struct.unpack(">ii", _take(data, 0, PIPL_HEADER_SIZE, "the list's header"))
    offset, found = PIPL_HEADER_SIZE, []
    for index in range(count):
        header = _take(data, offset, PROPERTY_HEADER_SIZE, "property %d's header" % (index + 1))
        vendor, key = header[:4], header[4:8]
        property_id, length = struct.unpack_from(">iI", header, 8)
        start = offset + PROPERTY_HEADER_SIZE
        padded = (length + 3) // 4 * 4
        body = _take(data, start, padded, "property %d (%r)" % (index + 1, key))
        found.append(Property(vendor, key, property_id, body[:length], body[length:]))
        offset = start + padded
    if offset != len(data):
        raise ResourceFormatError("%d bytes follow the last property" % (len(data) - offset))
    return version, found


def pascal_string(data):
    """The text of a Pascal string (length byte, characters): nothing may be cut."""
    if not data or data[0] + 1 > len(data):
        raise ResourceFormatError("a Pascal string longer than its property")
    return data[1:1 + data[0]]
