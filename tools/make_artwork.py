#!/usr/bin/env python3
"""Draws the module's two pictures and writes them as Windows bitmaps.

    python3 tools/make_artwork.py OUTPUT_DIR [--preview PNG_DIR]

about.bmp: the About box picture, 425 x 250 pixels, 8 bits per pixel with a
64-colour palette: a harbour at dusk, a lighthouse on the headland, harbour
lights and their reflections, mist on the water, and the product's name.

band.bmp: the band along the parameter dialog's left edge, 20 x 800 pixels, 4
bits per pixel: the same dusk sky, top to bottom.

Standard library only, and deterministic: no clock, no random state, so every
run writes the same bytes. --preview also writes PNG copies for looking at.
"""

import math
import os
import struct
import sys
import zlib

ABOUT_WIDTH = 425
ABOUT_HEIGHT = 250
ABOUT_COLOURS = 64
ABOUT_BITS = 8

BAND_WIDTH = 20
BAND_HEIGHT = 800
BAND_COLOURS = 16
BAND_BITS = 4

# ---------------------------------------------------------------------------
# Colour helpers. Colours are (r, g, b) floats in 0..255.


def hex_colour(text):
    return tuple(float(int(text[i:i + 2], 16)) for i in (1, 3, 5))


def mix(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def add_light(base, light, strength):
    """Light added on top, as a glow adds to what lies behind it."""
    return (base[0] + light[0] * strength, base[1] + light[1] * strength,
            base[2] + light[2] * strength)


def clamp(value, low, high):
    return low if value < low else high if value > high else value


def smoothstep(edge0, edge1, x):
    t = clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0)
    return t * t * (3.0 - 2.0 * t)


