#!/usr/bin/env python3
"""Draws the program icon (a page whose extension tag turns into another) into res/morvane.ico.

The drawing is made once at 8x resolution and reduced to 32x32 and 16x16 and to the sizes those
take at 125, 150 and 200 % (40, 48 and 64; 20 and 24), 32-bit with alpha."""
import struct
import sys

SCALE = 8


def inside_polygon(x, y, points):
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def colour_at(x, y):
    """Colour (r, g, b, a) of the drawing at a point of the 32x32 design grid."""
    page = [(6, 2), (20, 2), (26, 8), (26, 30), (6, 30)]
    fold = [(20, 2), (26, 8), (20, 8)]
    tag_from = (3, 12, 15, 19)
    tag_to = (17, 21, 29, 28)
    arrow = [(9, 19), (12, 19), (12, 23), (15, 23), (15, 21), (19, 24.5), (15, 28), (15, 26), (9, 26)]

    def in_rect(r):
        return r[0] <= x < r[2] and r[1] <= y < r[3]

    def on_edge(points, width=0.9):
        if not inside_polygon(x, y, points):
            return False
        return any(not inside_polygon(x + dx, y + dy, points)
                   for dx, dy in ((width, 0), (-width, 0), (0, width), (0, -width)))

    if in_rect(tag_to):
        edge = x < tag_to[0] + 1 or x >= tag_to[2] - 1 or y < tag_to[1] + 1 or y >= tag_to[3] - 1
        return (20, 110, 40, 255) if edge else (60, 170, 80, 255)
    if inside_polygon(x, y, arrow):
        return (170, 80, 0, 255) if on_edge(arrow) else (240, 140, 20, 255)
    if in_rect(tag_from):
        edge = x < tag_from[0] + 1 or x >= tag_from[2] - 1 or y < tag_from[1] + 1 or y >= tag_from[3] - 1
        return (20, 60, 140, 255) if edge else (60, 110, 200, 255)
    if inside_polygon(x, y, fold):
        return (90, 90, 90, 255) if on_edge(fold) else (200, 200, 200, 255)
    if inside_polygon(x, y, page):
        if on_edge(page):
            return (90, 90, 90, 255)
        if 8 <= x < 18 and int(y) in (5, 8):  # two lines of text
            return (160, 160, 170, 255)
        return (255, 255, 255, 255)
    return (0, 0, 0, 0)


def render(size):
    step = 32 / size
    n = SCALE
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = colour_at((px + (sx + 0.5) / n) * step, (py + (sy + 0.5) / n) * step)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3]
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((acc[0] // a, acc[1] // a, acc[2] // a, a // (n * n)))
        pixels.append(row)
    return pixels


def bitmap(size):
    pixels = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(struct.pack('<BBBB', b, g, r, a) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(pixels):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + xor + mask


def main(path):
    images = [(size, bitmap(size)) for size in (32, 16, 40, 48, 64, 20, 24)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/morvane.ico')
