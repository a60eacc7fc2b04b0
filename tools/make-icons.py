#!/usr/bin/env python3
"""Draws the icons of Kalendrix and writes them as .ico files.

    res/Kalendrix.ico     application icon: a calendar page with a clock,
                          32x32 and 16x16, 8 bits per pixel (256 colours)
    res/SeveralFiles.ico  shown for a selection of several files: overlapping
                          pages, 32x32 and 16x16, 4 bits per pixel (16 colours)

Each image is stored in the classic format: a BITMAPINFOHEADER whose height
counts the colour image and the AND mask together, the palette, the colour
pixels bottom-up and the 1-bit AND mask bottom-up, every row padded to 4 bytes.

Usage: make-icons.py [output directory]   (default: res/ next to tools/)
"""

import os
import struct
import sys

# ---------------------------------------------------------------------------
# Palettes

# The 16 colours of the standard VGA palette.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


def palette256():
    """VGA colours, a 6x6x6 colour cube and a ramp of 24 greys."""
    pal = list(VGA16)
    steps = [0x00, 0x33, 0x66, 0x99, 0xCC, 0xFF]
    for r in steps:
        for g in steps:
            for b in steps:
                pal.append((r, g, b))
    for i in range(24):
        v = 8 + i * 10
        pal.append((v, v, v))
    assert len(pal) == 256
    return pal


def cube(r, g, b):
    """Index of a colour of the 6x6x6 cube; components 0..5."""
    return 16 + r * 36 + g * 6 + b


def grey(level):
    """Index of a grey of the ramp; level 0 (dark) .. 23 (light)."""
    return 232 + level


# ---------------------------------------------------------------------------
# A tiny raster of palette indices; None is transparent.

