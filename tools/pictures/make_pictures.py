#!/usr/bin/env python3
"""Draws the skin's picture store: frame, title bar and caption-button art for
the three colour schemes (b blue, s silver, o olive), eleven pictures each; and
the about window's art (background, tagline, icons, hand cursor).

    python3 make_pictures.py            writes b0.bmp ... o10.bmp into src/skin/pictures
                                        and the about art into src/about/pictures
    python3 make_pictures.py --check    re-reads them and checks layout and content

The colours come from palette.json beside this script.

Only the standard library is used, so the art can be regenerated anywhere and
the output is byte-for-byte the same every time.
"""
import argparse
import json
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.join(HERE, "..", "..")
SKIN_DIR = os.path.normpath(os.path.join(ROOT, "src", "skin", "pictures"))
ABOUT_DIR = os.path.normpath(os.path.join(ROOT, "src", "about", "pictures"))

MAGENTA = (255, 0, 255)   # the skin's transparent colour: cut away by the window region
WHITE = (255, 255, 255)

# Left and right caps of the wide pictures are cut at column 54; the four
# columns around the cut are what the skin stretches, so they must be plain.
CAP = 54
PLAIN = range(CAP - 2, CAP + 2)

EDGE = 4            # frame thickness
TITLE_H = 30        # normal title bar height (per half)
TOOL_H = 26         # maximised / tool window title bar height (per half)
BTN = 21            # caption button size
FRAMES = 8          # normal, hot, pressed, disabled; active then inactive

# Pixels cut away at the top corners of the normal title bar, row by row from
# the outer edge. Together with the outline drawn along it this reads as the
# soft XP corner.
ROUND = (5, 3, 2, 1, 1)

SCHEMES = ("b", "s", "o")
SIZES = {0: (2 * CAP, 2 * EDGE), 1: (EDGE, 16), 2: (EDGE, 16),
         3: (2 * CAP, 2 * TITLE_H), 4: (2 * CAP, 2 * TOOL_H)}
for _i in range(5, 11):
    SIZES[_i] = (BTN, BTN * FRAMES)

# ---------------------------------------------------------------- colours


def mix(a, b, t):
    """a blended towards b by t (0..1)."""
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[k] + (b[k] - a[k]) * t)) for k in range(3))


def gradient(stops, height):
    """One colour per row from stops (row, colour). A negative row counts from
    the bottom and a float is a fraction of the height, so one table serves
    both title bar heights: highlight and bottom line keep their pixel size,
    the body stretches."""
    pts = []
    for pos, col in stops:
        if isinstance(pos, float):
            row = pos * (height - 1)
        elif pos < 0:
            row = height + pos
        else:
            row = pos
        pts.append((row, col))
    pts.sort(key=lambda p: p[0])
    rows = []
    for y in range(height):
        if y <= pts[0][0]:
            rows.append(pts[0][1])
            continue
        for (r0, c0), (r1, c1) in zip(pts, pts[1:]):
            if r0 <= y <= r1:
                rows.append(mix(c0, c1, (y - r0) / (r1 - r0) if r1 > r0 else 0))
                break
        else:
            rows.append(pts[-1][1])
    return rows


# The colours live in palette.json beside this script, as hex RGB strings, per
# scheme and window state:
#   title    the title bar's colours at TITLE_ROWS (see gradient); row 0 is its top line
#   edge     frame profile from outside in; sides and bottom share it so the
#            bottom corners join without a seam. Its first colour is the frame's
#            outer line, also drawn along the rounded corners (the outline).
#   button   caption button tones: light (top-left), base, glow (bottom-right),
#            border, glyph; normal, hot and pressed for the active window, normal
#            for the inactive one (its hot and pressed are made from it below).
# "close" holds the close button's tones, red-orange in every scheme, always
# with a white X. The olive inactive title stays dark enough for the white
# inactive caption.
TITLE_ROWS = (0, 1, 2, 3, 4, 7, 0.55, -6, -3, -2, -1)


def _btn(light, base, glow, border, glyph):
    return {"light": light, "base": base, "glow": glow,
            "border": border, "glyph": glyph}


def _colours(text):
    """ "0048E0 3D95FF" -> [(0, 72, 224), (61, 149, 255)]"""
    return [tuple(int(word[k:k + 2], 16) for k in (0, 2, 4)) for word in text.split()]


def _buttons(table):
    return {state: _btn(*_colours(tones)) for state, tones in table.items()}


