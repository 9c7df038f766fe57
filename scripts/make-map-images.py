#!/usr/bin/env python3
"""Draws the offline map page's small images (default tiles, position dot, marker icon and its
shadow) and writes them as PNG files into resources/. Run again after changing a drawing."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.join(HERE, "..", "resources")


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a), each 0..255."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # no filter
        for x in range(width):
            rows.extend(max(0, min(255, int(round(v)))) for v in pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    with open(os.path.join(RESOURCES, path), "wb") as out:
        out.write(png)


def default_tile(stripe):
    """A light tile shown where a tour has no downloaded tile; the two languages differ by their hatching."""
    def pixel(x, y):
        if x % 64 == 0 or y % 64 == 0:
            return (205, 210, 214, 255)
        if (x + stripe * y) % 16 == 0:
            return (225, 228, 231, 255)
        return (238, 240, 242, 255)
    return pixel


def coverage(distance, radius):
    """Anti-aliased disc coverage of a pixel at `distance` from the centre."""
    return max(0.0, min(1.0, radius - distance + 0.5))


def position(x, y):
    d = math.hypot(x + 0.5 - 12, y + 0.5 - 12)
    halo = coverage(d, 11) * 0.25
    ring = coverage(d, 7.5)
    core = coverage(d, 5.5)
    if core > 0:
        return (32 * core + 255 * (1 - core), 120 * core + 255 * (1 - core), 230 * core + 255 * (1 - core), 255 * ring)
    if ring > 0:
        return (255, 255, 255, 255 * ring)
    return (32, 120, 230, 255 * halo)


def marker_icon(x, y):
    # A pin: a disc on top narrowing to a point at the bottom centre (12, 40).
    cx, cy, r = 12.5, 12.5, 11.5
    px, py = x + 0.5, y + 0.5
    d = math.hypot(px - cx, py - cy)
    inside = coverage(d, r)
    if py > cy:
        # Below the centre the pin's half-width shrinks linearly to the tip.
        half = r * max(0.0, (40.5 - py) / (40.5 - cy))
        inside = max(inside, max(0.0, min(1.0, half - abs(px - cx) + 0.5)))
    if inside <= 0:
        return (0, 0, 0, 0)
    hole = coverage(d, 4.5)
    r_, g_, b_ = 42, 129, 203
    return (r_ + (255 - r_) * hole, g_ + (255 - g_) * hole, b_ + (255 - b_) * hole, 255 * inside)


def marker_shadow(x, y):
    # A soft ellipse leaning to the right of the pin's tip.
    dx = (x + 0.5 - 16) / 14.0
    dy = (y + 0.5 - 30) / 7.0
    d = math.hypot(dx + 0.35 * dy, dy)
    alpha = max(0.0, 1.0 - d) * 110
    return (0, 0, 0, alpha)


if __name__ == "__main__":
    write_png("default_tile_en.png", 256, 256, default_tile(1))
    write_png("default_tile_fr.png", 256, 256, default_tile(-1))
    write_png("position.png", 24, 24, position)
    write_png("marker-icon.png", 25, 41, marker_icon)
    write_png("marker-shadow.png", 41, 41, marker_shadow)
