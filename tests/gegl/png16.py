"""16-bit PNG files as plain values, with no colour management: the values in
the file, whatever gAMA or iCCP chunk GEGL writes beside them. Also the effect's
continuous formulas on such values, the reference for the float path."""

import struct
import zlib

from pngio import COLOR_TYPE_CHANNELS, CHANNELS_COLOR_TYPE, PNG_SIGNATURE, _chunk, _unfilter

MAX16 = 65535


class Picture16:
    """Rows of width * channels values 0..65535."""

    def __init__(self, width, height, channels, values):
        self.width, self.height, self.channels = width, height, channels
        self.values = list(values)

    def __eq__(self, other):
        return (self.width, self.height, self.channels, self.values) == \
            (other.width, other.height, other.channels, other.values)

    def crop(self, left, top, width, height):
        rows = []
        for y in range(top, top + height):
            start = (y * self.width + left) * self.channels
            rows += self.values[start:start + width * self.channels]
        return Picture16(width, height, self.channels, rows)


def read_png16(path):
    with open(path, "rb") as f:
        blob = f.read()
    if blob[:8] != PNG_SIGNATURE:
        raise ValueError("%s is not a PNG file" % path)
    at, header, idat = 8, None, bytearray()
    while at < len(blob):
        length, kind = struct.unpack(">I4s", blob[at:at + 8])
        body = blob[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    width, height, depth, color_type, _, _, interlace = header
    if depth != 16 or interlace:
        raise ValueError("%s: depth %d, interlace %d; want 16-bit, not interlaced" %
                         (path, depth, interlace))
    channels = COLOR_TYPE_CHANNELS[color_type]
    raw = _unfilter(zlib.decompress(bytes(idat)), width, height, channels * 2)
    values = struct.unpack(">%dH" % (width * height * channels), bytes(raw))
    return Picture16(width, height, channels, values)


def write_png16(path, picture):
    stride = picture.width * picture.channels
    raw = bytearray()
    for y in range(picture.height):
        raw.append(0)
        raw += struct.pack(">%dH" % stride, *picture.values[y * stride:(y + 1) * stride])
    header = struct.pack(">IIBBBBB", picture.width, picture.height, 16,
                         CHANNELS_COLOR_TYPE[picture.channels], 0, 0, 0)
    with open(path, "wb") as f:
        f.write(PNG_SIGNATURE + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(raw)) +
                _chunk(b"IEND", b""))


def radius_for(radiation):
    return min(max((radiation * 95 + 50) // 100 + 1, 1), 96)


def continuous_effect(picture, settings):
    """R, G, B of every pixel (0..1 values, floats) by the continuous formulas:
    the exact box mean with edges repeated, blended toward by Amount times
    (1 - luminance), then the black lift by Mist."""
    radiation, amount, mist = settings
    r = radius_for(radiation)
    w, h, n = picture.width, picture.height, picture.channels
    weight_of_black = (amount * 1024 // 100) / 1024.0
    lift = (mist * 255 // 400) / 255.0
    area = (2 * r + 1) ** 2
    columns = [min(max(x, 0), w - 1) for x in range(-r, w + r)]
    result = []
    for k in range(3):
        plane = [[picture.values[(y * w + x) * n + k] / MAX16 for x in range(w)] for y in range(h)]
        # Vertical sums over the box's rows, then horizontal sums of those.
        vertical = []
        for y in range(h):
            rows = [plane[min(max(j, 0), h - 1)] for j in range(y - r, y + r + 1)]
            vertical.append([sum(row[c] for row in rows) for c in range(w)])
        means = []
        for y in range(h):
            line = [vertical[y][c] for c in columns]
            window = sum(line[:2 * r + 1])
            row = []
            for x in range(w):
                row.append(window / area)
                if x + 1 < w:
                    window += line[x + 2 * r + 1] - line[x]
            means.append(row)
        result.append(means)
    out = []
    for y in range(h):
        for x in range(w):
            v = [picture.values[(y * w + x) * n + k] / MAX16 for k in range(3)]
            luminance = min(max((2 * v[0] + 5 * v[1] + v[2]) / 8.0, 0.0), 1.0)
            weight = weight_of_black * (1.0 - luminance)
            out.append([lift + (v[k] + (result[k][y][x] - v[k]) * weight) * (1.0 - lift)
                        for k in range(3)])
    return out