def gradient(stops, t):
    """Colour at t along stops [(position, colour), ...], positions ascending."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, smoothstep(0.0, 1.0, (t - p0) / (p1 - p0)))
    return stops[-1][1]


def hash01(*values):
    """A repeatable pseudo-random number in [0, 1) from integers."""
    h = 2166136261
    for v in values:
        h = ((h ^ (v & 0xFFFFFFFF)) * 16777619) & 0xFFFFFFFF
    h ^= h >> 15
    h = (h * 2246822519) & 0xFFFFFFFF
    h ^= h >> 13
    return h / 4294967296.0


# ---------------------------------------------------------------------------
# The dusk palette shared by both pictures.

SKY_STOPS = [
    (0.00, hex_colour("#121635")),  # night blue at the top
    (0.30, hex_colour("#252a5a")),
    (0.58, hex_colour("#4a3f78")),  # violet
    (0.80, hex_colour("#93658e")),  # mauve
    (0.93, hex_colour("#d98c7c")),  # rose
    (1.00, hex_colour("#f3bd88")),  # amber at the horizon
]
AFTERGLOW = hex_colour("#ff9f6e")
WATER_SHADE = hex_colour("#0e1230")
LAMP_LIGHT = hex_colour("#ffd58f")
HARBOUR_LIGHT = hex_colour("#ffc274")
MIST = hex_colour("#b7a3bf")
LAND = hex_colour("#1a1833")
FAR_SHORE = hex_colour("#3b3560")
TOWER = hex_colour("#2a2443")
TOWER_LIT_SIDE = hex_colour("#4b3d5e")
TITLE_INK = hex_colour("#fff4e2")
TITLE_GLOW = hex_colour("#ffc98a")
SUBTITLE_INK = hex_colour("#f2d3a4")
FOOTER_INK = hex_colour("#d6c8e2")

# ---------------------------------------------------------------------------
# A small stroke font. Glyphs are polylines in units of the capital height,
# y pointing up from the baseline; letters are drawn with round pens.

X_HEIGHT = 0.64
ASCENDER = 1.04
ARC_STEPS_PER_TURN = 48


def arc(cx, cy, rx, ry, start_degrees, end_degrees):
    """Points along an elliptic arc, from start to end angle (either way round)."""
    sweep = end_degrees - start_degrees
    steps = max(2, int(abs(sweep) / 360.0 * ARC_STEPS_PER_TURN) + 1)
    points = []
    for i in range(steps + 1):
        a = math.radians(start_degrees + sweep * i / steps)
        points.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return points


def glyph_u():
    r = 0.24
    return [[(0, X_HEIGHT), (0, r)] + arc(r, r, r, r, 180, 360) + [(2 * r, X_HEIGHT)],
            [(2 * r, X_HEIGHT), (2 * r, 0)]]


def glyph_m():
    r = 0.19
    top = X_HEIGHT - r
    return [[(0, 0), (0, X_HEIGHT)],
            [(0, top)] + arc(r, top, r, r, 180, 0) + [(2 * r, 0)],
            [(2 * r, top)] + arc(3 * r, top, r, r, 180, 0) + [(4 * r, 0)]]


def glyph_e():
    r = X_HEIGHT / 2
    return [[(0.02, r), (2 * r - 0.02, r)] + arc(r, r, r - 0.02, r, 0, 318)]


def glyph_i():
    return [[(0, 0), (0, X_HEIGHT)], [(0, 0.86), (0, 0.865)]]


# Lower-case letters for the title, capitals for the small lines.
GLYPHS = {
    "L": (0.52, lambda: [[(0, 1), (0, 0), (0.52, 0)]]),
    "u": (0.48, glyph_u),
    "m": (0.76, glyph_m),
    "i": (0.0, glyph_i),
    "v": (0.50, lambda: [[(0, X_HEIGHT), (0.25, 0), (0.50, X_HEIGHT)]]),
    "e": (0.64, glyph_e),
    "l": (0.0, lambda: [[(0, 0), (0, ASCENDER)]]),
    "A": (0.66, lambda: [[(0, 0), (0.33, 1), (0.66, 0)], [(0.12, 0.34), (0.54, 0.34)]]),
    "B": (0.56, lambda: [[(0, 0), (0, 1), (0.3, 1)] + arc(0.3, 0.76, 0.22, 0.24, 90, -90)
                         + [(0, 0.52), (0.32, 0.52)] + arc(0.32, 0.26, 0.24, 0.26, 90, -90)
                         + [(0, 0)]]),
    "C": (0.70, lambda: [arc(0.38, 0.5, 0.38, 0.5, 42, 318)]),
    "D": (0.66, lambda: [[(0, 0), (0, 1), (0.2, 1)] + arc(0.2, 0.5, 0.46, 0.5, 90, -90)
                         + [(0, 0)]]),
    "E": (0.50, lambda: [[(0.5, 1), (0, 1), (0, 0), (0.5, 0)], [(0, 0.52), (0.42, 0.52)]]),
    "F": (0.48, lambda: [[(0.48, 1), (0, 1), (0, 0)], [(0, 0.52), (0.40, 0.52)]]),
    "G": (0.74, lambda: [arc(0.38, 0.5, 0.38, 0.5, 42, 360) + [(0.76, 0.0)],
                         [(0.76, 0.44), (0.44, 0.44)]]),
    "H": (0.62, lambda: [[(0, 0), (0, 1)], [(0.62, 0), (0.62, 1)], [(0, 0.52), (0.62, 0.52)]]),
    "I": (0.0, lambda: [[(0, 0), (0, 1)]]),
    "O": (0.80, lambda: [arc(0.4, 0.5, 0.4, 0.5, 0, 360)]),
    "Q": (0.80, lambda: [arc(0.4, 0.5, 0.4, 0.5, 0, 360), [(0.5, 0.22), (0.84, -0.1)]]),
    "R": (0.58, lambda: [[(0, 0), (0, 1), (0.3, 1)] + arc(0.3, 0.75, 0.24, 0.25, 90, -90)
                         + [(0, 0.5)], [(0.28, 0.5), (0.58, 0)]]),
    "S": (0.56, lambda: [arc(0.28, 0.75, 0.26, 0.25, 25, 270)
                         + arc(0.28, 0.25, 0.28, 0.25, 90, -155)]),
    "T": (0.60, lambda: [[(0, 1), (0.6, 1)], [(0.3, 1), (0.3, 0)]]),
    "U": (0.62, lambda: [[(0, 1), (0, 0.32)] + arc(0.31, 0.32, 0.31, 0.32, 180, 360)
                         + [(0.62, 1)]]),
    " ": (0.36, lambda: []),
}


def layout_text(text, x, baseline, size, spacing):
    """Pen strokes in pixels for text starting at x on baseline; size is the
    capital height in pixels, spacing the gap between letters in capitals."""
    strokes = []
    pen = x
    for letter in text:
        advance, draw = GLYPHS[letter]
        for line in draw():
            strokes.append([(pen + gx * size, baseline - gy * size) for gx, gy in line])
        pen += (advance + spacing) * size
    return strokes


def text_width(text, size, spacing):
    return sum((GLYPHS[c][0] + spacing) * size for c in text) - spacing * size


def segments_of(strokes):
    segments = []
    for line in strokes:
        if len(line) == 1:
            line = line * 2
        segments.extend(zip(line, line[1:]))
    return segments


def distance_to_segment(px, py, segment):
    (ax, ay), (bx, by) = segment
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0)
    ex, ey = ax + t * dx - px, ay + t * dy - py
    return math.sqrt(ex * ex + ey * ey)


SUPERSAMPLES = 4  # per axis: 16 samples for a pixel on a letter's edge


def stroke_coverage(strokes, pen_width, width, height):
    """{(x, y): 0..1} of the pixels the strokes cover, antialiased by
    supersampling the pixels that lie on an edge."""
    segments = segments_of(strokes)
    half = pen_width / 2.0
    edge = 0.75  # a pixel centre this far from the pen's edge is wholly in or out
    coverage = {}
    xs = [p[0] for s in strokes for p in s]
    ys = [p[1] for s in strokes for p in s]
    if not xs:
        return coverage
    x0 = max(0, int(min(xs) - half - 2))
    x1 = min(width - 1, int(max(xs) + half + 2))
    y0 = max(0, int(min(ys) - half - 2))
    y1 = min(height - 1, int(max(ys) + half + 2))
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            cx, cy = x + 0.5, y + 0.5
            nearby = [s for s in segments if distance_to_segment(cx, cy, s) < half + edge + 1]
            if not nearby:
                continue
            d = min(distance_to_segment(cx, cy, s) for s in nearby)
            if d <= half - edge:
                coverage[(x, y)] = 1.0
                continue
            if d >= half + edge:
                continue
            inside = 0
            for sy in range(SUPERSAMPLES):
                for sx in range(SUPERSAMPLES):
                    px = x + (sx + 0.5) / SUPERSAMPLES
                    py = y + (sy + 0.5) / SUPERSAMPLES
                    if min(distance_to_segment(px, py, s) for s in nearby) <= half:
                        inside += 1
            if inside:
                coverage[(x, y)] = inside / (SUPERSAMPLES * SUPERSAMPLES)
    return coverage


def blurred(coverage, radius, passes):
    """A soft copy of a coverage map: repeated box blurs, rows then columns."""
    field = dict(coverage)
    for _ in range(passes):
        for axis in (0, 1):
            spread = {}
            for (x, y), value in field.items():
                share = value / (2 * radius + 1)
                for d in range(-radius, radius + 1):
                    key = (x + d, y) if axis == 0 else (x, y + d)
                    spread[key] = spread.get(key, 0.0) + share
            field = spread
    return field


# ---------------------------------------------------------------------------
# The About picture: a harbour at dusk.

HORIZON = 168            # y of the far shoreline; sky above, water below
LAMP = (351.0, 95.0)     # the lighthouse lantern
TOWER_BASE_Y = 158
TOWER_TOP_Y = 103
TOWER_BASE_HALF = 8.5
TOWER_TOP_HALF = 5.0
GALLERY_DEPTH = 2        # the walkway round the lantern's foot
LANTERN_HEIGHT = 6       # the glass house above the gallery
ROOF_HEIGHT = 3
HEADLAND_START_X = 268   # a low breakwater, rising to the headland's crest
HEADLAND_CREST_X = 318
HARBOUR_LIGHTS = [(38, 165, 0.55), (61, 166, 0.8), (74, 165, 0.5), (112, 166, 0.7),
                  (139, 165, 0.45), (186, 166, 0.6), (204, 165, 0.4)]
BOAT_X = 246.0           # the sailboat's mast
BOAT_WATERLINE = 181.0
BOAT_HULL_HALF = 10.0
BOAT_MAST = 27.0
BOAT = hex_colour("#231f3c")
BOAT_SAIL = hex_colour("#b996a6")  # catching the afterglow
STAR_COUNT = 46
STAR_REGION_BOTTOM = 120
TEXT_BLOCK = (24, 22, 236, 108)  # left, top, right, bottom of title and subtitle


def far_shore_top(x):
    """y of the low far shore's skyline: gentle hills on the left half."""
    hills = 7.0 * math.sin(x / 37.0 + 0.6) + 4.0 * math.sin(x / 13.0 + 2.0)
    height = 6.0 + max(0.0, hills) * (1.0 - smoothstep(150, 260, x))
    return HORIZON - height


