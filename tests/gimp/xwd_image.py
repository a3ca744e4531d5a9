"""Window screenshots as the X server gives them (xwd), turned into pngio images.

Reads xwd's ZPixmap dumps at 24 or 32 bits per pixel with RGB masks, as an Xvfb
screen of depth 24 gives them (stdlib only).
"""

import struct

from pngio import Image

HEADER_FIELDS = 25  # CARD32 fields before the window name
COLOR_ENTRY_BYTES = 12
ZPIXMAP = 2
LSB_FIRST = 0


def read_xwd(path):
    with open(path, "rb") as f:
        blob = f.read()
    fields = struct.unpack(">%dI" % HEADER_FIELDS, blob[:HEADER_FIELDS * 4])
    (header_size, _version, pixmap_format, _depth, width, height, _xoffset, byte_order,
     _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual, red_mask, green_mask,
     blue_mask, _bits_per_rgb, _colormap_entries, ncolors) = fields[:20]
    if pixmap_format != ZPIXMAP or bits_per_pixel not in (24, 32):
        raise ValueError("%s: not a 24- or 32-bit ZPixmap dump" % path)
    pixel_bytes = bits_per_pixel // 8
    data = blob[header_size + ncolors * COLOR_ENTRY_BYTES:]
    order = "little" if byte_order == LSB_FIRST else "big"
    shifts = [(mask & -mask).bit_length() - 1 for mask in (red_mask, green_mask, blue_mask)]
    image = Image(width, height, 3)
    for y in range(height):
        row = data[y * bytes_per_line:]
        for x in range(width):
            value = int.from_bytes(row[x * pixel_bytes:(x + 1) * pixel_bytes], order)
            image.set_pixel(x, y, [(value >> shift) & 0xFF for shift in shifts])
    return image
