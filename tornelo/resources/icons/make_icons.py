#!/usr/bin/env python3
"""Draws tornelo's three 16-colour spiral icons as .ico files, each at
16, 20, 24 and 32 pixels so that the tray and the title bars show a sharp
picture at 100 % to 200 % scaling.

The black tray spiral has a thin light edge: it has to show on a dark
taskbar as well as on a light one.

The build uses the committed .ico files; run this only to change the
pictures:  python3 make_icons.py  (writes beside itself).
"""
import math
import os
import struct

SIZES = (16, 20, 24, 32)

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_RED, GREEN, LIGHT_GREY = 0, 1, 2, 7

ICONS = [
    # name, line colour, edge colour (None: no edge)
    ("spiral_black.ico", BLACK, LIGHT_GREY),  # 101: the tray
    ("spiral_green.ico", GREEN, None),        # 162: the about box
    ("spiral_dark_red.ico", DARK_RED, None),  # 163: the settings dialog
]


def spiral_pixels(size, margin):
    """The pixels of an Archimedean spiral of two turns, drawn outward
    from the centre and ending `margin` pixels inside the edge; about one
    sixteenth of the size wide, at least one pixel."""
    centre = (size - 1) / 2.0
    turns = 2.0
    outer = size / 2.0 - 1.0 - margin
    inner = outer / 7.0
    half_width = max(1.0, size / 16.0) / 2.0
    pixels = set()
    steps = 4000
    for step in range(steps + 1):
        fraction = step / steps
        angle = 2.0 * math.pi * turns * fraction
        radius = inner + (outer - inner) * fraction
        px = centre + radius * math.cos(angle)
        py = centre + radius * math.sin(angle)
        pixels.add((int(round(px)), int(round(py))))
        if half_width > 0.5:
            for y in range(int(py - half_width) - 1, int(py + half_width) + 2):
                for x in range(int(px - half_width) - 1, int(px + half_width) + 2):
                    if (x - px) ** 2 + (y - py) ** 2 <= half_width ** 2:
                        pixels.add((x, y))
    return {(x, y) for (x, y) in pixels if 0 <= x < size and 0 <= y < size}


def edge_pixels(size, line):
    """The ring of pixels around the line, one pixel wide."""
    edge = set()
    for (x, y) in line:
        for dy in (-1, 0, 1):
            for dx in (-1, 0, 1):
                neighbour = (x + dx, y + dy)
                if neighbour not in line and 0 <= neighbour[0] < size and 0 <= neighbour[1] < size:
                    edge.add(neighbour)
    return edge


def image_bytes(size, colours):
    """One 4-bit image with its transparency mask; `colours` maps the
    drawn pixels to palette indices, every other pixel is transparent."""
    xor_row_bytes = ((size * 4 + 31) // 32) * 4   # 4 bits a pixel, padded to 4 bytes
    and_row_bytes = ((size + 31) // 32) * 4       # 1 bit a pixel, padded to 4 bytes
    xor_rows, and_rows = [], []
    for y in reversed(range(size)):               # bitmaps are stored bottom-up
        xor_row = bytearray(xor_row_bytes)
        and_row = bytearray(and_row_bytes)
        for x in range(size):
            nibble = colours.get((x, y))
            if nibble is None:
                nibble = 0
                and_row[x // 8] |= 0x80 >> (x % 8)   # transparent ground
            xor_row[x // 2] |= nibble << 4 if x % 2 == 0 else nibble
        xor_rows.append(bytes(xor_row))
        and_rows.append(bytes(and_row))
    xor_bits = b"".join(xor_rows)
    and_bits = b"".join(and_rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 16, 0)
    return header + palette + xor_bits + and_bits


def icon_colours(size, line_colour, edge_colour):
    margin = 1 if edge_colour is not None else 0
    line = spiral_pixels(size, margin)
    colours = {pixel: line_colour for pixel in line}
    if edge_colour is not None:
        colours.update({pixel: edge_colour for pixel in edge_pixels(size, line)})
    return colours


def ico_bytes(line_colour, edge_colour):
    """Every size in one .ico container."""
    images = [image_bytes(size, icon_colours(size, line_colour, edge_colour)) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, line_colour, edge_colour in ICONS:
        with open(os.path.join(here, name), "wb") as out:
            out.write(ico_bytes(line_colour, edge_colour))


if __name__ == "__main__":
    main()