def _window(table):
    edge = _colours(table["edge"])
    return {"title": list(zip(TITLE_ROWS, _colours(table["title"]))),
            "outline": edge[0], "edge": edge, "button": _buttons(table["button"])}


with open(os.path.join(HERE, "palette.json")) as _f:
    _PALETTE = json.load(_f)
PALETTE = {s: {state: _window(_PALETTE[s][state]) for state in ("active", "inactive")}
           for s in SCHEMES}
CLOSE = {state: _buttons(_PALETTE["close"][state]) for state in ("active", "inactive")}

def _inactive_hover_and_press(table):
    """An inactive window's hot and pressed buttons: the pale face lit up or
    pushed in towards the active pressed look, so they stay in the pale family."""
    normal = table["inactive"]["normal"]
    pressed = table["active"]["pressed"]
    lit = {k: mix(normal[k], WHITE, 0.25) for k in ("light", "base", "glow")}
    table["inactive"]["hot"] = _btn(lit["light"], lit["base"], lit["glow"],
                                    table["active"]["hot"]["border"],
                                    table["active"]["hot"]["glyph"])
    table["inactive"]["pressed"] = _btn(*[mix(normal[k], pressed[k], 0.55) for k in
                                          ("light", "base", "glow", "border")],
                                        pressed["glyph"])


for _table in [PALETTE[_s] for _s in SCHEMES]:
    _inactive_hover_and_press({"active": _table["active"]["button"],
                               "inactive": _table["inactive"]["button"]})
_inactive_hover_and_press(CLOSE)


# ---------------------------------------------------------------- pictures


class Picture:
    """RGB pixels, rows top-down (row 0 is the top of the picture)."""

    def __init__(self, width, height, fill=(0, 0, 0)):
        self.width = width
        self.height = height
        self.rows = [[fill] * width for _ in range(height)]

    def get(self, x, y):
        return self.rows[y][x]

    def put(self, x, y, colour):
        self.rows[y][x] = colour

    def paste(self, other, ox, oy):
        for y in range(other.height):
            self.rows[oy + y][ox:ox + other.width] = other.rows[y]


def bmp_bytes(pic):
    stride = (pic.width * 3 + 3) & ~3
    pad = b"\0" * (stride - pic.width * 3)
    body = bytearray()
    for row in reversed(pic.rows):          # bottom-up
        for r, g, b in row:
            body += bytes((b, g, r))
        body += pad
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, pic.width, pic.height, 1, 24, 0,
                       len(body), 2835, 2835, 0, 0)
    return header + info + bytes(body)