def headland_top(x):
    """y of the headland under the lighthouse; None where there is none."""
    if x < HEADLAND_START_X:
        return None
    rise = smoothstep(HEADLAND_START_X, HEADLAND_CREST_X, x)
    bumps = 1.5 * math.sin(x / 9.0) + 1.0 * math.sin(x / 4.3)
    return HORIZON - 2 - rise * (11 + bumps)


def sky_colour(x, y):
    t = y / HORIZON
    colour = gradient(SKY_STOPS, t)
    # The afterglow of the set sun, left of the lighthouse.
    glow = math.exp(-(((x - 150) / 170.0) ** 2) - (((y - HORIZON) / 55.0) ** 2))
    return add_light(colour, AFTERGLOW, 0.28 * glow)


def lamp_light(x, y):
    """How much lantern light reaches (x, y): a glow and two faint beams."""
    dx, dy = x - LAMP[0], y - LAMP[1]
    distance = math.sqrt(dx * dx + dy * dy)
    glow = (0.8 * math.exp(-distance / 3.5) + 0.4 * math.exp(-distance / 11.0)
            + 0.2 * math.exp(-distance / 38.0))
    beam = 0.0
    for direction in (math.pi, 0.0):
        angle = math.atan2(dy, dx) - direction
        angle = math.atan2(math.sin(angle), math.cos(angle))
        width = 0.09 + distance * 0.0004
        beam += 0.16 * math.exp(-(angle / width) ** 2) * math.exp(-distance / 170.0)
    return glow + beam * smoothstep(6, 20, distance)


