#!/usr/bin/env python3
"""Draws the two icons of plivex.exe from the same shapes and palette:

  plivex.ico     the program icon (group 1): a padlock in front of a sheet of
                 paper, at 16, 32 and 48 px;
  container.ico  the icon of .pvx container files (group 2): a page with
                 text lines that fills the icon, a small padlock at its lower
                 right, at 16, 32, 48 and 256 px.

    python3 make_icon.py [--preview PNG]

Images up to 48 px are 32-bit BGRA with an AND mask; the 256 px image is
stored as PNG, as Windows Vista and later expect at that size (a directory
entry of width and height 0).

Standard library only, so the icons can be regenerated anywhere and the output
is byte-for-byte reproducible. Each size has its own layout, with edges on
whole pixels, because a scaled-down large drawing turns to mush at 16 px.
--preview also writes a PNG of both icons, every size at 1x and the small ones
at 8x, on light and dark grounds, for a person to look at.
"""

import math
import os
import struct
import sys
import zlib

SS = 8  # samples per pixel along each axis: coverage for the anti-aliased edges
SS_LARGE = 3  # enough at 256 px, where edges span many pixels, and far quicker in pure Python


# --- shapes: signed distance functions, negative inside (in pixels) ---

def rounded_box(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2, (y1 - y0) / 2

    def sdf(x, y):
        qx = abs(x - cx) - hx + r
        qy = abs(y - cy) - hy + r
        return (math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r)
    return sdf


def shackle(cx, cy, radius, thickness, bottom):
    """An upside-down U: a half circle of the given centre-line radius over
    two legs that run down to `bottom`."""
    half = thickness / 2

    def sdf(x, y):
        if y <= cy:
            d = abs(math.hypot(x - cx, y - cy) - radius)
        else:
            dy = max(y - bottom, 0)
            d = min(math.hypot(x - (cx - radius), dy),
                    math.hypot(x - (cx + radius), dy))
        return d - half
    return sdf


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def polygon(points):
    """Convex or not; inside by the even-odd rule. Only the sign is used."""
    def sdf(x, y):
        inside = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y):
                if x < ax + (y - ay) * (bx - ax) / (by - ay):
                    inside = not inside
        return -1.0 if inside else 1.0
    return sdf


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def inset(f, w):
    return lambda x, y: f(x, y) + w


# --- canvas ---

class Canvas:
    def __init__(self, size, ss=SS):
        self.size = size
        self.ss = ss
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]  # premultiplied RGBA

    def fill(self, sdf, colour):
        """Paints the shape over what is there. colour is (r, g, b) in 0..255,
        or a function of (x, y) giving one, for gradients."""
        n, ss = self.size, self.ss
        for py in range(n):
            for px in range(n):
                hits = 0
                for sy in range(ss):
                    y = py + (sy + 0.5) / ss
                    for sx in range(ss):
                        if sdf(px + (sx + 0.5) / ss, y) <= 0:
                            hits += 1
                if not hits:
                    continue
                a = hits / (ss * ss)
                c = colour(px + 0.5, py + 0.5) if callable(colour) else colour
                r0, g0, b0, a0 = self.px[py][px]
                self.px[py][px] = (c[0] / 255 * a + r0 * (1 - a),
                                   c[1] / 255 * a + g0 * (1 - a),
                                   c[2] / 255 * a + b0 * (1 - a),
                                   a + a0 * (1 - a))

    def outlined(self, sdf, line, colour, width=1.0):
        self.fill(sdf, line)
        self.fill(inset(sdf, width), colour)

    def rgba(self):
        """Rows of straight (not premultiplied) 8-bit RGBA tuples."""
        out = []
        for row in self.px:
            r_out = []
            for r, g, b, a in row:
                if a <= 0:
                    r_out.append((0, 0, 0, 0))
                else:
                    r_out.append(tuple(min(255, round(v / a * 255)) for v in (r, g, b))
                                 + (round(a * 255),))
            out.append(r_out)
        return out


def vertical(top, bottom, y0, y1):
    """A gradient from colour `top` at y0 to `bottom` at y1."""
    def colour(x, y):
        t = min(max((y - y0) / (y1 - y0), 0), 1)
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


# --- the drawing ---

INK = (40, 36, 30)            # outlines: near black, so the 16 px shape holds on any ground
PAPER = (255, 255, 255)
PAPER_LINE = (84, 84, 84)
TEXT_LINE = (150, 170, 200)   # the "text" on the sheet
FOLD = (214, 220, 228)
STEEL_HI, STEEL_LO = (222, 228, 236), (128, 138, 152)
GOLD_HI, GOLD_LO = (255, 222, 92), (214, 146, 18)
KEYHOLE = (60, 40, 10)

