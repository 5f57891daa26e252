#!/usr/bin/env python3
"""Draws the toolbar glyphs into res/glyphs/*.bmp (24-bit, bottom-up), each at 100 %, 150 %
(NAME_150.bmp) and 200 % (NAME_200.bmp).

Every picture is drawn once, in the pixels of its 100 % size: at the larger scales a pixel becomes
a block, while polygons and circles are sampled at the finer pixels, so their edges stay sharp.

Each glyph is drawn on olive (128, 128, 0): the bottom-left pixel's colour is the one a button
shows through. Outlines are black, so that the generated disabled image (an emboss of the black
pixels) keeps each picture's shape."""
import math
import os
import struct
import sys

OLIVE = (128, 128, 0)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
GREY = (128, 128, 128)
SILVER = (192, 192, 192)
BLUE = (0, 0, 200)
NAVY = (0, 0, 128)
TEAL = (0, 128, 128)
GREEN = (0, 160, 0)
DARKGREEN = (0, 96, 0)
YELLOW = (255, 224, 0)
ORANGE = (240, 140, 20)
RED = (208, 0, 0)
BROWN = (128, 64, 0)
TAN = (200, 150, 90)


# The scale the canvases draw at: 1, 1.5 or 2.
SCALE = 1


class Canvas:
    def __init__(self, width, height):
        self.scale = SCALE
        self.width, self.height = round(width * SCALE), round(height * SCALE)
        self.pixels = [[OLIVE] * self.width for _ in range(self.height)]

    def span(self, start, end):
        """The pixels of the design pixels start .. end - 1 along one axis."""
        return range(round(start * self.scale), round(end * self.scale))

    def dot(self, x, y, colour):
        for py in self.span(y, y + 1):
            for px in self.span(x, x + 1):
                if 0 <= px < self.width and 0 <= py < self.height:
                    self.pixels[py][px] = colour

    def samples(self):
        """Every pixel with the design coordinates of its centre."""
        for py in range(self.height):
            for px in range(self.width):
                yield px, py, (px + 0.5) / self.scale, (py + 0.5) / self.scale

    def paint(self, px, py, colour):
        self.pixels[py][px] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle x0..x1, y0..y1, both ends included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.dot(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.dot(x, y0, colour)
            self.dot(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.dot(x0, y, colour)
            self.dot(x1, y, colour)

    def box(self, x0, y0, x1, y1, inside, edge=BLACK):
        self.fill(x0, y0, x1, y1, inside)
        self.frame(x0, y0, x1, y1, edge)

    def hline(self, x0, x1, y, colour):
        for x in range(x0, x1 + 1):
            self.dot(x, y, colour)

    def vline(self, x, y0, y1, colour):
        for y in range(y0, y1 + 1):
            self.dot(x, y, colour)

    def polygon(self, points, colour):
        for px, py, x, y in self.samples():
            if inside(x, y, points):
                self.paint(px, py, colour)

    def outline(self, points, colour):
        """Pixels of a filled polygon less than one design pixel from its outside."""
        for px, py, x, y in self.samples():
            if not inside(x, y, points):
                continue
            if any(not inside(x + dx, y + dy, points) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                self.paint(px, py, colour)


def inside(x, y, points):
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def page(c, x0, y0, x1, y1, lines):
    """A sheet with a folded top-right corner and grey lines of text."""
    shape = [(x0, y0), (x1 - 3, y0), (x1 + 1, y0 + 4), (x1 + 1, y1 + 1), (x0, y1 + 1)]
    c.polygon(shape, WHITE)
    c.outline(shape, BLACK)
    c.hline(x1 - 3, x1, y0 + 3, BLACK)
    c.vline(x1 - 3, y0, y0 + 3, BLACK)
    for n, colour in enumerate(lines):
        c.hline(x0 + 2, x1 - 2, y0 + 6 + 2 * n, colour)


def batch_convert():
    c = Canvas(19, 22)
    page(c, 0, 0, 10, 13, [GREY, GREY, GREY])
    c.fill(2, 10, 8, 12, BLUE)  # the old extension's tag
    page(c, 7, 7, 17, 20, [GREY, GREY])
    c.fill(9, 17, 15, 19, GREEN)  # the new extension's tag
    arrow = [(1, 14), (3, 14), (3, 17), (4, 17), (4, 15), (7, 18), (4, 21), (4, 19), (1, 19)]
    c.polygon(arrow, ORANGE)
    c.outline(arrow, BLACK)
    return c


def view():
    c = Canvas(19, 22)
    c.box(0, 2, 18, 19, WHITE)
    c.fill(1, 3, 17, 5, NAVY)
    c.hline(1, 17, 6, BLACK)
    for row, top in enumerate((8, 13)):
        for col, left in enumerate((2, 10)):
            colour = (BLUE, GREEN, ORANGE, RED)[row * 2 + col]
            c.box(left, top, left + 6, top + 4, colour)
    return c


def properties():
    c = Canvas(19, 22)
    c.box(1, 0, 17, 21, WHITE)
    for n, top in enumerate((3, 9, 15)):
        c.box(3, top, 7, top + 4, WHITE)
        c.hline(9, 15, top + 2, GREY)
        if n != 1:  # a red tick in the first and the last box
            for x, y in ((4, top + 2), (5, top + 3), (6, top + 2), (6, top + 1)):
                c.dot(x, y, RED)
    return c


def help_glyph():
    c = Canvas(19, 22)
    cx, cy, r = 9.5, 11.0, 9.0
    for px, py, x, y in c.samples():
        d = math.hypot(x - cx, y - cy)
        if d <= r:
            c.paint(px, py, BLACK if d > r - 1.2 else YELLOW)
    question = ["..KKKKK..", ".KK...KK.", ".KK...KK.", "......KK.", ".....KK..",
                "....KK...", "....KK...", ".........", "....KK...", "....KK..."]
    for row, text in enumerate(question):
        for col, ch in enumerate(text):
            if ch == 'K':
                c.dot(5 + col, 6 + row, NAVY)
    return c


def exit_glyph():
    c = Canvas(19, 22)
    c.box(6, 1, 17, 20, GREY)  # the door frame
    door = [(6, 1), (12, 4), (12, 21), (6, 21)]
    c.polygon(door, TAN)
    c.outline(door, BLACK)
    c.dot(10, 12, BLACK)  # the handle
    arrow = [(0, 9), (3, 9), (3, 6), (7, 11), (3, 16), (3, 13), (0, 13)]
    c.polygon(arrow, GREEN)
    c.outline(arrow, BLACK)
    return c


def down_arrow():
    c = Canvas(9, 8)
    for row, width in enumerate((7, 5, 3, 1)):
        c.hline(4 - width // 2, 4 + width // 2, 2 + row, BLACK)
    return c


def outline_of(c, filled, colour=BLACK):
    """Outlines a set of pixels with their eight neighbours that are not in it."""
    for x, y in filled:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if (x + dx, y + dy) not in filled:
                    c.dot(x + dx, y + dy, colour)


def delete_glyph():
    """A red cross: the selected entry goes."""
    c = Canvas(16, 16)
    cross = {(x, y) for y in range(2, 14) for x in range(2, 14) if abs(x - y) <= 1 or abs(x + y - 15) <= 1}
    for x, y in cross:
        c.dot(x, y, RED)
    outline_of(c, cross)
    return c


def homepage_glyph():
    """A globe with meridians and parallels: the maker's pages on the web."""
    c = Canvas(16, 16)
    centre, radius = 7, 6.4
    ball = {(x, y) for y in range(15) for x in range(15) if math.hypot(x - centre, y - centre) <= radius}
    for x, y in ball:
        dx, dy = x - centre, y - centre
        # The outer meridians cross the equator at half the radius.
        half = radius / 2 * math.sqrt(max(0.0, 1 - (dy / radius) ** 2))
        grid = dy in (-3, 0, 3) or abs(abs(dx) - half) < 0.5
        c.dot(x, y, WHITE if grid else BLUE)
    outline_of(c, ball)
    return c


def write_bmp(path, canvas):
    stride = (canvas.width * 3 + 3) & ~3
    image = b''
    for row in reversed(canvas.pixels):
        line = b''.join(struct.pack('<BBB', b, g, r) for (r, g, b) in row)
        image += line + b'\0' * (stride - len(line))
    header = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(header) + len(image), 0, 0, 14 + len(header)))
        f.write(header + image)


GLYPHS = {
    'batch_convert.bmp': batch_convert,
    'view.bmp': view,
    'properties.bmp': properties,
    'help.bmp': help_glyph,
    'exit.bmp': exit_glyph,
    'down_arrow.bmp': down_arrow,
    'delete.bmp': delete_glyph,
    'homepage.bmp': homepage_glyph,
}


SCALES = {1: '', 1.5: '_150', 2: '_200'}


def main(folder):
    global SCALE
    os.makedirs(folder, exist_ok=True)
    for scale, suffix in SCALES.items():
        SCALE = scale
        for name, draw in GLYPHS.items():
            write_bmp(os.path.join(folder, name.replace('.bmp', suffix + '.bmp')), draw())


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/glyphs')