def stars(width):
    """[(x, y, brightness)], scattered repeatably over the upper sky, but not
    among the letters, where a star would read as a stray mark."""
    found = []
    for i in range(STAR_COUNT):
        x = hash01(i, 1) * width
        y = hash01(i, 2) ** 1.6 * STAR_REGION_BOTTOM
        left, top, right, bottom = TEXT_BLOCK
        if left <= x <= right and top <= y <= bottom:
            continue
        found.append((x, y, 0.25 + 0.75 * hash01(i, 3) ** 3))
    return found


def in_tower(x, y):
    """0..1 cover of the tower and its lantern at pixel centre (x, y)."""
    lantern_top = TOWER_TOP_Y - LANTERN_HEIGHT
    if y < lantern_top - ROOF_HEIGHT or y > TOWER_BASE_Y:
        return 0.0
    if TOWER_TOP_Y <= y < TOWER_TOP_Y + GALLERY_DEPTH:
        half = TOWER_TOP_HALF + 2.0
    elif y < TOWER_TOP_Y:
        # A narrow glass house under a small pointed roof.
        half = 3.6 if y > lantern_top else 4.6 - (lantern_top - y) * 1.2
    else:
        t = (y - TOWER_TOP_Y) / (TOWER_BASE_Y - TOWER_TOP_Y)
        half = TOWER_TOP_HALF + (TOWER_BASE_HALF - TOWER_TOP_HALF) * t
    return clamp(half - abs(x - LAMP[0]) + 0.5, 0.0, 1.0)


