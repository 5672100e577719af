#!/usr/bin/env python3
"""Writes the arrow bitmaps and the program icon of axistune.rc into this folder.

The images are drawn here rather than in an editor so that they can be rebuilt and reviewed:
    python3 src/ui/resources/make_images.py
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write_mono_bmp(path, rows):
    """rows: 16 strings of 16 characters, '#' black, '.' white, top row first."""
    width, height = len(rows[0]), len(rows)
    stride = ((width + 31) // 32) * 4
    pixels = b""
    for row in reversed(rows):  # bottom-up
        bits = 0
        for x, ch in enumerate(row):
            if ch == ".":  # palette index 1 is white
                bits |= 1 << (stride * 8 - 1 - x)
        pixels += bits.to_bytes(stride, "big")
    palette = struct.pack("<4B4B", 0, 0, 0, 0, 255, 255, 255, 0)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(pixels), 2835, 2835, 2, 2)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


def arrow_up():
    rows = []
    for y in range(16):
        k = y - 5
        row = ""
        for x in range(16):
            row += "#" if 0 <= k <= 6 and 7 - k <= x <= 8 + k else "."
        rows.append(row)
    return rows


def transpose(rows):
    return ["".join(rows[x][y] for x in range(16)) for y in range(16)]


def draw_icon(size):
    """RGBA rows, top first: a telescope on its tripod against a night-sky disk."""
    sub = 4

    def capsule(px, py, ax, ay, bx, by, r):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - ax - t * dx, py - ay - t * dy) <= r

    shapes = [
        (lambda x, y: math.hypot(x - 0.5, y - 0.5) <= 0.48, (28, 46, 104)),
        (lambda x, y: math.hypot(x - 0.26, y - 0.24) <= 0.035, (255, 244, 200)),
        (lambda x, y: math.hypot(x - 0.70, y - 0.16) <= 0.03, (255, 244, 200)),
        (lambda x, y: math.hypot(x - 0.84, y - 0.44) <= 0.03, (255, 244, 200)),
        (lambda x, y: capsule(x, y, 0.47, 0.54, 0.30, 0.90, 0.035), (170, 176, 190)),
        (lambda x, y: capsule(x, y, 0.47, 0.54, 0.66, 0.90, 0.035), (170, 176, 190)),
        (lambda x, y: capsule(x, y, 0.20, 0.70, 0.76, 0.30, 0.095), (236, 238, 244)),
        (lambda x, y: capsule(x, y, 0.66, 0.37, 0.76, 0.30, 0.10), (214, 170, 60)),
    ]
    image = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(sub):
                for sx in range(sub):
                    x = (px + (sx + 0.5) / sub) / size
                    y = (py + (sy + 0.5) / sub) / size
                    colour = None
                    for inside, c in shapes:
                        if inside(x, y):
                            colour = c
                    if colour is not None:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = sub * sub
            alpha = acc[3] / n
            if acc[3]:
                rgb = [round(acc[i] / acc[3]) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(alpha * 255)))
        image.append(row)
    return image


def write_icon(path, sizes):
    entries, blobs = [], []
    offset = 6 + 16 * len(sizes)
    for size in sizes:
        image = draw_icon(size)
        xor = b"".join(struct.pack("<4B", b, g, r, a) for row in reversed(image)
                       for (r, g, b, a) in row)
        mask_stride = ((size + 31) // 32) * 4
        mask = b""
        for row in reversed(image):
            bits = 0
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits |= 1 << (mask_stride * 8 - 1 - x)
            mask += bits.to_bytes(mask_stride, "big")
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                           0, 0, 0, 0)
        blob = info + xor + mask
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob),
                                   offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(sizes)) + b"".join(entries) + b"".join(blobs))


def main():
    up = arrow_up()
    down = list(reversed(up))
    left = transpose(up)
    right = [row[::-1] for row in left]
    for name, rows in (("left", left), ("right", right), ("up", up), ("down", down)):
        write_mono_bmp(os.path.join(HERE, "arrow_%s.bmp" % name), rows)
    write_icon(os.path.join(HERE, "axistune.ico"), (16, 32, 48))


if __name__ == "__main__":
    main()