class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def put(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        """Fills the rectangle with corners (x0,y0) and (x1,y1), both inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def hline(self, x0, x1, y, c):
        for x in range(x0, x1 + 1):
            self.put(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(y0, y1 + 1):
            self.put(x, y, c)

    def disc(self, cx, cy, r, fill, edge):
        """A filled circle with a one-pixel rim; centre and radius in pixels."""
        for y in range(self.size):
            for x in range(self.size):
                d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
                if d <= r - 1:
                    self.put(x, y, fill)
                elif d <= r:
                    self.put(x, y, edge)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), abs(y1 - y0)
        sx = 1 if x1 >= x0 else -1
        sy = 1 if y1 >= y0 else -1
        err = dx - dy
        while True:
            self.put(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 > -dy:
                err -= dy
                x0 += sx
            if e2 < dx:
                err += dx
                y0 += sy


# ---------------------------------------------------------------------------
# Pictures

def calendar_32():
    red, dark_red = cube(4, 0, 0), cube(2, 0, 0)
    edge, cell, ring = grey(6), grey(18), grey(10)
    face, hand = cube(5, 5, 4), NAVY
    c = Canvas(32)
    # the page with its red header band
    c.fill(2, 4, 26, 28, WHITE)
    c.fill(2, 4, 26, 10, red)
    c.hline(3, 25, 10, dark_red)
    c.frame(2, 4, 26, 28, edge)
    # binding rings over the header
    for x in (7, 20):
        c.fill(x, 2, x + 1, 7, ring)
        c.vline(x, 2, 7, grey(4))
    # the days: a grid of small cells, one of them marked
    for row in range(4):
        for col in range(5):
            x, y = 5 + col * 4, 13 + row * 4
            c.fill(x, y, x + 2, y + 1, cell)
    c.fill(9, 17, 11, 18, red)
    # a clock over the lower right corner
    c.disc(22.5, 22.5, 8.5, face, hand)
    c.put(22, 16, hand)
    c.put(29, 22, hand)
    c.put(22, 29, hand)
    c.put(15, 22, hand)
    c.line(22, 22, 22, 17, hand)     # hour hand
    c.line(22, 22, 27, 25, BLUE)     # minute hand
    c.put(22, 22, dark_red)
    return c


def calendar_16():
    red = cube(4, 0, 0)
    edge, cell = grey(6), grey(16)
    face, hand = cube(5, 5, 4), NAVY
    c = Canvas(16)
    c.fill(0, 2, 12, 14, WHITE)
    c.fill(0, 2, 12, 5, red)
    c.frame(0, 2, 12, 14, edge)
    for x in (3, 9):
        c.vline(x, 1, 3, grey(4))
    for row in range(2):
        for col in range(4):
            c.fill(2 + col * 3, 7 + row * 3, 3 + col * 3, 7 + row * 3, cell)
    c.disc(11.5, 11.5, 4.5, face, hand)
    c.line(11, 11, 11, 8, hand)
    c.line(11, 11, 13, 12, BLUE)
    return c


def page(c, x0, y0, w, h, fold, lines):
    """A sheet of paper with a folded top-right corner and optional text lines."""
    x1, y1 = x0 + w - 1, y0 + h - 1
    c.fill(x0, y0, x1, y1, WHITE)
    # cut the corner off, then draw the fold
    for i in range(fold):
        for x in range(x1 - fold + 1 + i, x1 + 1):
            c.put(x, y0 + i, None)
    c.vline(x0, y0, y1, GRAY)
    c.hline(x0, x1, y1, BLACK)
    c.vline(x1, y0 + fold, y1, BLACK)
    c.hline(x0, x1 - fold, y0, GRAY)
    for i in range(1, fold):
        c.hline(x1 - fold + 1, x1 - fold + i, y0 + i, SILVER)
    c.line(x1 - fold, y0, x1, y0 + fold, GRAY)
    c.vline(x1 - fold, y0 + 1, y0 + fold, GRAY)
    c.hline(x1 - fold, x1 - 1, y0 + fold, GRAY)
    for i, y in enumerate(lines):
        colour = NAVY if i == 0 else GRAY
        c.hline(x0 + 2, x1 - (fold + 1 if y <= y0 + fold else 2), y, colour)


def several_32():
    c = Canvas(32)
    page(c, 2, 1, 17, 21, 5, [])
    page(c, 7, 5, 17, 21, 5, [])
    page(c, 12, 9, 18, 22, 5, [12, 16, 19, 22, 25, 28])
    return c


def several_16():
    c = Canvas(16)
    page(c, 1, 0, 9, 11, 3, [])
    page(c, 6, 4, 9, 12, 3, [6, 8, 10, 12])
    return c


# ---------------------------------------------------------------------------
# ICO writing

def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def dib(canvas, bpp, palette):
    """The image as stored in an icon: header, palette, XOR pixels, AND mask."""
    n = canvas.size
    colours = 1 << bpp
    assert len(palette) == colours
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, bpp, 0,
                         0, 0, 0, 0, 0)
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    xor_stride = row_bytes(n * bpp)
    and_stride = row_bytes(n)
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(n)):
        row = canvas.px[y]
        bits = 0
        nbits = 0
        line = bytearray()
        for v in row:
            idx = 0 if v is None else v
            assert 0 <= idx < colours
            bits = (bits << bpp) | idx
            nbits += bpp
            if nbits == 8:
                line.append(bits)
                bits, nbits = 0, 0
        assert nbits == 0
        line.extend(b'\0' * (xor_stride - len(line)))
        xor += line
        m = bytearray(and_stride)
        for x, v in enumerate(row):
            if v is None:
                m[x // 8] |= 0x80 >> (x % 8)
        mask += m
    size_image = len(xor) + len(mask)
    header = header[:20] + struct.pack('<I', size_image) + header[24:]
    return header + pal + bytes(xor) + bytes(mask)


def write_ico(path, images):
    """images: list of (canvas, bpp, palette)."""
    count = len(images)
    out = bytearray(struct.pack('<HHH', 0, 1, count))
    offset = 6 + 16 * count
    blobs = []
    for canvas, bpp, palette in images:
        blob = dib(canvas, bpp, palette)
        colour_count = 0 if bpp >= 8 else 1 << bpp
        size = canvas.size if canvas.size < 256 else 0
        out += struct.pack('<BBBBHHII', size, size, colour_count, 0, 1, bpp,
                           len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    with open(path, 'wb') as f:
        f.write(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'res')
    pal256 = palette256()
    write_ico(os.path.join(outdir, 'Kalendrix.ico'),
              [(calendar_32(), 8, pal256), (calendar_16(), 8, pal256)])
    write_ico(os.path.join(outdir, 'SeveralFiles.ico'),
              [(several_32(), 4, VGA16), (several_16(), 4, VGA16)])


if __name__ == '__main__':
    main()