def boat_cover(x, y):
    """(hull and mast cover, sail cover), each 0..1, at pixel centre (x, y)."""
    along = x - BOAT_X
    rise = BOAT_WATERLINE - y
    hull = 0.0
    if -0.5 <= rise <= 3.0:
        # The sheer rises toward the bow (right); the ends are drawn in.
        half = BOAT_HULL_HALF - (3.0 - rise) * 0.9 if rise < 3.0 else BOAT_HULL_HALF
        hull = clamp(half - abs(along + 1.0) + 0.5, 0.0, 1.0) * clamp(rise + 0.5, 0.0, 1.0)
    mast = clamp(0.7 - abs(along) + 0.5, 0.0, 1.0) if 2.0 < rise < BOAT_MAST else 0.0
    sail = 0.0
    if 4.0 < rise < BOAT_MAST - 2.0 and along > 0.6:
        # A mainsail: from the masthead down to a boom reaching toward the bow.
        reach = (rise - 4.0) / (BOAT_MAST - 6.0)
        edge = 11.0 * (1.0 - reach) ** 1.15
        sail = clamp(edge - along + 0.5, 0.0, 1.0)
    return max(hull, mast), sail


def draw_boat(x, y, base, wave):
    """The sailboat and, on the water, its wavering reflection."""
    hull, sail = boat_cover(x, y)
    if y > BOAT_WATERLINE:
        sway = 1.2 * math.sin(y * 0.9) + (wave - 0.5) * 1.5
        mirrored = 2.0 * BOAT_WATERLINE - y + 1.0
        r_hull, r_sail = boat_cover(x + sway, mirrored)
        fade = 0.55 * math.exp(-(y - BOAT_WATERLINE) / 18.0)
        base = mix(base, BOAT, max(r_hull, r_sail * 0.6) * fade)
    base = mix(base, BOAT_SAIL, sail)
    return mix(base, BOAT, hull)


def land_colour(x, y, base):
    """The far shore, the headland and the lighthouse in front of the sky."""
    shore = far_shore_top(x)
    if y >= shore:
        base = mix(base, FAR_SHORE, clamp(y - shore + 0.5, 0.0, 1.0))
    headland = headland_top(x)
    if headland is not None and y >= headland:
        base = mix(base, LAND, clamp(y - headland + 0.5, 0.0, 1.0))
    cover = in_tower(x, y)
    if cover:
        lit = TOWER_LIT_SIDE if x < LAMP[0] else TOWER
        base = mix(base, lit, cover)
        if TOWER_TOP_Y - LANTERN_HEIGHT < y < TOWER_TOP_Y and abs(x - LAMP[0]) < 3.0:
            base = LAMP_LIGHT  # the lamp itself, through the glass
    return base


def water_depth(y):
    """0 at the far shore, 1 at the bottom edge: how near the viewer water is."""
    return clamp((y - HORIZON) / (ABOUT_HEIGHT - HORIZON), 0.0, 1.0)


def water_colour(x, y):
    """Reflected sky, darkened, broken by ripples that grow toward the viewer."""
    depth = water_depth(y)
    ripple_scale = 1.0 + 5.0 * depth
    wave = ripple(x, y, depth)
    mirror_y = HORIZON - (y - HORIZON) * 1.6 - wave * 3.0 * ripple_scale
    reflected = sky_colour(x, clamp(mirror_y, 0, HORIZON - 1))
    colour = mix(reflected, WATER_SHADE, 0.42 + 0.38 * depth)
    # Long glints of the lamp and the harbour lights on the water.
    colour = add_light(colour, LAMP_LIGHT, reflection(x, y, LAMP[0], 1.0, depth, wave))
    for hx, _, strength in HARBOUR_LIGHTS:
        glint = reflection(x, y, hx, strength * 0.7, depth, wave)
        colour = add_light(colour, HARBOUR_LIGHT, glint)
    return colour