# Per size: sheet (x0, y0, x1, y1, fold), shackle (cx, cy, radius, thickness),
# body (x0, y0, x1, y1, corner radius), keyhole (cx, cy, r, slot half width,
# slot bottom), outline width, text lines (x0, x1, [y...]).
LAYOUTS = {
    16: dict(sheet=(1, 0, 9, 15, 3), shackle=(10.5, 5.5, 2.5, 2), body=(5, 8, 16, 16, 1),
             keyhole=(10.5, 11, 1.1, 0.5, 13.5), line=1.0,
             text=(3, 6, [4.5, 6.5, 8.5])),
    32: dict(sheet=(2, 1, 17, 30, 5), shackle=(21.5, 11.5, 5, 3), body=(11, 16, 32, 31, 2),
             keyhole=(21.5, 22, 2.3, 1.0, 27), line=1.0,
             text=(5, 13, [8.5, 11.5, 14.5])),
    48: dict(sheet=(2, 1, 24, 45, 9), shackle=(32, 17, 9, 4), body=(16, 24, 48, 47, 3),
             keyhole=(32, 33, 3.4, 1.5, 41), line=2.0,
             text=(7, 19, [12, 17, 22])),
}


def draw_sheet(c, sheet, lines, text_h, pw=1.0):
    """A page with its top-right corner folded over, and lines of "text":
    (x0, x1, y) each, text_h thick."""
    x0, y0, x1, y1, f = sheet
    page = polygon([(x0, y0), (x1 - f, y0), (x1, y0 + f), (x1, y1), (x0, y1)])
    page_in = polygon([(x0 + pw, y0 + pw), (x1 - f - pw * 0.4, y0 + pw), (x1 - pw, y0 + f + pw * 0.4),
                       (x1 - pw, y1 - pw), (x0 + pw, y1 - pw)])
    c.fill(page, PAPER_LINE)
    c.fill(page_in, PAPER)
    c.fill(polygon([(x1 - f, y0), (x1 - f, y0 + f), (x1, y0 + f)]), PAPER_LINE)
    c.fill(polygon([(x1 - f + pw, y0 + pw * 2.4), (x1 - f + pw, y0 + f - pw), (x1 - pw * 2.4, y0 + f - pw)]),
           FOLD)
    for tx0, tx1, ty in lines:
        c.fill(rounded_box(tx0, ty - 0.5 * text_h, tx1, ty + 0.5 * text_h, 0), TEXT_LINE)


def draw_padlock(c, shackle_at, body_at, keyhole, w, highlight=None):
    """highlight: None, or the unit (1 px, or more at large sizes) of a light
    band along the top of the body, which gives it some depth."""
    # The shackle first, so the body covers its legs.
    bx0, by0, bx1, by1, br = body_at
    scx, scy, srad, sth = shackle_at
    arc = shackle(scx, scy, srad, sth, by0 + 1)
    c.fill(inset(arc, -w), INK)
    c.fill(arc, vertical(STEEL_HI, STEEL_LO, scy - srad, by0))

    body = rounded_box(bx0, by0, bx1, by1, br)
    c.outlined(body, INK, vertical(GOLD_HI, GOLD_LO, by0, by1), w)
    if highlight:
        u = highlight
        c.fill(rounded_box(bx0 + w + u, by0 + w + 0.5 * u, bx1 - w - u, by0 + w + 1.5 * u, 0.5 * u),
               (255, 240, 170))

    kx, ky, kr, ks, kb = keyhole
    c.fill(union(circle(kx, ky, kr),
                 polygon([(kx - ks, ky), (kx + ks, ky), (kx + ks * 1.6, kb), (kx - ks * 1.6, kb)])),
           KEYHOLE)


def draw(size):
    """The program icon: the padlock large, in front of the sheet."""
    L = LAYOUTS[size]
    c = Canvas(size)
    w = L['line']
    # The sheet keeps a 1 px line at every size: lighter than the lock in front of it.
    tx0, tx1, ys = L['text']
    draw_sheet(c, L['sheet'], [(tx0, tx1, ty) for ty in ys], w)
    draw_padlock(c, L['shackle'], L['body'], L['keyhole'], w, 1 if size >= 32 else None)
    return c.rgba()


