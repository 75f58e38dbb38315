#!/usr/bin/env python3
"""Draws the program's icon: a 32x32, 256-colour shield with a downward arrow.

Run it again after changing the drawing; the .ico it writes is committed so
that builds need no Python.
"""
import struct
import sys

SIZE = 32
PALETTE = [(0, 0, 0), (255, 255, 255), (24, 92, 168), (14, 58, 112), (120, 184, 240)]
TRANSPARENT, WHITE, BLUE, DARK, LIGHT = range(5)


def inside_shield(x, y):
    cx = (SIZE - 1) / 2
    if y < 2 or y > 30:
        return False
    half = 13 if y < 18 else 13 * (30 - y) / 12
    return abs(x - cx) <= half


def pixel(x, y):
    if not inside_shield(x, y):
        return TRANSPARENT
    if not (inside_shield(x - 1, y) and inside_shield(x + 1, y) and inside_shield(x, y - 1)
            and inside_shield(x, y + 1)):
        return DARK
    cx = (SIZE - 1) / 2
    if 7 <= y <= 16 and abs(x - cx) <= 2.5:  # arrow shaft
        return WHITE
    if 16 < y <= 24 and abs(x - cx) <= 24 - y:  # arrow head
        return WHITE
    return LIGHT if x < cx - 6 and y < 14 else BLUE


def icon_bytes():
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    palette += b'\0' * 4 * (256 - len(PALETTE))
    colour = b''.join(bytes(row) for row in reversed(rows))
    mask = b''
    for row in reversed(rows):
        bits = 0
        for x, value in enumerate(row):
            if value == TRANSPARENT:
                bits |= 1 << (31 - x)
        mask += struct.pack('>I', bits)
    image = header + palette + colour + mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack(
        '<BBBBHHII', SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + image


if __name__ == '__main__':
    with open(sys.argv[1], 'wb') as out:
        out.write(icon_bytes())
