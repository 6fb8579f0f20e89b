#!/usr/bin/env python3
"""Draws the plug-in's icon (resources/tzq.ico): a 4 x 4 grid of area cells on
the yellow panel colour, some of them ticked green like worked areas, with a
dark frame. Writes 16 x 16 and 32 x 32 images, 32-bit with alpha."""
import struct
import sys

PANEL = (255, 250, 198)
FRAME = (40, 60, 90)
WORKED = (30, 150, 70)
OPEN = (255, 255, 255)
WORKED_CELLS = {(0, 0), (1, 2), (2, 1), (3, 3), (0, 3), (2, 2)}


def pixel(x, y, size):
    if x == 0 or y == 0 or x == size - 1 or y == size - 1:
        return FRAME
    inner = size - 2
    cell = inner / 4.0
    cx, cy = int((x - 1) / cell), int((y - 1) / cell)
    fx, fy = (x - 1) - cx * cell, (y - 1) - cy * cell
    border = 1 if size <= 16 else 2
    if fx < border or fy < border:
        return FRAME
    return WORKED if (cx, cy) in WORKED_CELLS else (OPEN if size > 16 else PANEL)


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        for x in range(size):
            r, g, b = pixel(x, y, size)
            rows.append(struct.pack("<BBBB", b, g, r, 255))
    mask_row = ((size + 31) // 32) * 4
    return header + b"".join(rows) + b"\0" * (mask_row * size)


def main(path):
    sizes = [16, 32]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/tzq.ico")
