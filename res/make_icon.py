#!/usr/bin/env python3
"""Draws the launcher's icon: one 32x32 image in the 16 standard colours, written as an .ico.

An open carton seen from the front with a red arrow leaving it upwards: a package being removed.
Run it again after changing the drawing: python3 res/make_icon.py res/uninstall-launcher.ico
"""
import struct
import sys

# The 16-colour palette every Windows display has (index: (r, g, b)).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREY, SILVER, RED, YELLOW, WHITE = 0, 1, 8, 7, 9, 11, 15
OLIVE = 3
SIZE = 32


def draw():
    """Returns (colour rows, transparent rows), top row first."""
    pixels = [[None] * SIZE for _ in range(SIZE)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                pixels[y][x] = colour

    # The carton: body, darker side shading, open flaps, black outline.
    fill(5, 15, 26, 30, YELLOW)
    fill(21, 15, 26, 30, OLIVE)
    fill(3, 12, 10, 15, YELLOW)
    fill(21, 12, 28, 15, OLIVE)
    for x in range(5, 27):
        pixels[15][x] = BLACK
        pixels[30][x] = BLACK
    for y in range(15, 31):
        pixels[y][5] = BLACK
        pixels[y][26] = BLACK
    for x in range(3, 11):
        pixels[12][x] = BLACK
    for x in range(21, 29):
        pixels[12][x] = BLACK
    # The arrow: a shaft out of the open top and a head pointing up.
    fill(14, 6, 17, 22, RED)
    for row in range(7):
        y = 1 + row
        fill(15 - row - 1, y, 16 + row + 1, y, RED)
    for y in range(1, 23):
        for x in range(SIZE):
            if pixels[y][x] == RED:
                neighbours = [(x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)]
                for nx, ny in neighbours:
                    if 0 <= nx < SIZE and 0 <= ny < SIZE and pixels[ny][nx] is None:
                        pixels[ny][nx] = MAROON
    return pixels


def encode(pixels):
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 0, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    colour_rows, mask_rows = [], []
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        nibbles = [0 if p is None else p for p in row]
        colour_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        bits = 0
        for x, p in enumerate(row):
            if p is None:
                bits |= 1 << (SIZE - 1 - x)
        mask_rows.append(struct.pack('>I', bits))
    image = header + palette + b''.join(colour_rows) + b''.join(mask_rows)
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == '__main__':
    target = sys.argv[1] if len(sys.argv) > 1 else 'uninstall-launcher.ico'
    with open(target, 'wb') as out:
        out.write(encode(draw()))
