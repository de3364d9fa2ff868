#!/usr/bin/env python3
"""Draws tornelo's three 16 x 16, 16-colour spiral icons as .ico files.

The build uses the committed .ico files; run this only to change the
pictures:  python3 make_icons.py  (writes beside itself).
"""
import math
import os
import struct

SIZE = 16

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_RED, GREEN = 0, 1, 2

ICONS = [
    ("spiral_black.ico", BLACK),      # 101: the tray
    ("spiral_green.ico", GREEN),      # 162: the about box
    ("spiral_dark_red.ico", DARK_RED),  # 163: the settings dialog
]


def spiral_pixels():
    """The pixels of an Archimedean spiral of two turns, drawn
    outward from the centre, one pixel wide, ending near the edge."""
    centre = (SIZE - 1) / 2.0
    turns = 2.0
    inner, outer = 1.0, 7.0
    pixels = set()
    steps = 2000
    for step in range(steps + 1):
        fraction = step / steps
        angle = 2.0 * math.pi * turns * fraction
        radius = inner + (outer - inner) * fraction
        x = int(round(centre + radius * math.cos(angle)))
        y = int(round(centre + radius * math.sin(angle)))
        if 0 <= x < SIZE and 0 <= y < SIZE:
            pixels.add((x, y))
    return pixels


def ico_bytes(colour_index, pixels):
    """One 4-bit image with its transparency mask, in the .ico container."""
    xor_row_bytes = SIZE // 2                   # 4 bits a pixel, already 4-byte aligned
    and_row_bytes = ((SIZE + 31) // 32) * 4     # 1 bit a pixel, padded to 4 bytes
    xor_rows, and_rows = [], []
    for y in reversed(range(SIZE)):             # bitmaps are stored bottom-up
        xor_row = bytearray(xor_row_bytes)
        and_row = bytearray(and_row_bytes)
        for x in range(SIZE):
            if (x, y) in pixels:
                nibble = colour_index
            else:
                nibble = 0
                and_row[x // 8] |= 0x80 >> (x % 8)   # transparent ground
            if x % 2 == 0:
                xor_row[x // 2] |= nibble << 4
            else:
                xor_row[x // 2] |= nibble
        xor_rows.append(bytes(xor_row))
        and_rows.append(bytes(and_row))
    xor_bits = b"".join(xor_rows)
    and_bits = b"".join(and_rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 16, 0)
    image = header + palette + xor_bits + and_bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    pixels = spiral_pixels()
    for name, colour in ICONS:
        with open(os.path.join(here, name), "wb") as out:
            out.write(ico_bytes(colour, pixels))


if __name__ == "__main__":
    main()
