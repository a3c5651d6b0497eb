#!/usr/bin/env python3
"""Draws the tool's bitmaps (LED lamps, window logo, button glyphs) as 16-colour BMP files.

Run once from any directory; it writes next to itself. Every image keeps the silver background
in its bottom-left pixel, which the program turns transparent when it draws the image.
"""
import math
import os
import struct

# The standard 16-colour palette, in its usual order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(16)


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[SILVER] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c, width=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = round(x0 + (x1 - x0) * i / steps)
            y = round(y0 + (y1 - y0) * i / steps)
            for dx in range(width):
                for dy in range(width):
                    self.set(x + dx, y + dy, c)

    def disc(self, cx, cy, r0, r1, colour_of):
        """Paints the ring r0 <= distance < r1 around (cx, cy); colour_of(dx, dy) picks each pixel."""
        for y in range(self.h):
            for x in range(self.w):
                dx, dy = x - cx, y - cy
                d = math.hypot(dx, dy)
                if r0 <= d < r1:
                    c = colour_of(dx, dy)
                    if c is not None:
                        self.set(x, y, c)


def write_bmp(path, canvas):
    """Writes a bottom-up 4-bit BMP with the 16-colour palette."""
    row_bytes = ((canvas.w + 1) // 2 + 3) & ~3
    pixels = bytearray()
    for y in range(canvas.h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(canvas.w):
            v = canvas.get(x, y)
            row[x // 2] |= v << 4 if x % 2 == 0 else v
        pixels += row
    header_size = 14 + 40 + 16 * 4
    file_header = struct.pack('<2sIHHI', b'BM', header_size + len(pixels), 0, 0, header_size)
    info = struct.pack('<IiiHHIIiiII', 40, canvas.w, canvas.h, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    with open(path, 'wb') as f:
        f.write(file_header + info + palette + bytes(pixels))


def led(on, bright, dark):
    c = Canvas(16, 16)
    cx = cy = 7.5
    # Bevel around the lamp: light from the upper left.
    c.disc(cx, cy, 6.3, 7.6, lambda dx, dy: WHITE if dx + dy < 0 else GREY)
    c.disc(cx, cy, 5.2, 6.3, lambda dx, dy: BLACK)
    if on:
        c.disc(cx, cy, 0, 5.2, lambda dx, dy: bright)
        c.disc(cx - 2, cy - 2, 0, 1.6, lambda dx, dy: WHITE)
        c.disc(cx, cy, 3.9, 5.2, lambda dx, dy: dark if dx + dy > 3 else None)
    else:
        c.disc(cx, cy, 0, 5.2, lambda dx, dy: BLACK)
        c.disc(cx, cy, 0, 3.6, lambda dx, dy: dark)
    return c


def logo():
    """The maker's badge: a navy disc with a white N and a red stroke."""
    c = Canvas(32, 32)
    c.disc(15.5, 15.5, 0, 15.0, lambda dx, dy: NAVY)
    c.disc(15.5, 15.5, 13.6, 15.0, lambda dx, dy: WHITE if dx + dy < 0 else BLACK)
    c.line(9, 8, 9, 23, WHITE, 3)
    c.line(20, 8, 20, 23, WHITE, 3)
    c.line(9, 8, 20, 21, WHITE, 3)
    c.line(7, 26, 24, 26, RED, 2)
    return c


def scan_glyph():
    """A magnifying glass over a USB plug."""
    c = Canvas(32, 32)
    # USB plug, lower left.
    c.fill(3, 18, 12, 28, GREY)
    c.frame(3, 18, 12, 28, BLACK)
    c.fill(5, 14, 10, 18, WHITE)
    c.frame(5, 14, 10, 18, BLACK)
    c.fill(6, 15, 7, 16, BLACK)
    c.fill(8, 15, 9, 16, BLACK)
    c.line(7, 29, 7, 31, BLACK, 2)
    # Lens and handle.
    c.disc(18.5, 11.5, 0, 7.0, lambda dx, dy: AQUA if dx + dy > -3 else WHITE)
    c.disc(18.5, 11.5, 7.0, 9.0, lambda dx, dy: BLACK)
    c.line(24, 18, 30, 25, BLACK, 3)
    c.line(25, 18, 30, 23, OLIVE, 1)
    return c


def disabled_of(normal):
    """The greyed twin of a glyph: the shape in grey with a white relief below right."""
    c = Canvas(normal.w, normal.h)
    for y in range(normal.h):
        for x in range(normal.w):
            if normal.get(x, y) != SILVER:
                c.set(x + 1, y + 1, WHITE)
    for y in range(normal.h):
        for x in range(normal.w):
            if normal.get(x, y) != SILVER:
                c.set(x, y, GREY)
    return c


def side_by_side(a, b):
    c = Canvas(a.w + b.w, a.h)
    for y in range(a.h):
        for x in range(a.w):
            c.set(x, y, a.get(x, y))
            c.set(a.w + x, y, b.get(x, y))
    return c


def load_glyph():
    """An open yellow folder with a green arrow coming out of it."""
    c = Canvas(16, 16)
    c.fill(1, 4, 6, 5, YELLOW)
    c.frame(0, 3, 7, 5, BLACK)
    c.fill(1, 6, 12, 13, YELLOW)
    c.frame(0, 5, 13, 14, BLACK)
    c.fill(3, 9, 14, 13, OLIVE)
    c.line(3, 9, 14, 9, BLACK)
    c.line(12, 1, 12, 6, GREEN, 2)
    c.line(10, 3, 12, 1, GREEN)
    c.line(15, 3, 13, 1, GREEN)
    return disabled_pair(c)


def save_glyph():
    """A navy diskette with its white label and grey shutter."""
    c = Canvas(16, 16)
    c.fill(1, 1, 14, 14, NAVY)
    c.frame(0, 0, 15, 15, BLACK)
    c.fill(3, 1, 12, 7, WHITE)
    c.line(4, 3, 11, 3, GREY)
    c.line(4, 5, 11, 5, GREY)
    c.fill(4, 10, 11, 14, SILVER)
    c.fill(5, 11, 6, 13, NAVY)
    c.set(15, 15, BLACK)
    return disabled_pair(c)


def disabled_pair(normal):
    return side_by_side(normal, disabled_of(normal))


def unlock_glyph():
    """An open yellow padlock."""
    c = Canvas(32, 32)
    c.disc(20.5, 9.5, 5.0, 8.0, lambda dx, dy: GREY if dy <= 0 else None)
    c.disc(20.5, 9.5, 7.0, 8.0, lambda dx, dy: BLACK if dy <= 0 else None)
    c.disc(20.5, 9.5, 4.0, 5.0, lambda dx, dy: BLACK if dy <= 0 else None)
    c.fill(25, 9, 27, 14, GREY)
    c.line(28, 9, 28, 14, BLACK)
    c.line(24, 9, 24, 14, BLACK)
    c.fill(4, 15, 22, 29, YELLOW)
    c.fill(14, 16, 21, 28, OLIVE)
    c.frame(3, 14, 23, 30, BLACK)
    c.disc(13.0, 21.0, 0, 2.3, lambda dx, dy: BLACK)
    c.line(13, 22, 13, 26, BLACK, 1)
    return c


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    images = {
        'LEDVON.bmp': led(True, LIME, GREEN),
        'LEDVOFF.bmp': led(False, LIME, GREEN),
        'LEDRON.bmp': led(True, RED, MAROON),
        'LEDROFF.bmp': led(False, RED, MAROON),
        'LOGO.bmp': logo(),
        'GLYPH_SCAN.bmp': scan_glyph(),
        'GLYPH_LOAD.bmp': load_glyph(),
        'GLYPH_SAVE.bmp': save_glyph(),
        'GLYPH_UNLOCK.bmp': unlock_glyph(),
    }
    for name, canvas in images.items():
        write_bmp(os.path.join(here, name), canvas)


if __name__ == '__main__':
    main()
