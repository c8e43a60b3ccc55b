#!/usr/bin/env python3
"""Draws the chess board's four built-in piece sets (32, 40, 64 and 80 pixels a
piece) and writes them as 24-bit bitmaps into the folder given (chess/pieces).

Each set is 6 columns (pawn, knight, bishop, rook, queen, king) by 4 rows:
White's pieces, their masks, Black's pieces, their masks. A mask is black where
the piece is and white elsewhere. Every piece is a solid shape with an outline,
white filled and black edged for White, black filled and white edged for Black,
so none of it takes a square's grey."""
import os
import struct
import sys

SIZES = (32, 40, 64, 80)
WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def inside_polygon(x, y, points):
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def polygon(*points):
    return lambda x, y: inside_polygon(x, y, points)


BASE = rect(0.2, 0.76, 0.8, 0.88)
PIECES = [
    # pawn
    [circle(0.5, 0.3, 0.12), polygon((0.42, 0.38), (0.58, 0.38), (0.68, 0.76), (0.32, 0.76)), BASE],
    # knight
    [polygon((0.3, 0.76), (0.36, 0.52), (0.28, 0.48), (0.22, 0.54), (0.16, 0.46), (0.36, 0.24), (0.44, 0.12),
             (0.5, 0.2), (0.62, 0.22), (0.74, 0.4), (0.76, 0.76)), BASE],
    # bishop
    [circle(0.5, 0.14, 0.06), ellipse(0.5, 0.38, 0.15, 0.2), polygon((0.44, 0.5), (0.56, 0.5), (0.66, 0.76), (0.34, 0.76)),
     BASE],
    # rook
    [polygon((0.26, 0.18), (0.36, 0.18), (0.36, 0.26), (0.45, 0.26), (0.45, 0.18), (0.55, 0.18), (0.55, 0.26),
             (0.64, 0.26), (0.64, 0.18), (0.74, 0.18), (0.74, 0.36), (0.26, 0.36)),
     rect(0.33, 0.34, 0.67, 0.76), BASE],
    # queen
    [polygon((0.18, 0.22), (0.34, 0.5), (0.36, 0.18), (0.5, 0.46), (0.64, 0.18), (0.66, 0.5), (0.82, 0.22), (0.7, 0.76),
             (0.3, 0.76)),
     circle(0.18, 0.2, 0.05), circle(0.36, 0.16, 0.05), circle(0.64, 0.16, 0.05), circle(0.82, 0.2, 0.05), BASE],
    # king
    [rect(0.46, 0.06, 0.54, 0.3), rect(0.38, 0.12, 0.62, 0.19), ellipse(0.5, 0.44, 0.3, 0.16),
     polygon((0.24, 0.44), (0.76, 0.44), (0.68, 0.76), (0.32, 0.76)), BASE],
]


def silhouette(shapes, size):
    # Each pixel is inside when the centre of its cell is.
    return [[any(shape((x + 0.5) / size, (y + 0.5) / size) for shape in shapes) for x in range(size)]
            for y in range(size)]


def draw_set(size):
    width, height = 6 * size, 4 * size
    pixels = [[BLACK] * width for _ in range(height)]
    edge = max(1, size // 32)
    for column, shapes in enumerate(PIECES):
        shape = silhouette(shapes, size)

        def on_edge(x, y):
            for dy in range(-edge, edge + 1):
                for dx in range(-edge, edge + 1):
                    nx, ny = x + dx, y + dy
                    if not (0 <= nx < size and 0 <= ny < size) or not shape[ny][nx]:
                        return True
            return False

        for y in range(size):
            for x in range(size):
                left = column * size + x
                if not shape[y][x]:
                    pixels[size + y][left] = pixels[3 * size + y][left] = WHITE
                    continue
                border = on_edge(x, y)
                pixels[y][left] = BLACK if border else WHITE
                pixels[2 * size + y][left] = WHITE if border else BLACK
    return width, height, pixels


def write_bmp(path, width, height, pixels):
    row_bytes = (width * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + bytes(row_bytes - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + data)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "chess/pieces"
    for size in SIZES:
        write_bmp(os.path.join(folder, "pieces%d.bmp" % size), *draw_set(size))


if __name__ == "__main__":
    main()
