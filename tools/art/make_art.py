#!/usr/bin/env python3
"""Draws zoble's pictures and icon: resources/main.bmp (the main window's
striped background), resources/splash.bmp (the title artwork) and
resources/zoble.ico. Deterministic; run it again after changing the art."""

import os
import struct
import sys

# A 5x7 pixel font for the letters the artwork uses.
GLYPHS = {
    "z": ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    "o": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "b": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "l": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "e": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "i": ["11111", "00100", "00100", "00100", "00100", "00100", "11111"],
    "d": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "v": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "u": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    ".": ["00000", "00000", "00000", "00000", "00000", "00000", "00100"],
    " ": ["00000"] * 7,
}


def bmp(width, height, pixel):
    """A bottom-up BMP of 24 bits a pixel, as the windows' designs ask for;
    pixel(x, y) gives (r, g, b)."""
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            r, g, b = pixel(x, y)
            row[x * 3:x * 3 + 3] = bytes((b, g, r))
        rows.append(bytes(row))
    data = b"".join(rows)
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def text_mask(text, scale):
    """The pixels of `text` at `scale`, as a set of (x, y), and its size."""
    points = set()
    x0 = 0
    for ch in text:
        glyph = GLYPHS[ch]
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            points.add((x0 + gx * scale + dx, gy * scale + dy))
        x0 += 6 * scale
    return points, x0 - scale, 7 * scale


def main_background(x, y):
    # Thin dark stripes: one lighter line in three.
    return (0x3A, 0x3A, 0x3A) if y % 3 == 0 else (0x24, 0x24, 0x24)


def splash():
    title, tw, th = text_mask("zoble", 6)
    sub, sw, sh = text_mask("idle . vud", 2)
    tx, ty = (197 - tw) // 2, 38
    sx, sy = (197 - sw) // 2, ty + th + 18
    title = {(x + tx, y + ty) for x, y in title}
    shadow = {(x + 3, y + 3) for x, y in title}
    sub = {(x + sx, y + sy) for x, y in sub}

    def pixel(x, y):
        if (x, y) in title:
            # Red, brighter toward the top of the letters, shaded row by row.
            t = (y - ty) / (th - 1)
            return (255, round(60 * (1 - t)), round(40 * (1 - t)))
        if (x, y) in shadow:
            return (90, 0, 0)
        if (x, y) in sub:
            return (255, 255, 0)
        if y in (ty - 10, ty + th + 8) and 20 <= x < 177:
            return (120, 0, 0)
        return (0, 0, 0)

    return bmp(200, 150, pixel)


PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_RED, RED, YELLOW = 0, 1, 9, 11


def icon_image(size):
    """A 16-colour icon image: a red "z" on a black tile with a dark red rim."""
    glyph = GLYPHS["z"]
    scale = size // 8
    ox = (size - 5 * scale) // 2
    oy = (size - 7 * scale) // 2

    def index(x, y):
        if x in (0, size - 1) or y in (0, size - 1):
            return DARK_RED
        gx, gy = (x - ox) // scale, (y - oy) // scale
        if 0 <= gx < 5 and 0 <= gy < 7 and x >= ox and y >= oy and glyph[gy][gx] == "1":
            return RED if gy < 6 else YELLOW
        return BLACK

    xor = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray()
        for x in range(0, size, 2):
            row.append(index(x, y) << 4 | index(x + 1, y))
        row += b"\0" * ((-len(row)) % 4)
        xor += row
    and_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (and_stride * size)  # fully opaque
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask), 0, 0,
                       16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    return info + palette + bytes(xor) + mask


def ico():
    images = [icon_image(32), icon_image(16)]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip((32, 16), images):
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return header + entries + b"".join(images)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
    files = {
        "main.bmp": bmp(151, 94, main_background),
        "splash.bmp": splash(),
        "zoble.ico": ico(),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
