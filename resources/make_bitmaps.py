#!/usr/bin/env python3
"""Draws the main window's tool-button bitmaps: 16 colours (4 bits per pixel,
the standard Windows 16-colour palette), on a silver (C0C0C0) ground that the
buttons treat as transparent, keyed by the bottom-left pixel.

    python3 make_bitmaps.py [--preview PNG]

Writes setting.bmp (a gear), help.bmp (a book with a question mark),
homepage.bmp (a house) and about.bmp (an "i" in a circle) beside this script,
24x24, and the same drawings at 36x36 and 48x48 for 144 and 192 DPI
(setting_36.bmp, ...): each is drawn afresh at its size from one design on a
24-unit grid, so that the buttons stay crisp where an enlarged 24x24 would blur.
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

DESIGN = 24           # the drawings' own grid
SIZES = (24, 36, 48)  # 96, 144 and 192 DPI

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
    """A size x size bitmap; every drawing call takes design units (DESIGN
    across), so one drawing serves every size."""

    def __init__(self, size):
        self.size = size
        self.scale = size / DESIGN
        self.px = [[GROUND] * size for _ in range(size)]

    def _inside_at(self, inside, x, y):
        """inside() at the centre of pixel (x, y), in design units."""
        return inside((x + 0.5) / self.scale, (y + 0.5) / self.scale)

    def fill(self, inside, colour):
        """inside(x, y) -> bool, tested at every pixel centre."""
        for y in range(self.size):
            for x in range(self.size):
                if self._inside_at(inside, x, y):
                    self.px[y][x] = colour

    def outline(self, inside, colour):
        """Paints the shape's own edge pixels: those inside with a side
        neighbour outside. A crisp 1 px line at any slant, unlike an inset."""
        n = self.size
        edge = [(x, y) for y in range(n) for x in range(n)
                if self._inside_at(inside, x, y)
                and not all(self._inside_at(inside, x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))]
        for x, y in edge:
            self.px[y][x] = colour

    def _pixel(self, design):
        """The first pixel whose centre lies at or beyond a design coordinate."""
        return math.ceil(design * self.scale - 0.5)

    def rect(self, x0, y0, x1, y1, colour):
        """Design units x0..x1, y0..y1: at 24x24 the pixels x0..x1-1, y0..y1-1."""
        for y in range(self._pixel(y0), self._pixel(y1)):
            for x in range(self._pixel(x0), self._pixel(x1)):
                self.px[y][x] = colour

    def glyph(self, x0, y0, rows, colour):
        """Pixel art on the design grid: 'X' marks a unit, anything else leaves it."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == 'X':
                    self.rect(x0 + dx, y0 + dy, x0 + dx + 1, y0 + dy + 1, colour)


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

def gear(size):
    g = Grid(size)
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


def book(size):
    g = Grid(size)
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


def house(size):
    g = Grid(size)
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


def info(size):
    g = Grid(size)
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
    size = grid.size
    rows = b''
    for row in reversed(grid.px):  # bottom-up: the first pixel stored is the bottom-left one
        line = bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2))
        rows += line + b'\0' * (-len(line) % 4)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 4, 0, len(rows), 2835, 2835, 16, 16)
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
    """Each drawing at 4x, a row per size, on silver (as stored) and on white
    (with silver made transparent)."""
    scale, pad = 4, 8
    cell = max(g.size for g in grids) * scale + pad
    columns = len(BITMAPS)
    out = []
    for ground in (None, (255, 255, 255)):
        for first in range(0, len(grids), columns):
            band = [[(255, 255, 255)] * (pad + cell * columns) for _ in range(cell + pad)]
            for i, g in enumerate(grids[first:first + columns]):
                for y in range(g.size * scale):
                    for x in range(g.size * scale):
                        c = g.px[y // scale][x // scale]
                        band[pad + y][pad + i * cell + x] = ground if ground and c == GROUND else PALETTE[c]
            out += band
    write_png(path, out)


def file_name(name, size):
    """setting.bmp at the design size, setting_36.bmp at 36x36."""
    stem, ext = os.path.splitext(name)
    return name if size == DESIGN else '%s_%d%s' % (stem, size, ext)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    grids = []
    for size in SIZES:
        for name, draw in BITMAPS:
            g = draw(size)
            assert g.px[size - 1][0] == GROUND, name + ': the bottom-left pixel must be the ground'
            write_bmp(os.path.join(here, file_name(name, size)), g)
            grids.append(g)
    if len(argv) == 3 and argv[1] == '--preview':
        preview(argv[2], grids)
    elif len(argv) != 1:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv)
