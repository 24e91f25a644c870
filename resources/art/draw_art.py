#!/usr/bin/env python3
"""Draws the setup program's logo (logo.bmp: 140 x 108, 24 bits) and icon
(setup.ico: 32 x 32 and 16 x 16, 16 colours) from a few shapes: a chart of
rising bars with a trend line over an evening-blue field, the product's
name in block letters. Run it to redraw them; the build uses the files."""
import struct

NAVY, TEAL, WHITE, AMBER, SKY = (18, 32, 74), (22, 120, 138), (250, 250, 250), (250, 176, 40), (120, 190, 230)

# 5 x 7 block letters for the name.
GLYPHS = {
    'Q': ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
}


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def draw_logo(width=140, height=108):
    pixels = [[mix(NAVY, TEAL, (x + (height - y)) / (width + height)) for x in range(width)] for y in range(height)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(height, y1)):
            for x in range(max(0, x0), min(width, x1)):
                pixels[y][x] = colour

    # baseline and rising bars (y grows downwards here)
    rect(14, 86, 126, 88, WHITE)
    for i, bar in enumerate([18, 30, 24, 42, 55]):
        x = 20 + i * 21
        rect(x, 86 - bar, x + 14, 86, mix(SKY, WHITE, i / 5))
    # trend line through the bar tops, drawn thick
    points = [(27, 62), (48, 52), (69, 56), (90, 40), (111, 27)]
    for (xa, ya), (xb, yb) in zip(points, points[1:]):
        for step in range(101):
            x = round(xa + (xb - xa) * step / 100)
            y = round(ya + (yb - ya) * step / 100)
            rect(x - 1, y - 1, x + 2, y + 2, AMBER)
    # the name, three letters of 5 x 7 blocks at 3 pixels each
    for n, letter in enumerate("QRV"):
        for row, bits in enumerate(GLYPHS[letter]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    x, y = 16 + n * 20 + col * 3, 8 + row * 3
                    rect(x, y, x + 3, y + 3, WHITE)
    return pixels


def logo_bmp(pixels):
    height, width = len(pixels), len(pixels[0])
    rows = b"".join(bytes(c for rgb in reversed_row for c in (rgb[2], rgb[1], rgb[0]))
                    for reversed_row in reversed(pixels))  # bottom-up, blue green red
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2834, 2834, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return header + info + rows


PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
           (0, 255, 255), (255, 255, 255)]  # the standard 16 colours


def icon_image(size):
    """A 4-bit icon: a navy tile with three bars and an amber-yellow trend."""
    grid = [[4] * size for _ in range(size)]  # navy
    s = size / 32
    for i, top in enumerate([20, 14, 7]):
        for y in range(round(top * s), round(27 * s)):
            for x in range(round((5 + i * 8) * s), round((11 + i * 8) * s)):
                grid[y][x] = 14 if i < 2 else 15  # cyan, white
    for x in range(round(3 * s), round(29 * s)):
        grid[round(27 * s)][x] = 15
    for step in range(60):
        x = round((5 + step * 22 / 60) * s)
        y = round((22 - step * 17 / 60) * s)
        grid[y][x] = 11  # yellow
    # transparent corners through the AND mask
    mask = [[1 if (x in (0, size - 1) and y in (0, size - 1)) else 0 for x in range(size)] for y in range(size)]
    xor = b"".join(bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2)) for row in reversed(grid))
    and_rows = b""
    for row in reversed(mask):
        bits = int("".join(str(b) for b in row), 2).to_bytes(size // 8, "big")
        and_rows += bits + b"\0" * ((4 - len(bits) % 4) % 4)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(and_rows), 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    return info + palette + xor + and_rows


def setup_ico():
    images = [icon_image(32), icon_image(16)]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        directory += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


if __name__ == "__main__":
    import os
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "..", "logo.bmp"), "wb") as out:
        out.write(logo_bmp(draw_logo()))
    with open(os.path.join(here, "..", "setup.ico"), "wb") as out:
        out.write(setup_ico())
