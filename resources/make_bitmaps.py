#!/usr/bin/env python3
"""Draws the main window's tool-button bitmaps: 24x24, 16 colours (4 bits per
pixel, the standard Windows 16-colour palette), on a silver (C0C0C0) ground
that the buttons treat as transparent, keyed by the bottom-left pixel.

    python3 make_bitmaps.py [--preview PNG]

Writes setting.bmp (a gear), help.bmp (a book with a question mark),
homepage.bmp (a house) and about.bmp (an "i" in a circle) beside this script.
Standard library only. Shapes are sampled once per pixel centre, without
anti-aliasing: 16 colours leave no in-between shades, and a blend towards
silver would punch holes in the drawing when silver is made transparent.
That is also why no drawing uses silver itself. --preview writes a PNG of all
four at 4x, on silver and on white.
"""

import math
import os
import struct
import sys
import zlib

SIZE = 24

# The Windows 16-colour palette, in its usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
GROUND = SILVER


class Grid:
    def __init__(self):
        self.px = [[GROUND] * SIZE for _ in range(SIZE)]

    def fill(self, inside, colour):
        """inside(x, y) -> bool, tested at every pixel centre."""
        for y in range(SIZE):
            for x in range(SIZE):
                if inside(x + 0.5, y + 0.5):
                    self.px[y][x] = colour

    def outline(self, inside, colour):
        """Paints the shape's own edge pixels: those inside with a side
        neighbour outside. A crisp 1 px line at any slant, unlike an inset."""
        edge = [(x, y) for y in range(SIZE) for x in range(SIZE)
                if inside(x + 0.5, y + 0.5)
                and not all(inside(x + dx + 0.5, y + dy + 0.5) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))]
        for x, y in edge:
            self.px[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Pixels x0..x1-1, y0..y1-1."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.px[y][x] = colour

    def glyph(self, x0, y0, rows, colour):
        """Pixel art: 'X' marks a pixel, anything else leaves it."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == 'X':
                    self.px[y0 + dy][x0 + dx] = colour


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def polygon(points):
    def inside(x, y):
        hit = False
        for i in range(len(points)):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % len(points)]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return inside


# --- the four drawings ---

def gear():
    g = Grid()
    cx = cy = 12.0
    teeth, r_root, r_tip, r_hole = 8, 8.0, 11.0, 3.0

    def body(x, y):
        d = math.hypot(x - cx, y - cy)
        if d <= r_root:
            return True
        # Each tooth is a straight-sided block out to the tip.
        sector = 2 * math.pi / teeth
        off = (math.atan2(y - cy, x - cx) + sector / 2) % sector - sector / 2  # from the nearest tooth's axis
        return d <= r_tip and abs(d * math.sin(off)) <= 2.2
    g.fill(body, GRAY)
    g.outline(body, BLACK)
    # Light from the top left: a white rim on that side of the hub.
    g.fill(lambda x, y: 4.6 <= math.hypot(x - cx, y - cy) <= 5.6 and (x - cx) + (y - cy) < -1.5, WHITE)
    g.fill(disc(cx, cy, r_hole + 1), BLACK)
    g.fill(disc(cx, cy, r_hole), GROUND)  # the axle hole shows what is behind the button
    return g


def book():
    g = Grid()
    # The page edges show below and right of the cover, then the cover on top.
    g.rect(6, 3, 21, 22, BLACK)
    g.rect(7, 4, 20, 21, WHITE)
    for y in range(6, 21, 2):
        g.rect(19, y, 20, y + 1, GRAY)  # page edges seen from the side
    g.rect(7, 19, 19, 20, GRAY)
    g.rect(4, 1, 19, 20, BLACK)
    g.rect(5, 2, 18, 19, BLUE)
    g.rect(5, 2, 7, 19, NAVY)  # the spine
    g.glyph(8, 5, [
        '.XXXX.',
        'XX..XX',
        'XX..XX',
        '...XX.',
        '..XX..',
        '..XX..',
        '......',
        '..XX..',
        '..XX..',
    ], YELLOW)
    return g


def house():
    g = Grid()
    # Chimney first, so the roof's outline runs over its foot.
    g.rect(15, 3, 19, 10, BLACK)
    g.rect(16, 4, 18, 10, MAROON)
    roof = [(12, 1.5), (23.5, 12.5), (0.5, 12.5)]
    g.fill(polygon(roof), BLACK)
    g.fill(polygon([(12, 3.6), (21, 11.5), (3, 11.5)]), RED)
    # Walls, door and window.
    g.rect(4, 12, 21, 23, BLACK)
    g.rect(5, 12, 20, 22, WHITE)
    g.rect(5, 12, 20, 13, GRAY)  # the roof's shadow on the wall
    g.rect(7, 14, 12, 23, BLACK)
    g.rect(8, 15, 11, 22, MAROON)
    g.rect(10, 18, 11, 19, YELLOW)  # door knob
    g.rect(14, 14, 19, 19, BLACK)
    g.rect(15, 15, 18, 18, AQUA)
    g.rect(16, 15, 17, 18, BLACK)
    g.rect(15, 16, 18, 17, BLACK)
    return g


def info():
    g = Grid()
    g.fill(disc(12, 12, 11), NAVY)
    g.fill(disc(12, 12, 10), BLUE)
    g.glyph(9, 4, [
        '..XX.',
        '..XX.',
        '.....',
        '.XXX.',
        '..XX.',
        '..XX.',
        '..XX.',
        '..XX.',
        '..XX.',
        '..XX.',
        '.XXXX',
    ], WHITE)
    return g


BITMAPS = [('setting.bmp', gear), ('help.bmp', book), ('homepage.bmp', house), ('about.bmp', info)]


# --- output ---

def write_bmp(path, grid):
    rows = b''
    for row in reversed(grid.px):  # bottom-up: the first pixel stored is the bottom-left one
        line = bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2))
        rows += line + b'\0' * (-len(line) % 4)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 4, 0, len(rows), 2835, 2835, 16, 16)
    with open(path, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset) + info + palette + rows)


def write_png(path, rows):
    h, w = len(rows), len(rows[0])
    raw = b''.join(b'\0' + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data
                + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def preview(path, grids):
    """4x on silver (as stored) and on white (with silver made transparent)."""
    scale, pad = 4, 8
    cell = SIZE * scale + pad
    out = []
    for ground in (None, (255, 255, 255)):
        band = [[(255, 255, 255)] * (pad + cell * len(grids)) for _ in range(cell + pad)]
        for i, g in enumerate(grids):
            for y in range(SIZE * scale):
                for x in range(SIZE * scale):
                    c = g.px[y // scale][x // scale]
                    band[pad + y][pad + i * cell + x] = ground if ground and c == GROUND else PALETTE[c]
        out += band
    write_png(path, out)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    grids = []
    for name, draw in BITMAPS:
        g = draw()
        assert g.px[SIZE - 1][0] == GROUND, name + ': the bottom-left pixel must be the ground'
        write_bmp(os.path.join(here, name), g)
        grids.append(g)
    if len(argv) == 3 and argv[1] == '--preview':
        preview(argv[2], grids)
    elif len(argv) != 1:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv)
