#!/usr/bin/env python3
"""Draws the button images and the window icon of Solvane (plain PNG, no
third-party modules). Run from anywhere; writes into resources/images/."""
import math
import os
import struct
import zlib

SIZE = 48
SUPER = 4  # samples per pixel and axis, for smooth edges


def write_png(path, size, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(pixels[y * size * 4:(y + 1) * size * 4]) for y in range(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def render(inside, colour, size=SIZE):
    """inside(x, y) -> bool on the unit square; colour is (r, g, b)."""
    pixels = []
    n = SUPER * SUPER
    for py in range(size):
        for px in range(size):
            hits = sum(inside((px + (i + 0.5) / SUPER) / size, (py + (j + 0.5) / SUPER) / size)
                       for i in range(SUPER) for j in range(SUPER))
            pixels += [*colour, round(255 * hits / n)]
    return pixels


def triangle(x, y):  # pointing right
    return 0.28 <= x <= 0.80 and abs(y - 0.5) <= (0.80 - x) * 0.62


def square(x, y):
    return 0.25 <= x <= 0.75 and 0.25 <= y <= 0.75


def minus(x, y):
    return 0.18 <= x <= 0.82 and 0.42 <= y <= 0.58


def circular_arrow(x, y):
    dx, dy = x - 0.5, y - 0.5
    r = math.hypot(dx, dy)
    angle = math.degrees(math.atan2(-dy, dx)) % 360
    ring = 0.22 <= r <= 0.34 and not 20 <= angle <= 80
    # arrow head at the gap's lower end, pointing up (anticlockwise travel)
    hx, hy = 0.5 + 0.28 * math.cos(math.radians(20)), 0.5 - 0.28 * math.sin(math.radians(20))
    head = y <= hy + 0.04 and y >= hy - 0.20 and abs(x - hx) <= (y - (hy - 0.20)) * 0.75
    return ring or head


def arrow_up(x, y):
    return 0.15 <= y <= 0.75 and abs(x - 0.5) <= (y - 0.15) * 0.6


def arrow_down(x, y):
    return arrow_up(x, 0.9 - y)


def window_icon(x, y):
    # a framed plot with a response that rolls off towards high frequencies
    border = (0.08 <= x <= 0.92 and 0.08 <= y <= 0.92) and not (0.14 <= x <= 0.86 and 0.14 <= y <= 0.86)
    curve_y = 0.34 + 0.36 / (1 + math.exp(-14 * (x - 0.62)))
    curve = 0.18 <= x <= 0.82 and abs(y - curve_y) <= 0.045
    return border or curve


# file name: (shape, colour, size in pixels)
IMAGES = {
    "Start.png": (triangle, (20, 110, 30), SIZE),
    "Update.png": (circular_arrow, (20, 80, 20), SIZE),
    "Stop.png": (square, (170, 20, 30), SIZE),
    "Minus.png": (minus, (90, 0, 90), SIZE),
    "ArrowUp.png": (arrow_up, (255, 255, 255), 12),
    "ArrowDown.png": (arrow_down, (255, 255, 255), 12),
    # The window icon keeps the resource name the program asks for; it is PNG
    # data, which Qt recognises by content.
    "ks.icns": (window_icon, (0, 142, 214), 64),
}

# The desktop menu's icon, in the sizes that desktops ask for most; the same
# drawing as the window icon. Installed as share/icons/hicolor/NxN/apps/solvane.png.
ICON_SIZES = (48, 128, 256)

if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.join(here, "images")
    os.makedirs(folder, exist_ok=True)
    for name, (shape, colour, size) in IMAGES.items():
        write_png(os.path.join(folder, name), size, render(shape, colour, size))
    icons = os.path.join(here, "icons")
    os.makedirs(icons, exist_ok=True)
    for size in ICON_SIZES:
        write_png(os.path.join(icons, "solvane-%d.png" % size), size, render(window_icon, (0, 142, 214), size))
