"""PNG files and pixel comparisons for the end-to-end tests (stdlib only).

read_png understands 8-bit grey, grey+alpha, RGB and RGBA images, non-interlaced,
with all five row filters; write_png writes 8-bit RGB or RGBA.
"""

import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
COLOR_TYPE_CHANNELS = {0: 1, 2: 3, 4: 2, 6: 4}  # grey, RGB, grey+alpha, RGBA
CHANNELS_COLOR_TYPE = {1: 0, 2: 4, 3: 2, 4: 6}


class Image:
    """An 8-bit image: rows of width * channels bytes, no padding."""

    def __init__(self, width, height, channels, data=None):
        self.width = width
        self.height = height
        self.channels = channels
        size = width * height * channels
        self.data = bytearray(size) if data is None else bytearray(data)
        if len(self.data) != size:
            raise ValueError("image data is %d bytes, expected %d" % (len(self.data), size))

    def offset(self, x, y):
        return (y * self.width + x) * self.channels

    def pixel(self, x, y):
        at = self.offset(x, y)
        return tuple(self.data[at:at + self.channels])

    def set_pixel(self, x, y, values):
        at = self.offset(x, y)
        self.data[at:at + self.channels] = bytes(values)

    def row(self, y):
        start = y * self.width * self.channels
        return bytes(self.data[start:start + self.width * self.channels])

    def crop(self, top, left, bottom, right):
        """The part top..bottom-1, left..right-1 (host rectangle order)."""
        out = Image(right - left, bottom - top, self.channels)
        for y in range(top, bottom):
            start = self.offset(left, y)
            out.data[(y - top) * out.width * self.channels:(y - top + 1) * out.width * self.channels] = \
                self.data[start:start + out.width * self.channels]
        return out

    def plane(self, index):
        """One channel as bytes, row by row."""
        return bytes(self.data[index::self.channels])

    def copy(self):
        return Image(self.width, self.height, self.channels, self.data)

    def __eq__(self, other):
        return (isinstance(other, Image) and self.width == other.width and
                self.height == other.height and self.channels == other.channels and
                self.data == other.data)

    def __repr__(self):
        return "Image(%dx%d, %d channels)" % (self.width, self.height, self.channels)


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(raw, width, height, bpp):
    stride = width * bpp
    out = bytearray(stride * height)
    previous = bytearray(stride)
    at = 0
    for y in range(height):
        kind = raw[at]
        line = bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        if kind == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 0xFF
        elif kind == 2:
            for i in range(stride):
                line[i] = (line[i] + previous[i]) & 0xFF
        elif kind == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + previous[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                upper_left = previous[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + _paeth(left, previous[i], upper_left)) & 0xFF
        elif kind != 0:
            raise ValueError("unknown PNG row filter %d" % kind)
        out[y * stride:(y + 1) * stride] = line
        previous = line
    return out


def decode_png(blob):
    if blob[:8] != PNG_SIGNATURE:
        raise ValueError("not a PNG file")
    at = 8
    header = None
    idat = bytearray()
    while at < len(blob):
        length, kind = struct.unpack(">I4s", blob[at:at + 8])
        body = blob[at + 8:at + 8 + length]
        crc, = struct.unpack(">I", blob[at + 8 + length:at + 12 + length])
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise ValueError("bad CRC in PNG chunk %r" % kind)
        at += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if header is None:
        raise ValueError("PNG file has no IHDR chunk")
    width, height, depth, color_type, _compression, _filter, interlace = header
    if depth != 8 or color_type not in COLOR_TYPE_CHANNELS or interlace != 0:
        raise ValueError("unsupported PNG: depth %d, colour type %d, interlace %d" %
                         (depth, color_type, interlace))
    channels = COLOR_TYPE_CHANNELS[color_type]
    pixels = _unfilter(zlib.decompress(bytes(idat)), width, height, channels)
    return Image(width, height, channels, pixels)


def read_png(path):
    with open(path, "rb") as f:
        return decode_png(f.read())


def _chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body +
            struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def encode_png(image, row_filter=0):
    """PNG bytes; every row uses filter `row_filter` (0..4), to exercise readers."""
    bpp = image.channels
    stride = image.width * bpp
    raw = bytearray()
    previous = bytearray(stride)
    for y in range(image.height):
        line = image.row(y)
        encoded = bytearray(stride)
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            upper_left = previous[i - bpp] if i >= bpp else 0
            predictor = (0, left, up, (left + up) >> 1, _paeth(left, up, upper_left))[row_filter]
            encoded[i] = (line[i] - predictor) & 0xFF
        raw.append(row_filter)
        raw += encoded
        previous = bytearray(line)
    header = struct.pack(">IIBBBBB", image.width, image.height, 8,
                         CHANNELS_COLOR_TYPE[image.channels], 0, 0, 0)
    return (PNG_SIGNATURE + _chunk(b"IHDR", header) +
            _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b""))


def write_png(path, image, row_filter=0):
    with open(path, "wb") as f:
        f.write(encode_png(image, row_filter))


def difference(a, b):
    """(largest channel difference, number of differing bytes, first differing
    (x, y, channel) or None). The images must have the same shape."""
    if (a.width, a.height, a.channels) != (b.width, b.height, b.channels):
        raise ValueError("images differ in shape: %r vs %r" % (a, b))
    largest = 0
    count = 0
    first = None
    for i, (u, v) in enumerate(zip(a.data, b.data)):
        if u != v:
            count += 1
            largest = max(largest, abs(u - v))
            if first is None:
                pixel, channel = divmod(i, a.channels)
                first = (pixel % a.width, pixel // a.width, channel)
    return largest, count, first


def describe_difference(a, b):
    """'' when equal, else a sentence for an assertion message."""
    largest, count, first = difference(a, b)
    if count == 0:
        return ""
    x, y, channel = first
    return ("%d bytes differ (largest difference %d); first at x=%d y=%d channel %d: %d vs %d" %
            (count, largest, x, y, channel, a.data[a.offset(x, y) + channel],
             b.data[b.offset(x, y) + channel]))