def read_bmp(data):
    """Parses what bmp_bytes writes and nothing else; anything unexpected fails."""
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    (hsize, width, height, planes, bits, compression,
     image_size, _, _, _, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    assert magic == b"BM", "not a BMP"
    assert size == len(data), "file size field %d, file has %d" % (size, len(data))
    assert offset == 54 and hsize == 40, "expected a plain BITMAPINFOHEADER"
    assert planes == 1 and bits == 24 and compression == 0, "expected 24-bit BI_RGB"
    assert width > 0 and height > 0, "expected a bottom-up bitmap"
    stride = (width * 3 + 3) & ~3
    assert image_size == stride * height == len(data) - 54, "pixel data size"
    pic = Picture(width, height)
    for y in range(height):
        base = 54 + (height - 1 - y) * stride
        pic.rows[y] = [(data[base + 3 * x + 2], data[base + 3 * x + 1], data[base + 3 * x])
                       for x in range(width)]
    return pic


# ---------------------------------------------------------------- frame


def frame_bottom(pal_a, pal_i):
    """Index 0: active half on top, inactive below. Each half is the edge
    profile run horizontally (outer line at the bottom), with the side profile
    meeting it in the corners."""
    pic = Picture(2 * CAP, 2 * EDGE)
    for half, pal in enumerate((pal_a, pal_i)):
        edge = pal["edge"]
        for y in range(EDGE):
            depth_y = EDGE - 1 - y                 # distance from the outer bottom line
            for x in range(2 * CAP):
                depth_x = min(x, 2 * CAP - 1 - x)  # distance from the outer side
                pic.put(x, half * EDGE + y, edge[min(depth_x, depth_y)])
    return pic


def frame_side(pal_a, pal_i, right):
    pic = Picture(EDGE, 16)
    for half, pal in enumerate((pal_a, pal_i)):
        profile = list(pal["edge"])
        if right:
            profile.reverse()
        for y in range(8):
            pic.rows[half * 8 + y] = list(profile)
    return pic


# ---------------------------------------------------------------- title bar


def title_half(pal, height, rounded):
    """One state of the title bar, 2*CAP wide: left cap then right cap."""
    rows = gradient(pal["title"], height)
    width = 2 * CAP
    pic = Picture(width, height)
    cut = ROUND if rounded else ()

    def inset(y):            # first pixel inside the window on row y
        return cut[y] if y < len(cut) else 0

    for y in range(height):
        body = rows[y]
        # a lighter column just inside the outer line lifts the edge like XP's
        inner = mix(body, WHITE, 0.22)
        pic.rows[y] = [body] * width
        e = inset(y)
        prev = inset(y - 1) if y > 0 else e
        for side in (0, 1):
            def at(i, colour):
                pic.put(i if side == 0 else width - 1 - i, y, colour)
            for i in range(e):
                at(i, MAGENTA)
            at(e, pal["outline"])
            if y == 0:
                continue        # the top line itself
            # outline follows the curve: on a step it covers the pixels the
            # row above left open, so the corner has no gaps
            for i in range(e, max(e, prev - 1) + 1):
                at(i, pal["outline"])
            at(max(e, prev - 1) + 1, inner)
    return pic


def title_bar(pal_a, pal_i, height, rounded):
    pic = Picture(2 * CAP, 2 * height)
    pic.paste(title_half(pal_a, height, rounded), 0, 0)
    pic.paste(title_half(pal_i, height, rounded), 0, height)
    return pic


# ---------------------------------------------------------------- buttons

# Glyphs on a 9 x 9 grid placed at (6, 6); '#' is glyph, '.' button face.
GLYPHS = {
    "close": [
        "##.....##",
        "###...###",
        ".###.###.",
        "..#####..",
        "...###...",
        "..#####..",
        ".###.###.",
        "###...###",
        "##.....##",
    ],
    "max": [
        "#########",
        "#########",
        "#########",
        "#.......#",
        "#.......#",
        "#.......#",
        "#.......#",
        "#.......#",
        "#########",
    ],
    "restore": [
        "...######",
        "...######",
        "...#....#",
        "######..#",
        "######..#",
        "#....####",
        "#....#...",
        "#....#...",
        "######...",
    ],
    "min": [
        ".........",
        ".........",
        ".........",
        ".........",
        ".........",
        ".........",
        "######...",
        "######...",
        "######...",
    ],
    "help": [
        "..#####..",
        ".##...##.",
        ".##...##.",
        "......##.",
        "....###..",
        "...##....",
        "...##....",
        ".........",
        "...##....",
    ],
    "tray": [
        "##.......",
        "###......",
        ".###.....",
        "..###..##",
        "...###.##",
        "....#####",
        ".....####",
        "...######",
        "...######",
    ],
}
GLYPH_AT = 6
BUTTONS = ("close", "help", "max", "min", "restore", "tray")   # indices 5..10
STATES = ("normal", "hot", "pressed", "disabled")


def button_frame(tones, glyph, glyph_colour):
    pic = Picture(BTN, BTN)
    last = BTN - 1
    for y in range(BTN):
        for x in range(BTN):
            if x in (0, last) and y in (0, last):
                colour = MAGENTA
            elif x in (0, last) or y in (0, last):
                colour = tones["border"]
                # beside the cut corner the border fades into the bar, which
                # softens the 2x2 rounding
                if (x in (0, last) and y in (1, last - 1)) or \
                        (y in (0, last) and x in (1, last - 1)):
                    colour = mix(colour, tones["base"], 0.45)
            else:
                # light from the top left, a soft glow rising in the bottom right
                u = (x + y - 2) / (2.0 * (BTN - 3))
                colour = mix(tones["light"], tones["base"], min(1.0, u / 0.45))
                d = ((x - 15.5) ** 2 + (y - 17.0) ** 2) ** 0.5
                colour = mix(colour, tones["glow"], max(0.0, 1.0 - d / 9.0) ** 1.4)
                if x == 1 or y == 1:
                    colour = mix(colour, tones["light"], 0.35)
            pic.put(x, y, colour)
    for gy, line in enumerate(GLYPHS[glyph]):
        for gx, ch in enumerate(line):
            if ch == "#":
                pic.put(GLYPH_AT + gx, GLYPH_AT + gy, glyph_colour)
    return pic


def button_strip(scheme, kind):
    pic = Picture(BTN, BTN * FRAMES)
    for half, state_name in enumerate(("active", "inactive")):
        if kind == "close":
            table = CLOSE[state_name]
        else:
            table = PALETTE[scheme][state_name]["button"]
        for n, state in enumerate(STATES):
            tones = table["normal" if state == "disabled" else state]
            glyph_colour = tones["glyph"]
            if state == "disabled":
                # a pale glyph that still shows which button it is
                glyph_colour = mix(glyph_colour, tones["base"], 0.6)
            frame = button_frame(tones, kind, glyph_colour)
            pic.paste(frame, 0, (half * 4 + n) * BTN)
    return pic


# ---------------------------------------------------------------- the set


def render(scheme):
    """All eleven pictures of a scheme, index -> Picture."""
    a = PALETTE[scheme]["active"]
    i = PALETTE[scheme]["inactive"]
    pics = {
        0: frame_bottom(a, i),
        1: frame_side(a, i, right=False),
        2: frame_side(a, i, right=True),
        3: title_bar(a, i, TITLE_H, rounded=True),
        4: title_bar(a, i, TOOL_H, rounded=False),
    }
    for n, kind in enumerate(BUTTONS):
        pics[5 + n] = button_strip(scheme, kind)
    return pics


def file_name(scheme, index):
    return "%s%d.bmp" % (scheme, index)


def write_all(folder):
    for scheme in SCHEMES:
        for index, pic in sorted(render(scheme).items()):
            data = bmp_bytes(pic)
            with open(os.path.join(folder, file_name(scheme, index)), "wb") as f:
                f.write(data)


# ---------------------------------------------------------------- check


def magenta_cells(pic):
    return {(x, y) for y in range(pic.height) for x in range(pic.width)
            if pic.get(x, y) == MAGENTA}


def expected_title_magenta(half_height):
    cells = set()
    for half in (0, 1):
        for row, count in enumerate(ROUND):
            y = half * half_height + row
            for i in range(count):
                cells.add((i, y))
                cells.add((2 * CAP - 1 - i, y))
    return cells


def expected_button_magenta():
    cells = set()
    for f in range(FRAMES):
        top, bottom = f * BTN, f * BTN + BTN - 1
        cells |= {(0, top), (BTN - 1, top), (0, bottom), (BTN - 1, bottom)}
    return cells


def check(folder):
    """Raises AssertionError on the first problem; returns the number of files."""
    pics = {}
    raw = {}
    for scheme in SCHEMES:
        for index in range(11):
            where = file_name(scheme, index)
            with open(os.path.join(folder, where), "rb") as f:
                raw[(scheme, index)] = f.read()
            pic = read_bmp(raw[(scheme, index)])
            assert (pic.width, pic.height) == SIZES[index], \
                "%s is %dx%d, expected %dx%d" % ((where, pic.width, pic.height) + SIZES[index])
            pics[(scheme, index)] = pic

        for index in (0, 1, 2, 4):
            assert not magenta_cells(pics[(scheme, index)]), \
                "%s has magenta pixels" % file_name(scheme, index)
        got = magenta_cells(pics[(scheme, 3)])
        assert got == expected_title_magenta(TITLE_H), \
            "%s: magenta corners wrong, extra %s missing %s" % (
                file_name(scheme, 3), sorted(got - expected_title_magenta(TITLE_H)),
                sorted(expected_title_magenta(TITLE_H) - got))
        for index in range(5, 11):
            got = magenta_cells(pics[(scheme, index)])
            assert got == expected_button_magenta(), \
                "%s: magenta should be exactly the frame corners, extra %s missing %s" % (
                    file_name(scheme, index), sorted(got - expected_button_magenta()),
                    sorted(expected_button_magenta() - got))

        # the stretched columns must be one colour per row
        for index in (0, 3, 4):
            pic = pics[(scheme, index)]
            for y in range(pic.height):
                cols = {pic.get(x, y) for x in PLAIN}
                assert len(cols) == 1, "%s row %d: columns %d-%d differ" % (
                    file_name(scheme, index), y, PLAIN[0], PLAIN[-1])

        # sides: one profile per half, the right side its mirror image
        left, right = pics[(scheme, 1)], pics[(scheme, 2)]
        for half in (0, 1):
            rows = left.rows[half * 8:half * 8 + 8]
            assert all(r == rows[0] for r in rows), \
                "%s: rows of a half differ" % file_name(scheme, 1)
        for y in range(16):
            assert right.rows[y] == list(reversed(left.rows[y])), \
                "%s row %d is not the mirror of the left edge" % (file_name(scheme, 2), y)
        assert left.rows[0] != left.rows[8], "%s: inactive half equals active" % file_name(scheme, 1)
        # the outer line is the darkest part of the edge
        assert sum(left.rows[0][0]) < min(sum(c) for c in left.rows[0][1:]), \
            "%s: outer line not darker" % file_name(scheme, 1)

        # the bottom edge's plain middle is the side profile laid down
        bottom = pics[(scheme, 0)]
        for half in (0, 1):
            col = [bottom.get(CAP, half * EDGE + y) for y in range(EDGE)]
            assert col == list(reversed(left.rows[half * 8])), \
                "%s: bottom profile does not match the side edge" % file_name(scheme, 0)

        # title bars: lighter highlight near the top, darker last row
        for index, h in ((3, TITLE_H), (4, TOOL_H)):
            pic = pics[(scheme, index)]
            for half in (0, 1):
                mid = [pic.get(CAP, half * h + y) for y in range(h)]
                body = sum(mid[h // 2])
                assert sum(mid[1]) > body, "%s: no top highlight" % file_name(scheme, index)
                assert sum(mid[-1]) < body, "%s: no dark bottom line" % file_name(scheme, index)
                assert sum(mid[-1]) == min(sum(c) for c in mid[1:]), \
                    "%s: bottom line not the darkest row" % file_name(scheme, index)
            assert pic.rows[0] != pic.rows[h], "%s: halves identical" % file_name(scheme, index)

        # buttons: the four states of a half must look different, the glyph too
        for index in range(5, 11):
            pic = pics[(scheme, index)]
            frames = [pic.rows[f * BTN:(f + 1) * BTN] for f in range(FRAMES)]
            for half in (0, 1):
                normal, hot, pressed, disabled = frames[half * 4:half * 4 + 4]
                where = "%s %s" % (file_name(scheme, index), ("active", "inactive")[half])
                assert brightness(hot) > brightness(normal) > brightness(pressed), \
                    "%s: hot must be lighter and pressed darker than normal" % where
                assert normal != disabled, "%s: disabled equals normal" % where
            assert frames[0] != frames[4], "%s: active equals inactive" % file_name(scheme, index)
        glyph_masks = [glyph_mask(pics[(scheme, 5)], CLOSE["active"]["normal"]["glyph"])]
        glyph_masks += [glyph_mask(pics[(scheme, i)],
                                   PALETTE[scheme]["active"]["button"]["normal"]["glyph"])
                        for i in range(6, 11)]
        for a in range(6):
            assert glyph_masks[a], "%s: no glyph" % file_name(scheme, 5 + a)
            for b in range(a + 1, 6):
                assert glyph_masks[a] != glyph_masks[b], \
                    "%s and %s have the same glyph" % (file_name(scheme, 5 + a),
                                                       file_name(scheme, 5 + b))

    # last, so a broken rule above is reported as itself: the files must be
    # what the script draws now, or someone edited a BMP by hand
    for scheme in SCHEMES:
        for index, pic in render(scheme).items():
            assert raw[(scheme, index)] == bmp_bytes(pic), \
                "%s differs from what the generator draws now: regenerate" % \
                file_name(scheme, index)
    return len(pics)


def brightness(frame):
    """Mean of the button face (border and glyph area excluded)."""
    total = n = 0
    for y in range(1, BTN - 1):
        for x in range(1, BTN - 1):
            if GLYPH_AT <= x < GLYPH_AT + 9 and GLYPH_AT <= y < GLYPH_AT + 9:
                continue
            total += sum(frame[y][x])
            n += 1
    return total / n


def glyph_mask(strip, colour):
    """Glyph-area pixels of the first frame drawn in the glyph colour."""
    return frozenset((x, y) for y in range(GLYPH_AT, GLYPH_AT + 9)
                     for x in range(GLYPH_AT, GLYPH_AT + 9)
                     if strip.get(x, y) == colour)


# ---------------------------------------------------------------- about window
#
# The about window is exactly its background; the labels the window puts on it
# are white Tahoma, so the ground stays dark where they stand. Icons and the
# hand cursor are 32-bit with straight alpha plus the AND mask older systems
# read; the tagline is a 32-bit bitmap with premultiplied alpha, which is what
# AlphaBlend takes.

ABOUT_SIZE = (400, 230)
TAGLINE_SIZE = (240, 40)
TAGLINE_INK = (196, 210, 228)       # light blue-grey
HAND_HOTSPOT = (6, 1)               # the tip of the index finger
ABOUT_FILES = {"background.bmp": ABOUT_SIZE, "tagline.bmp": TAGLINE_SIZE,
               "help.ico": (24, 24), "house.ico": (16, 16), "mail.ico": (16, 16),
               "hand.cur": (32, 32)}
CLEAR = (0, 0, 0, 0)


def about_background():
    w, h = ABOUT_SIZE
    top, bottom = (0, 58, 170), (38, 104, 214)
    pic = Picture(w, h)
    for y in range(h):
        row_colour = mix(top, bottom, y / (h - 1))
        for x in range(w):
            c = row_colour
            # a soft light from the top-left corner, as on the XP welcome screen
            d = ((x / 1.6) ** 2 + (y * 1.2) ** 2) ** 0.5
            c = mix(c, (110, 160, 240), max(0.0, 1.0 - d / 260.0) * 0.55)
            # a wide pale swoosh behind the tagline
            arc = abs(y - (150 - 0.0009 * (x - 260) ** 2))
            fade = min(1.0, max(0.0, (x - 90) / 120.0))
            c = mix(c, (90, 140, 230), max(0.0, 1.0 - arc / 26.0) * 0.35 * fade)
            pic.put(x, y, c)
    for x in range(w):
        # highlight under the heading, fading out to the right
        pic.put(x, 40, mix(pic.get(x, 40), WHITE, 0.55 * max(0.0, 1.0 - x / 380.0)))
        # the orange seam above the dark foot
        for y in range(204, 206):
            pic.put(x, y, mix((255, 160, 60), (226, 110, 24), abs(x - 200) / 200.0))
        for y in range(206, h):
            pic.put(x, y, mix((0, 40, 130), (0, 30, 100), (y - 206) / (h - 207)))
    return pic


# 5 x 9 pixel letters: rows 0-1 ascenders, 2-6 x-height, 7-8 descenders.
TAGLINE_GLYPHS = {
    "S": [".###.", "#...#", "#....", ".###.", "....#", "#...#", ".###.", ".....", "....."],
    "t": [".#..", ".#..", "###.", ".#..", ".#..", ".#..", "..##", "....", "...."],
    "e": ["....", "....", ".##.", "#..#", "####", "#...", ".###", "....", "...."],
    "u": ["....", "....", "#..#", "#..#", "#..#", "#..#", ".###", "....", "...."],
    "r": ["...", "...", "#.#", "##.", "#..", "#..", "#..", "...", "..."],
    "l": ["#", "#", "#", "#", "#", "#", "#", ".", "."],
    "m": [".....", ".....", "####.", "#.#.#", "#.#.#", "#.#.#", "#.#.#", ".....", "....."],
    "n": ["....", "....", "###.", "#..#", "#..#", "#..#", "#..#", "....", "...."],
    "i": ["#", ".", "#", "#", "#", "#", "#", ".", "."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#", ".....", "....."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#....", ".....", "....."],
    "-": ["...", "...", "...", "...", "###", "...", "...", "...", "..."],
    "D": ["###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###..", ".....", "....."],
    "s": ["....", "....", ".###", "#...", ".##.", "...#", "###.", "....", "...."],
    "g": ["....", "....", ".###", "#..#", "#..#", "#..#", ".###", "...#", ".##."],
    " ": ["..", "..", "..", "..", "..", "..", "..", "..", ".."],
}
TAGLINE = "Steuerelemente im XP-Design"
TAGLINE_SCALE = 2


def tagline():
    """The tagline in TAGLINE_INK with a soft shadow, centred on a clear ground;
    rows of (r, g, b, a) with premultiplied colours."""
    w, h = TAGLINE_SIZE
    ink = [[0.0] * w for _ in range(h)]
    s = TAGLINE_SCALE
    width = sum(len(TAGLINE_GLYPHS[c][0]) * s + 1 for c in TAGLINE) - 1
    x0, y0 = (w - width) // 2, (h - 9 * s) // 2 + 2
    x = x0
    for c in TAGLINE:
        glyph = TAGLINE_GLYPHS[c]
        for gy, line in enumerate(glyph):
            for gx, ch in enumerate(line):
                if ch == "#":
                    for dy in range(s):
                        for dx in range(s):
                            ink[y0 + gy * s + dy][x + gx * s + dx] = 1.0
        x += len(glyph[0]) * s + 1
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            if ink[y][x]:
                row.append(TAGLINE_INK + (255,))
                continue
            # shadow one pixel down and right, a third opaque
            a = 85 if y > 0 and x > 0 and ink[y - 1][x - 1] else 0
            shade = (10, 24, 60)
            row.append(tuple(v * a // 255 for v in shade) + (a,))
        rows.append(row)
    return rows


def art(lines, palette):
    """Pixel art from text: each character names a colour in palette, ' ' is clear."""
    size = len(lines)
    rows = []
    for line in lines:
        line = line.ljust(size)
        rows.append([palette[ch] + (255,) if ch != " " else CLEAR for ch in line])
    return rows


def help_icon():
    """24 x 24: a blue ball with a white question mark, anti-aliased rim."""
    n = 24
    rows = []
    mark = GLYPHS["help"]
    for y in range(n):
        row = []
        for x in range(n):
            # coverage of the disc from 4 x 4 samples per pixel
            inside = sum(1 for sy in range(4) for sx in range(4)
                         if (x + (sx + .5) / 4 - 12) ** 2 + (y + (sy + .5) / 4 - 12) ** 2 <= 11.2 ** 2)
            if not inside:
                row.append(CLEAR)
                continue
            shade = mix((120, 176, 255), (0, 60, 190), ((x - 6) ** 2 + (y - 5) ** 2) ** 0.5 / 20.0)
            gx, gy = (x - 3) // 2, (y - 3) // 2
            if 0 <= gx < 9 and 0 <= gy < 9 and mark[gy][gx] == "#" and x >= 3 and y >= 3:
                shade = WHITE
            row.append(shade + (inside * 255 // 16,))
        rows.append(row)
    return rows


HOUSE = [
    "       k        ",
    "      krk   kk  ",
    "     krrrk  kk  ",
    "    krrrrrk kk  ",
    "   krrrrrrrkkk  ",
    "  krrrrrrrrrkk  ",
    " krrrrrrrrrrrk  ",
    "kkkkkkkkkkkkkkk ",
    "  kwwwwwwwwwk   ",
    "  kwbbwwwdddk   ",
    "  kwbbwwwdddk   ",
    "  kwwwwwwdddk   ",
    "  kwwwwwwdddk   ",
    "  kwwwwwwdddk   ",
    "  kkkkkkkkkkk   ",
    "                ",
]
MAIL = [
    "                ",
    "                ",
    "                ",
    "kkkkkkkkkkkkkkkk",
    "kkwwwwwwwwwwwwkk",
    "kwkwwwwwwwwwwkwk",
    "kwwkwwwwwwwwkwwk",
    "kwwwkwwwwwwkwwwk",
    "kwwwwkwwwwkwwwwk",
    "kwwwkwkkkkwkwwwk",
    "kwwkwwwwwwwwkwwk",
    "kwkwwwwwwwwwwkwk",
    "kkwwwwwwwwwwwwkk",
    "kkkkkkkkkkkkkkkk",
    "                ",
    "                ",
]
HAND = [
    "     kk",
    "    kwwk",
    "    kwwk",
    "    kwwk",
    "    kwwk",
    "    kwwkkk",
    "    kwwkwwkkk",
    "    kwwkwwkwwkk",
    " kk kwwkwwkwwkwk",
    "kwwkkwwwwwwwwkwk",
    "kwwwkwwwwwwwwwwk",
    " kwwwwwwwwwwwwwk",
    "  kwwwwwwwwwwwwk",
    "  kwwwwwwwwwwwk",
    "   kwwwwwwwwwwk",
    "   kwwwwwwwwwk",
    "    kwwwwwwwwk",
    "    kwwwwwwwk",
    "     kwwwwwwk",
    "     kkkkkkkk",
]
ICON_COLOURS = {"k": (0, 0, 0), "w": WHITE, "r": (200, 48, 32), "b": (80, 150, 230),
                "d": (140, 90, 40)}


def padded(lines, size):
    """Pixel art placed in a square of size, starting at the top-left."""
    return [line.ljust(size) for line in lines] + [" " * size] * (size - len(lines))


def icon_bytes(rows, hotspot=None):
    """A one-image .ico, or .cur with hotspot: 32-bit BGRA with straight alpha,
    then the AND mask (set where the pixel is clear), both bottom-up."""
    h, w = len(rows), len(rows[0])
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + bytes(xor) + bytes(mask)
    kind, a, b = (2, hotspot[0], hotspot[1]) if hotspot else (1, 1, 32)
    return struct.pack("<HHH", 0, kind, 1) + struct.pack("<BBBBHHII", w, h, 0, 0, a, b, len(image), 22) + image


def bmp32_bytes(rows):
    h, w = len(rows), len(rows[0])
    body = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            body += bytes((b, g, r, a))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 32, 0, len(body), 2835, 2835, 0, 0)
    return header + info + bytes(body)


def render_about():
    """File name -> bytes of every picture of the about window."""
    return {
        "background.bmp": bmp_bytes(about_background()),
        "tagline.bmp": bmp32_bytes(tagline()),
        "help.ico": icon_bytes(help_icon()),
        "house.ico": icon_bytes(art(HOUSE, ICON_COLOURS)),
        "mail.ico": icon_bytes(art(MAIL, ICON_COLOURS)),
        "hand.cur": icon_bytes(art(padded(HAND, 32), ICON_COLOURS), HAND_HOTSPOT),
    }


def read_icon(data):
    """(width, height, kind, hotspot, rows of alpha) of what icon_bytes writes."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    w, h, _, _, a, b, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
    assert count == 1 and offset == 22 and offset + size == len(data), "one image expected"
    hsize, bw, bh, _, bits = struct.unpack_from("<IiiHH", data, offset)
    assert hsize == 40 and (bw, bh, bits) == (w, 2 * h, 32), "32-bit image of the entry's size"
    alpha = [[data[offset + 40 + ((h - 1 - y) * w + x) * 4 + 3] for x in range(w)] for y in range(h)]
    return w, h, kind, (a, b) if kind == 2 else None, alpha


def check_about(folder):
    """The about art: sizes, clear grounds, the tagline's ink, the cursor's hot
    spot on the finger; and that each file is what the script draws now."""
    raw = {}
    for name, size in ABOUT_FILES.items():
        with open(os.path.join(folder, name), "rb") as f:
            raw[name] = f.read()
    bg = read_bmp(raw["background.bmp"])
    assert (bg.width, bg.height) == ABOUT_SIZE, "background.bmp is %dx%d" % (bg.width, bg.height)
    # white labels must stay readable: the ground under them is dark
    for x, y in ((30, 20), (70, 120), (70, 150), (70, 175), (300, 175)):
        assert sum(bg.get(x, y)) < 3 * 170, "background too light at %d,%d" % (x, y)
    data = raw["tagline.bmp"]
    w, h = struct.unpack_from("<ii", data, 18)
    assert (w, h) == TAGLINE_SIZE and struct.unpack_from("<H", data, 28)[0] == 32, "tagline.bmp size/depth"
    pixels = [tuple(data[54 + 4 * i:58 + 4 * i]) for i in range(w * h)]
    assert pixels[0][3] == 0 and pixels[-1][3] == 0, "tagline.bmp: the ground is not clear"
    ink = sum(1 for p in pixels if p[3] == 255 and (p[2], p[1], p[0]) == TAGLINE_INK)
    assert ink > 400, "tagline.bmp: too little ink (%d pixels)" % ink
    assert all(max(p[:3]) <= p[3] for p in pixels), "tagline.bmp: colours not premultiplied"
    for name in ("help.ico", "house.ico", "mail.ico", "hand.cur"):
        iw, ih, kind, hot, alpha = read_icon(raw[name])
        assert (iw, ih) == ABOUT_FILES[name], "%s is %dx%d" % (name, iw, ih)
        assert kind == (2 if name.endswith(".cur") else 1), "%s: wrong kind" % name
        assert alpha[ih - 1][iw - 1] == 0, "%s: corner not clear" % name
        assert any(a == 255 for row in alpha for a in row), "%s: nothing opaque" % name
        if hot:
            assert hot == HAND_HOTSPOT and alpha[hot[1]][hot[0]] == 255, "hand.cur: hot spot off the finger"
    for name, data in render_about().items():
        assert raw[name] == data, "%s differs from what the generator draws now: regenerate" % name
    return len(raw)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="verify the BMP files instead of writing them")
    parser.add_argument("--dir", default=SKIN_DIR, help="folder of the skin's BMP files")
    parser.add_argument("--about-dir", default=ABOUT_DIR, help="folder of the about window's art")
    args = parser.parse_args(argv)
    if args.check:
        try:
            n = check(args.dir)
            n += check_about(args.about_dir)
        except (AssertionError, OSError, struct.error) as e:
            print("check failed: %s" % e, file=sys.stderr)
            return 1
        print("%d pictures OK" % n)
        return 0
    write_all(args.dir)
    os.makedirs(args.about_dir, exist_ok=True)
    for name, data in sorted(render_about().items()):
        with open(os.path.join(args.about_dir, name), "wb") as f:
            f.write(data)
    print("wrote %d pictures to %s and %d to %s" % (len(SCHEMES) * 11, args.dir,
                                                     len(ABOUT_FILES), args.about_dir))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
