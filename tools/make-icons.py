#!/usr/bin/env python3
"""Draws the icons of Kalendrix and writes them as .ico files.

    res/Kalendrix.ico     application icon: a calendar page with a clock
    res/SeveralFiles.ico  shown for a selection of several files: overlapping
                          pages

Each icon holds an image for every size Windows asks for at the usual display
scales: 16, 20, 24, 32, 40, 48, 64 and 256 pixels. The 32 and 16 pixel images
are drawn pixel by pixel with a palette (8 bits for the application icon, 4 for
the pages); the others are drawn from the same shapes in a unit square,
anti-aliased by 4x4 samples a pixel, as 32-bit images with alpha.

A palette image is stored in the classic format: a BITMAPINFOHEADER whose height
counts the colour image and the AND mask together, the palette, the colour
pixels bottom-up and the 1-bit AND mask bottom-up, every row padded to 4 bytes.
A 32-bit image is stored the same way without a palette (blue, green, red,
alpha); the 256-pixel image as PNG, as Windows Vista and later read it.

Usage: make-icons.py [output directory]   (default: res/ next to tools/)
"""

import os
import struct
import sys
import zlib

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
# The same pictures as shapes, for the sizes between and above: coordinates are
# those of the 32-pixel drawings, scaled to the image; edges of rectangles fall
# on whole pixels, so that frames stay sharp.

SAMPLES = 4  # per pixel and direction


class Raster:
    """An RGBA image built from shapes, each blended over what lies beneath."""

    def __init__(self, size):
        self.size = size
        self.scale = size / 32.0
        self.rgba = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def snap(self, v):
        return round(v * self.scale)

    def px(self, v):
        """A length of the 32-pixel drawing, at least one pixel here."""
        return max(1.0, v * self.scale)

    def blend(self, x, y, colour, coverage):
        if coverage <= 0 or not (0 <= x < self.size and 0 <= y < self.size):
            return
        r, g, b = (c / 255.0 for c in colour)
        dr, dg, db, da = self.rgba[y][x]
        a = coverage
        out_a = a + da * (1 - a)
        if out_a == 0:
            return
        mix = lambda s, d: (s * a + d * da * (1 - a)) / out_a
        self.rgba[y][x] = (mix(r, dr), mix(g, dg), mix(b, db), out_a)

    def shape(self, inside, box, colour):
        """Covers the pixels of the bounding box by the share of samples inside."""
        x0, y0, x1, y1 = box
        n = self.size
        for y in range(max(0, int(y0) - 1), min(n, int(y1) + 2)):
            for x in range(max(0, int(x0) - 1), min(n, int(x1) + 2)):
                hits = 0
                for sy in range(SAMPLES):
                    py = y + (sy + 0.5) / SAMPLES
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) / SAMPLES, py):
                            hits += 1
                self.blend(x, y, colour, hits / (SAMPLES * SAMPLES))

    def rect(self, x0, y0, x1, y1, colour):
        """A rectangle of the 32-pixel drawing, corners (x0,y0) and (x1,y1) exclusive."""
        a, b, c, d = self.snap(x0), self.snap(y0), self.snap(x1), self.snap(y1)
        if c <= a:
            c = a + 1
        if d <= b:
            d = b + 1
        for y in range(max(0, b), min(self.size, d)):
            for x in range(max(0, a), min(self.size, c)):
                self.blend(x, y, colour, 1.0)

    def frame(self, x0, y0, x1, y1, fill, edge):
        a, b, c, d = self.snap(x0), self.snap(y0), self.snap(x1), self.snap(y1)
        w = max(1, round(self.scale))
        for y in range(b, d):
            for x in range(a, c):
                on_edge = x < a + w or x >= c - w or y < b + w or y >= d - w
                self.blend(x, y, edge if on_edge else fill, 1.0)

    def disc(self, cx, cy, r, colour):
        cx, cy, r = cx * self.scale, cy * self.scale, r * self.scale
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                   (cx - r, cy - r, cx + r, cy + r), colour)

    def line(self, x0, y0, x1, y1, width, colour):
        """A stroke with round ends, its width in pixels of the 32-pixel drawing."""
        s = self.scale
        x0, y0, x1, y1 = x0 * s, y0 * s, x1 * s, y1 * s
        half = self.px(width) / 2
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            ex, ey = x0 + t * dx - x, y0 + t * dy - y
            return ex * ex + ey * ey <= half * half

        self.shape(inside, (min(x0, x1) - half, min(y0, y1) - half,
                            max(x0, x1) + half, max(y0, y1) + half), colour)

    def polygon(self, points, colour):
        s = self.scale
        pts = [(x * s, y * s) for x, y in points]

        def inside(x, y):
            hit = False
            j = len(pts) - 1
            for i in range(len(pts)):
                (xi, yi), (xj, yj) = pts[i], pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit

        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.shape(inside, (min(xs), min(ys), max(xs), max(ys)), colour)


def rgb(index, palette):
    return palette[index]