def ripple(x, y, depth):
    """0..1, the slope of the small waves toward the sky: long, slightly
    wavy crests that widen toward the viewer."""
    scale = 1.0 + 5.0 * depth
    phase = (y * 1.9 / (0.4 + depth)
             + 2.2 * math.sin(x / (23.0 * scale))
             + 1.3 * math.sin(x / (7.0 * scale) + y * 0.31))
    return math.sin(phase) * 0.5 + 0.5


def reflection(x, y, source_x, strength, depth, wave):
    spread = 1.5 + 9.0 * depth
    sway = 1.5 * math.sin(y * 0.45) * (1.0 + 3.0 * depth)
    across = math.exp(-((x - source_x - sway) / spread) ** 2)
    broken = smoothstep(0.45, 0.95, wave)
    fade = math.exp(-depth * 2.2)
    return 0.75 * strength * across * broken * fade


def mist_amount(x, y):
    """A band of mist lying on the water along the shore."""
    band = math.exp(-((y - (HORIZON - 4)) / 12.0) ** 2)
    drift = 0.7 + 0.3 * math.sin(x / 47.0 + 1.3) * math.sin(x / 19.0)
    wisps = math.exp(-((y - (HORIZON + 14 + 4 * math.sin(x / 61.0))) / 5.0) ** 2)
    return 0.6 * band * drift + 0.16 * wisps * (0.5 + 0.5 * math.sin(x / 33.0 + 0.4))


def scene_colour(x, y):
    """The picture without stars and letters, at pixel (x, y), back to front."""
    cx, cy = x + 0.5, y + 0.5
    if cy < HORIZON:
        colour = sky_colour(cx, cy)
        colour = land_colour(cx, cy, colour)
    else:
        colour = water_colour(cx, cy)
        if headland_top(cx) is not None and cy < HORIZON + 2:
            colour = mix(colour, LAND, 0.6)  # the rocks at the waterline
    colour = draw_boat(cx, cy, colour, ripple(cx, cy, water_depth(cy)))
    colour = mix(colour, MIST, mist_amount(cx, cy))
    colour = add_light(colour, LAMP_LIGHT, lamp_light(cx, cy))
    for hx, hy, strength in HARBOUR_LIGHTS:
        # A small point of light, a little wider than tall, and its halo.
        d2 = (cx - hx) ** 2 + ((cy - hy) * 1.3) ** 2
        colour = add_light(colour, HARBOUR_LIGHT, strength * math.exp(-d2 / 2.2))
        colour = add_light(colour, HARBOUR_LIGHT, 0.12 * strength * math.exp(-d2 / 40.0))
    return colour


def draw_stars(image, width, star_field):
    for sx, sy, brightness in star_field:
        x, y = int(sx), int(sy)
        image[y * width + x] = add_light(image[y * width + x], (255, 250, 235), 0.55 * brightness)


def ink(image, width, coverage, colour, opacity=1.0):
    for (x, y), amount in coverage.items():
        i = y * width + x
        image[i] = mix(image[i], colour, clamp(amount * opacity, 0.0, 1.0))


def glow(image, width, height, coverage, colour, strength):
    for (x, y), amount in coverage.items():
        if 0 <= x < width and 0 <= y < height:
            i = y * width + x
            image[i] = add_light(image[i], colour, strength * amount)


TITLE = "Lumiveil"
TITLE_SIZE = 44.0        # capital height in pixels
TITLE_PEN = 3.6          # pen widths in pixels
TITLE_SPACING = 0.2      # gaps between letters in capital heights
TITLE_ORIGIN = (34, 78)  # left end of the baseline
SUBTITLE = "HARBORLIGHT EFFECTS"
SUBTITLE_SIZE = 8.5
SUBTITLE_PEN = 1.25
SUBTITLE_SPACING = 0.42   # then widened, so that the line ends where the title ends
SUBTITLE_DROP = 22        # baseline below the title's baseline
FOOTER = "QUIET HARBOR STUDIO"
FOOTER_SIZE = 6.5
FOOTER_PEN = 1.1
FOOTER_SPACING = 0.5
FOOTER_MARGIN = (14, 12)  # from the right edge to the text, and up to its baseline


