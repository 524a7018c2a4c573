#!/usr/bin/env python3
"""Draws the app's icon, smearscope.ico: a few spectrum bars, green at the foot to dark red at the
top as the field draws them, on a dark tile. Each size is laid out on its own pixel grid (whole-pixel
bars, gaps and corners), never scaled from another, so every pixel is opaque or clear.
Usage: draw_app_icon.py OUT.ico [PNG_FOLDER]   (PNG_FOLDER: each size also as a PNG, to look at)"""
import os
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)
# The field's colour stops from foot to top.
STOPS = ((0.0, 0.8, 0.0), (0.8, 0.8, 0.0), (0.8, 0.3, 0.0), (0.5, 0.0, 0.0))
TILE = (22, 26, 34)
# Each bar's height as a share of the tallest; the small sizes take the first few.
HEIGHTS = (0.55, 1.0, 0.7, 0.9, 0.45)


def stop_colour(t):
    """The gradient at height share t (0 at the foot, 1 at the top)."""
    t = min(max(t, 0.0), 1.0) * (len(STOPS) - 1)
    i = min(int(t), len(STOPS) - 2)
    f = t - i
    return tuple(round(255 * (a + (b - a) * f)) for a, b in zip(STOPS[i], STOPS[i + 1]))


def layout(size):
    """(bars, bar width, gap, margin, corner radius) in whole pixels for one size."""
    bars = 3 if size < 24 else 4 if size < 48 else 5
    margin = max(2, size // 8)
    inner = size - 2 * margin
    gap = max(1, size // 24)
    width = (inner - gap * (bars - 1)) // bars
    # What does not divide goes to the margins, split evenly (the odd pixel to the left).
    margin += (inner - (width * bars + gap * (bars - 1))) // 2
    return bars, width, gap, margin, max(1, size // 8)


def draw(size):
    """Rows of (r, g, b, a), top row first."""
    bars, width, gap, margin, radius = layout(size)
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            # The tile's corners: a pixel whose centre lies outside the corner's circle stays clear.
            cx = min(max(x + 0.5, radius), size - radius)
            cy = min(max(y + 0.5, radius), size - radius)
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius * radius:
                pixels[y][x] = (*TILE, 255)
    foot = size - margin
    tallest = foot - margin
    for bar in range(bars):
        left = margin + bar * (width + gap)
        height = max(1, round(tallest * HEIGHTS[bar]))
        for y in range(foot - height, foot):
            # Each row one colour, by its height in the tallest bar's span.
            colour = stop_colour((foot - 1 - y) / max(1, tallest - 1))
            for x in range(left, left + width):
                pixels[y][x] = (*colour, 255)
    return pixels


def png(pixels):
    size = len(pixels)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(pixels):
    """A 32-bit icon image: the header with twice the height, BGRA rows bottom-up, the AND mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for r, g, b, a in row)
    stride = (size + 31) // 32 * 4
    mask = b""
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def main(out, png_folder=None):
    images = []
    for size in SIZES:
        pixels = draw(size)
        # Windows reads the 256-pixel image as PNG; the small ones as bitmaps, as every version does.
        images.append((size, png(pixels) if size == 256 else dib(pixels)))
        if png_folder:
            os.makedirs(png_folder, exist_ok=True)
            with open(os.path.join(png_folder, f"icon-{size}.png"), "wb") as f:
                f.write(png(pixels))
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(image for _, image in images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(*sys.argv[1:3])