def calendar_shapes(size):
    pal = palette256()
    col = lambda i: pal[i]
    red, dark_red = col(cube(4, 0, 0)), col(cube(2, 0, 0))
    edge, cell, ring = col(grey(6)), col(grey(18)), col(grey(10))
    face, navy, blue = col(cube(5, 5, 4)), col(NAVY), col(BLUE)
    r = Raster(size)
    r.frame(2, 4, 27, 29, col(WHITE), edge)
    r.frame(2, 4, 27, 11, red, edge)
    r.rect(3, 10, 26, 11, dark_red)
    for x in (7, 20):
        r.rect(x, 2, x + 2, 8, ring)
        r.rect(x, 2, x + 1, 8, col(grey(4)))
    for row in range(4):
        for c in range(5):
            x, y = 5 + c * 4, 13 + row * 4
            r.rect(x, y, x + 3, y + 2, red if (row, c) == (1, 1) else cell)
    r.disc(22.5, 22.5, 8.5, navy)
    r.disc(22.5, 22.5, 8.5 - max(1.0, r.scale) / r.scale, face)
    for tx, ty in ((22.5, 15.5), (29.5, 22.5), (22.5, 29.5), (15.5, 22.5)):
        r.disc(tx, ty, 0.75, navy)
    r.line(22.5, 22.5, 22.5, 17.0, 1.4, navy)
    r.line(22.5, 22.5, 27.0, 25.5, 1.0, blue)
    r.disc(22.5, 22.5, 0.9, dark_red)
    return r


def page_shapes(r, x0, y0, w, h, fold, lines):
    """The sheet of page() as shapes: right and bottom edges dark, the fold grey."""
    pal = VGA16
    x1, y1 = x0 + w, y0 + h
    outline = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    r.polygon(outline, pal[BLACK])
    inset = max(1.0, r.scale) / r.scale
    r.polygon([(x0, y0), (x1 - fold, y0), (x1 - inset, y0 + fold - inset / 2),
               (x1 - inset, y1 - inset), (x0, y1 - inset)], pal[GRAY])
    r.polygon([(x0 + inset, y0 + inset), (x1 - fold - inset / 2, y0 + inset),
               (x1 - inset, y0 + fold + inset / 2), (x1 - inset, y1 - inset),
               (x0 + inset, y1 - inset)], pal[WHITE])
    r.polygon([(x1 - fold, y0), (x1, y0 + fold), (x1 - fold, y0 + fold)], pal[GRAY])
    r.polygon([(x1 - fold + inset, y0 + 2 * inset), (x1 - 2 * inset, y0 + fold - inset / 2),
               (x1 - fold + inset, y0 + fold - inset / 2)], pal[SILVER])
    for i, y in enumerate(lines):
        colour = pal[NAVY] if i == 0 else pal[GRAY]
        right = x1 - (fold + 1 if y <= y0 + fold else 2)
        r.rect(x0 + 2, y, right, y + 1, colour)


def several_shapes(size):
    r = Raster(size)
    page_shapes(r, 2, 1, 17, 21, 5, [])
    page_shapes(r, 7, 5, 17, 21, 5, [])
    page_shapes(r, 12, 9, 18, 22, 5, [12, 16, 19, 22, 25, 28])
    return r


def dib32(raster):
    """A 32-bit image with alpha as an icon stores it, with its AND mask."""
    n = raster.size
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    and_stride = row_bytes(n)
    pixels = bytearray()
    mask = bytearray()
    for y in reversed(range(n)):
        m = bytearray(and_stride)
        for x, (r, g, b, a) in enumerate(raster.rgba[y]):
            pixels += bytes((round(b * 255), round(g * 255), round(r * 255), round(a * 255)))
            if a == 0:
                m[x // 8] |= 0x80 >> (x % 8)
        mask += m
    header = header[:20] + struct.pack('<I', len(pixels) + len(mask)) + header[24:]
    return header + bytes(pixels) + bytes(mask)


def png(raster):
    """The image as PNG: 8-bit RGBA, no filter."""
    n = raster.size
    raw = bytearray()
    for row in raster.rgba:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((round(r * 255), round(g * 255), round(b * 255), round(a * 255)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', n, n, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


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


SIZES = (256, 64, 48, 40, 32, 24, 20, 16)


def write_ico(path, images):
    """images: (size, bits per pixel, colour count, image bytes), largest first."""
    count = len(images)
    out = bytearray(struct.pack('<HHH', 0, 1, count))
    offset = 6 + 16 * count
    for size, bpp, colours, blob in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, 1, bpp,
                           len(blob), offset)
        offset += len(blob)
    for image in images:
        out += image[3]
    with open(path, 'wb') as f:
        f.write(out)


def icon_images(pixel_art, shapes, bpp, palette):
    """Pixel art at 32 and 16 pixels, shapes at the other sizes."""
    images = []
    for size in SIZES:
        if size in pixel_art:
            colours = 0 if bpp >= 8 else 1 << bpp
            images.append((size, bpp, colours, dib(pixel_art[size](), bpp, palette)))
        elif size == 256:
            images.append((size, 32, 0, png(shapes(size))))
        else:
            images.append((size, 32, 0, dib32(shapes(size))))
    return images


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'res')
    write_ico(os.path.join(outdir, 'Kalendrix.ico'),
              icon_images({32: calendar_32, 16: calendar_16}, calendar_shapes, 8, palette256()))
    write_ico(os.path.join(outdir, 'SeveralFiles.ico'),
              icon_images({32: several_32, 16: several_16}, several_shapes, 4, VGA16))


if __name__ == '__main__':
    main()
