#!/usr/bin/env python3
"""Draws the sign-on window's default picture, a two-frame animated GIF, and
writes it to the path given (data/files/sigonlogo.gif)."""
import struct
import sys

WIDTH, HEIGHT = 340, 110

# 5x7 letters of the banner.
FONT = {
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
}

PALETTE = [(0, 0, 0)] * 256
for i in range(64):  # greens for the gradient
    PALETTE[i] = (0, 40 + i * 2, 0)
PALETTE[64] = (0, 255, 0)      # lime letters
PALETTE[65] = (255, 255, 255)  # highlight


def frame(shift):
    pixels = bytearray(WIDTH * HEIGHT)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            pixels[y * WIDTH + x] = min(63, (x + y + shift) * 64 // (WIDTH + HEIGHT))
    scale = 8
    text = "KORVO"
    text_width = len(text) * 6 * scale - scale
    left = (WIDTH - text_width) // 2
    top = (HEIGHT - 7 * scale) // 2
    for n, letter in enumerate(text):
        for row, bits in enumerate(FONT[letter]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            x = left + n * 6 * scale + col * scale + dx
                            y = top + row * scale + dy
                            pixels[y * WIDTH + x] = 65 if (shift and dy < 2) else 64
    return bytes(pixels)


def lzw(pixels):
    # Every pixel a literal 9-bit code, with a clear code before the table grows,
    # which any decoder reads and keeps this writer small.
    clear, end = 256, 257
    codes = []
    for i, p in enumerate(pixels):
        if i % 254 == 0:
            codes.append(clear)
        codes.append(p)
    codes.append(end)
    out, acc, bits = bytearray(), 0, 0
    for c in codes:
        acc |= c << bits
        bits += 9
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    blocks = bytearray([8])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks + b"\x00")


def main(path):
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF7, 0, 0)
    for r, g, b in PALETTE:
        data += bytes([r, g, b])
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for shift in (0, 1):
        data += b"\x21\xF9\x04\x00" + struct.pack("<H", 150) + b"\x00\x00"
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, WIDTH, HEIGHT, 0)
        data += lzw(frame(shift))
    data += b"\x3B"
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "sigonlogo.gif")
