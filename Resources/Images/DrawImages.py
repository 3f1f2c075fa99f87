#!/usr/bin/env python3
"""Draws the updater's looks, icon and cursors as small PNG files beside the skin.

Run from anywhere: python3 Resources/Images/DrawImages.py. The pictures are plain shapes in straight
RGBA, written with zlib alone so that no imaging library is needed."""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.dirname(HERE)


def write_png(path, width, height, pixel):
    """pixel(x, y) gives (r, g, b, a)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def framed(fill, border, width=16, height=None):
    height = height or width

    def pixel(x, y):
        edge = x == 0 or y == 0 or x == width - 1 or y == height - 1
        return border if edge else fill
    return pixel


def solid(colour):
    return lambda x, y: colour


def arrow_cursor(badge):
    """A 32 x 32 arrow pointer with its tip at 0,0; badge draws the mark of the drop kind."""
    def inside_arrow(x, y):
        return y < 20 and x <= y // 1 and x < 12 - max(0, y - 12)

    def pixel(x, y):
        if inside_arrow(x, y):
            edge = not inside_arrow(x - 1, y) or not inside_arrow(x + 1, y) or not inside_arrow(x, y + 1)
            return (0, 0, 0, 255) if edge else (255, 255, 255, 255)
        mark = badge(x, y)
        return mark if mark else (0, 0, 0, 0)
    return pixel


def box_badge(x, y):
    if 16 <= x <= 28 and 18 <= y <= 28:
        edge = x in (16, 28) or y in (18, 28)
        return (0, 0, 0, 255) if edge else (255, 255, 255, 255)
    return None


def plus_badge(x, y):
    box = box_badge(x, y)
    if box and (x == 22 and 20 <= y <= 26 or y == 23 and 18 <= x <= 26):
        return (0, 0, 0, 255)
    return box


def icon(x, y):
    # A dark rounded tile with a light downward arrow: firmware going into the device.
    cx, cy = x - 15.5, y - 15.5
    if abs(cx) > 15 or abs(cy) > 15 or (abs(cx) > 12 and abs(cy) > 12 and cx * cx + cy * cy > 2 * 13 * 13):
        return (0, 0, 0, 0)
    shaft = 13 <= x <= 18 and 5 <= y <= 17
    head = 17 <= y <= 25 and abs(cx) <= 25 - y
    base = 26 <= y <= 27 and 6 <= x <= 25
    if shaft or head or base:
        return (240, 196, 64, 255)
    return (40, 44, 52, 255)


def main():
    images = {
        "Background.png": (8, 8, solid((34, 37, 43, 255))),
        "Button Normal.png": (16, 16, framed((70, 76, 88, 255), (150, 156, 168, 255))),
        "Button Hover.png": (16, 16, framed((86, 94, 108, 255), (200, 204, 212, 255))),
        "Button Pressed.png": (16, 16, framed((48, 52, 60, 255), (240, 196, 64, 255))),
        "Button Disabled.png": (16, 16, framed((50, 52, 58, 255), (80, 84, 92, 255))),
        # Half the bar's size, so that its frame stays thin when stretched and the fill is read against
        # the whole track.
        "Progress Track.png": (180, 18, framed((24, 26, 30, 255), (110, 116, 128, 255), 180, 18)),
        "Progress Fill.png": (8, 8, solid((240, 196, 64, 255))),
        "Tool Tip.png": (8, 8, framed((255, 255, 225, 255), (0, 0, 0, 255), 8)),
    }
    for name, (width, height, pixel) in images.items():
        write_png(os.path.join(HERE, name), width, height, pixel)
    write_png(os.path.join(RESOURCES, "Icons", "Application.png"), 32, 32, icon)
    write_png(os.path.join(RESOURCES, "Cursors", "Drop Move.png"), 32, 32, arrow_cursor(box_badge))
    write_png(os.path.join(RESOURCES, "Cursors", "Drop Copy.png"), 32, 32, arrow_cursor(plus_badge))


if __name__ == "__main__":
    main()
