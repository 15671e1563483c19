#!/usr/bin/env python3
"""Draws the program icon, a padlock in front of a sheet of paper, and writes
plivex.ico with 16x16, 32x32 and 48x48 images (32-bit BGRA with an AND mask).

    python3 make_icon.py [--preview PNG]

Standard library only, so the icon can be regenerated anywhere and the output
is byte-for-byte reproducible. Each size has its own layout, with edges on
whole pixels, because a scaled-down 48 px drawing turns to mush at 16 px.
--preview also writes a PNG of every size at 1x and 8x, on light and dark
grounds, for a person to look at.
"""

import math
import os
import struct
import sys
import zlib

SS = 8  # samples per pixel along each axis: coverage for the anti-aliased edges


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
    def __init__(self, size):
        self.size = size
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]  # premultiplied RGBA

    def fill(self, sdf, colour):
        """Paints the shape over what is there. colour is (r, g, b) in 0..255,
        or a function of (x, y) giving one, for gradients."""
        n = self.size
        for py in range(n):
            for px in range(n):
                hits = 0
                for sy in range(SS):
                    y = py + (sy + 0.5) / SS
                    for sx in range(SS):
                        if sdf(px + (sx + 0.5) / SS, y) <= 0:
                            hits += 1
                if not hits:
                    continue
                a = hits / (SS * SS)
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


def draw(size):
    L = LAYOUTS[size]
    c = Canvas(size)
    w = L['line']
    pw = 1.0  # the sheet keeps a 1 px line at every size: lighter than the lock in front of it

    # The sheet: a page with its top-right corner folded over.
    x0, y0, x1, y1, f = L['sheet']
    page = polygon([(x0, y0), (x1 - f, y0), (x1, y0 + f), (x1, y1), (x0, y1)])
    page_in = polygon([(x0 + pw, y0 + pw), (x1 - f - pw * 0.4, y0 + pw), (x1 - pw, y0 + f + pw * 0.4),
                       (x1 - pw, y1 - pw), (x0 + pw, y1 - pw)])
    c.fill(page, PAPER_LINE)
    c.fill(page_in, PAPER)
    c.fill(polygon([(x1 - f, y0), (x1 - f, y0 + f), (x1, y0 + f)]), PAPER_LINE)
    c.fill(polygon([(x1 - f + pw, y0 + pw * 2.4), (x1 - f + pw, y0 + f - pw), (x1 - pw * 2.4, y0 + f - pw)]),
           FOLD)
    tx0, tx1, ys = L['text']
    for ty in ys:
        c.fill(rounded_box(tx0, ty - 0.5 * w, tx1, ty + 0.5 * w, 0), TEXT_LINE)

    # The padlock in front: the shackle first, so the body covers its legs.
    bx0, by0, bx1, by1, br = L['body']
    scx, scy, srad, sth = L['shackle']
    arc = shackle(scx, scy, srad, sth, by0 + 1)
    c.fill(inset(arc, -w), INK)
    c.fill(arc, vertical(STEEL_HI, STEEL_LO, scy - srad, by0))

    body = rounded_box(bx0, by0, bx1, by1, br)
    c.outlined(body, INK, vertical(GOLD_HI, GOLD_LO, by0, by1), w)
    # A highlight along the top edge gives the body some depth at 32 and 48 px.
    if size >= 32:
        c.fill(rounded_box(bx0 + w + 1, by0 + w + 0.5, bx1 - w - 1, by0 + w + 1.5, 0.5), (255, 240, 170))

    kx, ky, kr, ks, kb = L['keyhole']
    c.fill(union(circle(kx, ky, kr),
                 polygon([(kx - ks, ky), (kx + ks, ky), (kx + ks * 1.6, kb), (kx - ks * 1.6, kb)])),
           KEYHOLE)
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


def write_ico(path, images):
    """images: list of (size, rows), smallest first."""
    blobs = [ico_image(rows) for _, rows in images]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, blobs):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    out += b''.join(blobs)
    with open(path, 'wb') as f:
        f.write(out)


def write_png(path, rows):
    """rows of RGBA tuples."""
    h, w = len(rows), len(rows[0])
    raw = b''.join(b'\0' + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data
                + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff))
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def preview(path, images):
    """Every size at 1x and at 8x, on a light and on a dark ground."""
    scale, pad = 8, 8
    width = pad + sum(s * scale + pad for s, _ in images) + sum(s + pad for s, _ in images)
    height = pad + 48 * scale + pad
    grounds = [(240, 240, 240), (40, 44, 52)]
    out = []
    for ground in grounds:
        canvas = [[ground + (255,)] * width for _ in range(height)]
        x = pad
        for s, rows in images:
            for f in (scale, 1):
                for y in range(s * f):
                    for xx in range(s * f):
                        r, g, b, a = rows[y // f][xx // f]
                        gr, gg, gb, _ = canvas[pad + y][x + xx]
                        t = a / 255
                        canvas[pad + y][x + xx] = (round(r * t + gr * (1 - t)), round(g * t + gg * (1 - t)),
                                                   round(b * t + gb * (1 - t)), 255)
                x += s * f + pad
        out += canvas
    write_png(path, out)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    images = [(s, draw(s)) for s in sorted(LAYOUTS)]
    write_ico(os.path.join(here, 'plivex.ico'), images)
    if len(argv) == 3 and argv[1] == '--preview':
        preview(argv[2], images)
    elif len(argv) != 1:
        sys.exit(__doc__)


if __name__ == '__main__':
    main(sys.argv)
