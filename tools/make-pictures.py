#!/usr/bin/env python3
"""Draws the program folder's pictures that the windows name and writes them
into the folder given (data/files): the Mail button's new-mail glyph, the note
window's link banner, the alert window's news and mail icons, and the mail
program's account-wizard picture and accounts-header icon."""
import os
import struct
import sys

WHITE, BLACK = (255, 255, 255), (0, 0, 0)
GREY, DARK = (192, 192, 192), (128, 128, 128)
NAVY, BLUE, SKY = (0, 0, 128), (0, 64, 192), (128, 192, 255)
RED, YELLOW, CREAM = (220, 0, 0), (255, 220, 0), (255, 250, 220)


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.rows = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.put(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), colour)

    def gradient(self, start, end, vertical=False):
        span = (self.height if vertical else self.width) - 1 or 1
        for y in range(self.height):
            for x in range(self.width):
                t = (y if vertical else x) / span
                self.rows[y][x] = tuple(round(a + (b - a) * t) for a, b in zip(start, end))

    def disc(self, cx, cy, r, colour):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def envelope(self, x0, y0, x1, y1):
        self.rect(x0, y0, x1, y1, CREAM)
        self.frame(x0, y0, x1, y1, BLACK)
        middle = (x0 + x1) // 2
        flap = y0 + (y1 - y0) * 3 // 5
        self.line(x0, y0, middle, flap, BLACK)
        self.line(x1, y0, middle, flap, BLACK)


def bmp_bytes(canvas):
    row_bytes = (canvas.width * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(canvas.rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + bytes(row_bytes - len(line))
    return data


def write_bmp(path, canvas):
    data = bmp_bytes(canvas)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + data)


def write_ico(path, canvas, transparent):
    # One 24-bit image; its AND mask marks the pixels of the transparent colour.
    colours = bmp_bytes(canvas)
    mask_row = (canvas.width + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(canvas.rows):
        bits = bytearray(mask_row)
        for x, pixel in enumerate(row):
            if pixel == transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height * 2, 1, 24, 0, len(colours) + len(mask), 0, 0, 0, 0)
    image = info + colours + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", canvas.width, canvas.height, 0, 0, 1, 24,
                                                               len(image), 6 + 16)
    with open(path, "wb") as out:
        out.write(directory + image)


def new_mail_glyph():
    glyph = Canvas(18, 18, GREY)
    glyph.envelope(1, 4, 14, 14)
    glyph.disc(14, 4, 3, RED)
    return glyph


def link_banner():
    banner = Canvas(152, 24, WHITE)
    banner.gradient(NAVY, SKY)
    for left in (8, 20):  # two chain links
        banner.frame(left, 8, left + 16, 15, WHITE)
        banner.frame(left + 1, 9, left + 15, 14, WHITE)
    return banner


def news_icon():
    icon = Canvas(32, 32, WHITE)
    icon.rect(3, 5, 28, 27, CREAM)
    icon.frame(3, 5, 28, 27, BLACK)
    icon.rect(6, 8, 25, 11, NAVY)
    for y in range(14, 26, 3):
        icon.line(6, y, 14, y, DARK)
        icon.line(17, y, 25, y, DARK)
    return icon


def mail_icon():
    icon = Canvas(32, 32, WHITE)
    icon.envelope(2, 8, 29, 25)
    icon.disc(26, 8, 5, YELLOW)
    return icon


def wizard_picture():
    picture = Canvas(150, 246, WHITE)
    picture.gradient(BLUE, SKY, vertical=True)
    picture.envelope(25, 90, 124, 150)
    picture.disc(118, 92, 10, YELLOW)
    return picture


def accounts_icon():
    icon = Canvas(32, 32, GREY)
    icon.envelope(2, 9, 25, 24)
    icon.envelope(7, 4, 30, 19)
    return icon


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "data/files"
    assets = os.path.join(folder, "assets")
    os.makedirs(assets, exist_ok=True)
    write_bmp(os.path.join(assets, "tool_email2.bmp"), new_mail_glyph())
    write_bmp(os.path.join(assets, "link_default.bmp"), link_banner())
    write_ico(os.path.join(assets, "news.ico"), news_icon(), WHITE)
    write_ico(os.path.join(assets, "mail.ico"), mail_icon(), WHITE)
    write_bmp(os.path.join(assets, "mailwizard.bmp"), wizard_picture())
    write_bmp(os.path.join(assets, "mailaccounts.bmp"), accounts_icon())


if __name__ == "__main__":
    main()