# The container icon: the sheet fills the icon and a small padlock sits at its
# lower right, so that at a glance it is a document, not the program. Same
# keys as LAYOUTS, except text: lines (x0, x1, y), shortened where the lock
# is; text_h, their thickness; paper, the sheet's line width; highlight, as
# for draw_padlock.
CONTAINER_LAYOUTS = {
    16: dict(sheet=(2, 0, 14, 16, 4), text=[(4, 9, 2.5), (4, 10, 4.5), (4, 7, 6.5), (4, 7, 8.5)],
             shackle=(11.5, 8.5, 2, 1), body=(7, 10, 16, 16, 1),
             keyhole=(11.5, 12.5, 0.7, 0.35, 14.2), line=1.0, text_h=1.0, paper=1.0, highlight=None),
    32: dict(sheet=(4, 0, 28, 32, 8), text=[(8, 19, 6.5), (8, 24, 10.5), (8, 16, 14.5), (8, 14, 18.5)],
             shackle=(23, 18, 4, 2), body=(15, 21, 31, 31, 2),
             keyhole=(23, 25, 1.3, 0.6, 28.5), line=1.0, text_h=1.0, paper=1.0, highlight=None),
    48: dict(sheet=(6, 1, 42, 47, 11), text=[(11, 28, 9), (11, 36, 15), (11, 23, 21), (11, 21, 27), (11, 19, 33)],
             shackle=(34.5, 28.5, 6, 3), body=(23, 32, 46, 46, 3),
             keyhole=(34.5, 38, 2.6, 1.1, 43), line=2.0, text_h=2.0, paper=1.0, highlight=1),
    256: dict(sheet=(36, 8, 220, 248, 56), text=[(64, 156, 50), (64, 188, 82), (64, 188, 114), (64, 116, 146),
                                                  (64, 108, 178)],
              shackle=(180, 136, 34, 18), body=(124, 162, 236, 244, 14),
              keyhole=(180, 194, 12, 5, 226), line=6.0, text_h=10.0, paper=4.0, highlight=5),
}


def draw_container(size):
    L = CONTAINER_LAYOUTS[size]
    c = Canvas(size, SS_LARGE if size > 48 else SS)
    draw_sheet(c, L['sheet'], L['text'], L['text_h'], L['paper'])
    draw_padlock(c, L['shackle'], L['body'], L['keyhole'], L['line'], L['highlight'])
    return c.rgba()


# --- output ---

def ico_image(rows):
    """One icon image: BITMAPINFOHEADER (height doubled for the mask), BGRA
    pixels bottom-up, then the 1-bit AND mask (set where fully transparent,
    for programs that ignore alpha)."""
    n = len(rows)
    xor = b''.join(bytes(v for r, g, b, a in row for v in (b, g, r, a)) for row in reversed(rows))
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + bytes(mask)


PNG_FROM = 256  # images this large go into the .ico as PNG


def write_ico(path, images):
    """images: list of (size, rows), smallest first."""
    blobs = [png_bytes(rows) if size >= PNG_FROM else ico_image(rows) for size, rows in images]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, blobs):
        # A width and height of 256 are written as 0.
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    out += b''.join(blobs)
    with open(path, 'wb') as f:
        f.write(out)


def png_bytes(rows):
    """rows of RGBA tuples, as a PNG file."""
    h, w = len(rows), len(rows[0])
    raw = b''.join(b'\0' + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data
                + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def preview(path, icons):
    """One band per icon and ground (light, dark): the sizes up to 48 px at 8x
    and at 1x, then the larger ones at 1x."""
    scale, pad = 8, 8
    grounds = [(240, 240, 240), (40, 44, 52)]
    bands = []
    for images in icons:
        tiles = []
        for s, rows in images:
            tiles += [(rows, scale), (rows, 1)] if s <= 48 else [(rows, 1)]
        bands.append(tiles)
    width = max(pad + sum(len(rows) * f + pad for rows, f in tiles) for tiles in bands)
    out = []
    for tiles in bands:
        height = pad + max(len(rows) * f for rows, f in tiles) + pad
        for ground in grounds:
            canvas = [[ground + (255,)] * width for _ in range(height)]
            x = pad
            for rows, f in tiles:
                s = len(rows)
                for y in range(s * f):
                    for xx in range(s * f):
                        r, g, b, a = rows[y // f][xx // f]
                        gr, gg, gb, _ = canvas[pad + y][x + xx]
                        t = a / 255
                        canvas[pad + y][x + xx] = (round(r * t + gr * (1 - t)), round(g * t + gg * (1 - t)),
                                                   round(b * t + gb * (1 - t)), 255)
                x += s * f + pad
            out += canvas
    with open(path, 'wb') as f:
        f.write(png_bytes(out))


def main(argv):
    if len(argv) not in (1, 3) or (len(argv) == 3 and argv[1] != '--preview'):
        sys.exit(__doc__)
    here = os.path.dirname(os.path.abspath(__file__))
    program = [(s, draw(s)) for s in sorted(LAYOUTS)]
    container = [(s, draw_container(s)) for s in sorted(CONTAINER_LAYOUTS)]
    write_ico(os.path.join(here, 'plivex.ico'), program)
    write_ico(os.path.join(here, 'container.ico'), container)
    if len(argv) == 3:
        preview(argv[2], [program, container])


if __name__ == '__main__':
    main(sys.argv)