def draw_about_text(image, width, height):
    title = layout_text(TITLE, TITLE_ORIGIN[0], TITLE_ORIGIN[1], TITLE_SIZE, TITLE_SPACING)
    title_cover = stroke_coverage(title, TITLE_PEN, width, height)
    glow(image, width, height, blurred(title_cover, 3, 3), TITLE_GLOW, 0.55)
    ink(image, width, title_cover, TITLE_INK)

    # The subtitle runs under the title, starting and ending with it.
    title_width = text_width(TITLE, TITLE_SIZE, TITLE_SPACING)
    spacing = SUBTITLE_SPACING
    natural = text_width(SUBTITLE, SUBTITLE_SIZE, spacing)
    spacing += (title_width - natural) / (SUBTITLE_SIZE * (len(SUBTITLE) - 1))
    subtitle = layout_text(SUBTITLE, TITLE_ORIGIN[0] + 1, TITLE_ORIGIN[1] + SUBTITLE_DROP,
                           SUBTITLE_SIZE, spacing)
    ink(image, width, stroke_coverage(subtitle, SUBTITLE_PEN, width, height), SUBTITLE_INK)

    footer_width = text_width(FOOTER, FOOTER_SIZE, FOOTER_SPACING)
    footer = layout_text(FOOTER, width - FOOTER_MARGIN[0] - footer_width,
                         height - FOOTER_MARGIN[1], FOOTER_SIZE, FOOTER_SPACING)
    ink(image, width, stroke_coverage(footer, FOOTER_PEN, width, height), FOOTER_INK)


def render_about():
    width, height = ABOUT_WIDTH, ABOUT_HEIGHT
    star_field = stars(width)
    image = [scene_colour(x, y) for y in range(height) for x in range(width)]
    draw_stars(image, width, star_field)
    draw_about_text(image, width, height)
    return image


# ---------------------------------------------------------------------------
# The dialog band: the dusk sky from the top down to a glowing horizon near
# the foot of a dialog at normal size, then the sky mirrored in darker water
# for dialogs drawn taller.

BAND_HORIZON = 350       # the dialog is about 380 pixels tall at 96 dots per inch
BAND_WATER_DEPTH = 300   # pixels over which the water darkens back to night


def band_row_colour(y):
    if y < BAND_HORIZON:
        return gradient(SKY_STOPS, y / BAND_HORIZON)
    depth = clamp((y - BAND_HORIZON) / BAND_WATER_DEPTH, 0.0, 1.0)
    return mix(gradient(SKY_STOPS, 1.0 - depth), WATER_SHADE, 0.25 + 0.35 * depth)


def render_band():
    return [band_row_colour(y + 0.5) for y in range(BAND_HEIGHT) for _ in range(BAND_WIDTH)]


# ---------------------------------------------------------------------------
# Palettes: median cut over the picture's colours, then ordered dithering.


MIN_SPLIT_EXTENT = 3  # boxes narrower than this on every axis are one colour already


def median_cut(colours, count):
    """count representative colours of a list of (r, g, b) integer tuples."""
    boxes = [sorted(colours)]
    while len(boxes) < count:
        best, best_range, best_axis = None, -1, 0
        for index, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                values = [c[axis] for c in box]
                extent = max(values) - min(values)
                if extent < MIN_SPLIT_EXTENT:
                    continue
                # Favour wide boxes, and among them the crowded ones.
                spread = extent * math.sqrt(len(box))
                if spread > best_range:
                    best, best_range, best_axis = index, spread, axis
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda c: (c[best_axis], c))
        middle = len(box) // 2
        boxes[best:best] = [box[:middle], box[middle:]]
    palette = []
    for box in boxes:
        n = len(box)
        palette.append(tuple(int(round(sum(c[i] for c in box) / n)) for i in range(3)))
    palette = sorted(set(palette))
    while len(palette) < count:
        palette.append((0, 0, 0))
    return palette


