#!/usr/bin/env python3
"""Draws the viewer's icon (a film frame with a 'Z') and writes it as an ICO
file with a 32x32 and a 16x16 image, 32 bits per pixel with an AND mask."""
import struct
import sys


def pixel(x, y, size):
    """BGRA of the icon at (x, y), y from the top, on a size-pixel grid."""
    s = size / 32.0
    border, hole = 3 * s, 2 * s
    if x < border or x >= size - border or y < border or y >= size - border:
        # film frame: dark blue with sprocket holes on the top and bottom rows
        on_strip = y < border or y >= size - border
        if on_strip and int(x / (4 * s)) % 2 == 1 and (x % (4 * s)) < hole:
            return (255, 255, 255, 255)
        return (110, 50, 20, 255)
    # white field with a red Z
    inner = size - 2 * border
    u, v = (x - border) / inner, (y - border) / inner
    stroke = 0.16
    if v < stroke + 0.08 and v > 0.08 or v > 0.92 - stroke and v < 0.92:
        if 0.15 < u < 0.85:
            return (40, 40, 200, 255)
    if 0.08 <= v <= 0.92 and abs((1 - u) - (v - 0.08) / 0.84 * 0.7 - 0.15) < stroke * 0.75:
        return (40, 40, 200, 255)
    return (250, 250, 250, 255)


def image(size):
    rows = []
    for y in reversed(range(size)):  # DIB rows run bottom-up
        rows.append(b"".join(bytes(pixel(x, y, size)) for x in range(size)))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # fully opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main(path):
    images = [(32, image(32)), (16, image(16))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
