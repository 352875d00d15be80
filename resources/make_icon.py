#!/usr/bin/env python3
"""Draws the launcher's icon (resource 104) and writes it as a Windows .ico.

No libraries needed: each image is a 16-colour BMP with its AND mask, which
every Windows version since 95 reads. The picture: a steaming coffee-brown cup on a
blue disc, the launcher's "getting Java ready" mark.

Usage: make_icon.py OUTPUT.ico
"""
import math
import struct
import sys


def pixel(x, y, size):
    """RGBA of one pixel, in coordinates scaled to a 32-unit square."""
    s = 32.0 / size
    fx, fy = (x + 0.5) * s, (y + 0.5) * s
    # Blue disc with a lighter rim.
    d = math.hypot(fx - 16, fy - 16)
    color = None
    if d <= 15.5:
        color = (40, 90, 170, 255) if d < 14 else (110, 160, 230, 255)
    # Cup body: rounded rectangle, brown with a lighter band.
    if 8 <= fx <= 21 and 14 <= fy <= 25:
        if fy > 23 and (fx < 9.5 or fx > 19.5):
            pass
        else:
            color = (120, 70, 35, 255) if fy > 17 else (200, 140, 80, 255)
    # Handle: a ring on the right.
    hd = math.hypot(fx - 22, fy - 19)
    if 2 <= hd <= 3.6 and fx > 21:
        color = (120, 70, 35, 255)
    # Saucer.
    if 6 <= fx <= 24 and 25 < fy <= 27:
        color = (230, 230, 235, 255)
    # Steam: two wavy strokes above the cup.
    for base in (12.0, 17.0):
        wave = base + 1.2 * math.sin((fy - 5) * 0.9)
        if 5 <= fy <= 12 and abs(fx - wave) < 0.9:
            color = (245, 245, 250, 255)
    return color or (0, 0, 0, 0)


def image(size):
    # The drawing has a handful of flat colours and only fully opaque or
    # fully transparent pixels, so a 16-colour image with its AND mask holds
    # it exactly, at an eighth of the bytes of a 32-bit one.
    pixels = [[pixel(x, y, size) for x in range(size)] for y in range(size - 1, -1, -1)]  # bottom-up
    palette = sorted({p[:3] for row in pixels for p in row if p[3]})
    assert len(palette) <= 16 and all(p[3] in (0, 255) for row in pixels for p in row)
    index = {c: i for i, c in enumerate(palette)}
    stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    rows = []
    mask_rows = []
    for row_pixels in pixels:
        row = bytearray(stride)
        mask = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row_pixels):
            if a == 0:
                mask[x // 8] |= 0x80 >> (x % 8)
            else:
                row[x // 2] |= index[(r, g, b)] << (0 if x % 2 else 4)
        rows.append(bytes(row))
        mask_rows.append(bytes(mask))
    colors = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    colors += bytes(4 * (16 - len(palette)))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    return header + colors + b"".join(rows) + b"".join(mask_rows)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    # 48 and 64 for 150% and 200% screens, where the dialog asks for them.
    sizes = [64, 48, 32, 16]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