BAYER_4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def quantise(image, width, palette, dither_strength):
    """Palette indices for the image, with a 4 x 4 ordered dither."""
    cache = {}
    indices = bytearray(len(image))
    for i, colour in enumerate(image):
        x, y = i % width, i // width
        offset = ((BAYER_4[y % 4][x % 4] + 0.5) / 16.0 - 0.5) * dither_strength
        key = tuple(int(clamp(c + offset, 0, 255)) for c in colour)
        found = cache.get(key)
        if found is None:
            found = min(range(len(palette)), key=lambda p: (
                (palette[p][0] - key[0]) ** 2 * 3 + (palette[p][1] - key[1]) ** 2 * 4
                + (palette[p][2] - key[2]) ** 2 * 2, p))
            cache[key] = found
        indices[i] = found
    return indices


def to_palette(image, width, count, dither_strength):
    colours = [tuple(int(clamp(c, 0, 255)) for c in colour) for colour in image]
    palette = median_cut(colours, count)
    return palette, quantise(image, width, palette, dither_strength)


# ---------------------------------------------------------------------------
# Files.

BITMAP_FILE_HEADER = "<2sIHHI"
BITMAP_INFO_HEADER = "<IiiHHIIiiII"
PIXELS_PER_METRE = 2835  # 72 dots per inch


def bmp_bytes(width, height, bits, palette, indices):
    """A bottom-up, uncompressed, palette-based BMP file."""
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for y in range(height - 1, -1, -1):
        row = indices[y * width:(y + 1) * width]
        if bits == 8:
            packed = bytes(row)
        else:
            packed = bytes((row[x] << 4) | (row[x + 1] if x + 1 < width else 0)
                           for x in range(0, width, 2))
        rows.append(packed + bytes(stride - len(packed)))
    pixels = b"".join(rows)
    colour_table = b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in palette)
    offset = struct.calcsize(BITMAP_FILE_HEADER) + struct.calcsize(BITMAP_INFO_HEADER) \
        + len(colour_table)
    file_header = struct.pack(BITMAP_FILE_HEADER, b"BM", offset + len(pixels), 0, 0, offset)
    info_header = struct.pack(BITMAP_INFO_HEADER, struct.calcsize(BITMAP_INFO_HEADER), width,
                              height, 1, bits, 0, len(pixels), PIXELS_PER_METRE,
                              PIXELS_PER_METRE, len(palette), 0)
    return file_header + info_header + colour_table + pixels


def png_bytes(width, height, palette, indices, scale=1):
    """An RGB PNG of a palette image, for looking at the artwork."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = bytearray()
    for y in range(height * scale):
        raw.append(0)
        for x in range(width * scale):
            raw.extend(palette[indices[(y // scale) * width + x // scale]])
    header = struct.pack(">IIBBBBB", width * scale, height * scale, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


ABOUT_DITHER = 7.0
BAND_DITHER = 14.0


def main(argv):
    if len(argv) not in (2, 4) or (len(argv) == 4 and argv[2] != "--preview"):
        sys.stderr.write(__doc__)
        return 2
    output = argv[1]
    os.makedirs(output, exist_ok=True)
    pictures = [
        ("about", ABOUT_WIDTH, ABOUT_HEIGHT, ABOUT_BITS, ABOUT_COLOURS, render_about(),
         ABOUT_DITHER),
        ("band", BAND_WIDTH, BAND_HEIGHT, BAND_BITS, BAND_COLOURS, render_band(), BAND_DITHER),
    ]
    for name, width, height, bits, count, image, dither in pictures:
        palette, indices = to_palette(image, width, count, dither)
        with open(os.path.join(output, name + ".bmp"), "wb") as f:
            f.write(bmp_bytes(width, height, bits, palette, indices))
        if len(argv) == 4:
            os.makedirs(argv[3], exist_ok=True)
            with open(os.path.join(argv[3], name + ".png"), "wb") as f:
                f.write(png_bytes(width, height, palette, indices, scale=2))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
