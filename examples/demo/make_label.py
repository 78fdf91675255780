#!/usr/bin/env python3
"""Writes label.png: the label of the demo's tin, with alpha.

A cream band with red edges and the word ZYRAY in blue; above and below the
band the picture is transparent, so the tin's bare metal shows there. The
letters are strokes drawn with soft edges. Only Python's standard library is
needed. Run: python3 make_label.py (writes label.png beside this script).
"""
import math
import os
import struct
import zlib

WIDTH, HEIGHT = 480, 400
BAND = (70, 330)          # rows of the label band
EDGE = 22                 # red edge rows at the top and bottom of the band
CREAM, RED, BLUE = (242, 230, 200), (190, 30, 40), (30, 60, 150)

# Letters as strokes in a unit box (x right, y up).
GLYPHS = {
    "Z": [[(0, 1), (1, 1), (0, 0), (1, 0)]],
    "Y": [[(0, 1), (0.5, 0.5), (1, 1)], [(0.5, 0.5), (0.5, 0)]],
    "R": [[(0, 0), (0, 1), (0.7, 1), (0.92, 0.88), (0.92, 0.62), (0.7, 0.5), (0, 0.5)], [(0.45, 0.5), (1, 0)]],
    "A": [[(0, 0), (0.5, 1), (1, 0)], [(0.22, 0.42), (0.78, 0.42)]],
}
TEXT = "ZYRAY"
LETTER_W, LETTER_H, GAP, STROKE = 50, 100, 16, 15


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def strokes():
    """Every stroke segment of the text, in pixels, centred in the band."""
    total = len(TEXT) * LETTER_W + (len(TEXT) - 1) * GAP
    left = (WIDTH - total) / 2
    base = (BAND[0] + BAND[1]) / 2 + LETTER_H / 2
    out = []
    for i, letter in enumerate(TEXT):
        x0 = left + i * (LETTER_W + GAP)
        for line in GLYPHS[letter]:
            pts = [(x0 + x * LETTER_W, base - y * LETTER_H) for x, y in line]
            out += [(a[0], a[1], b[0], b[1]) for a, b in zip(pts, pts[1:])]
    return out


def pixel(x, y, segments):
    if y < BAND[0] or y >= BAND[1]:
        return (0, 0, 0, 0)
    if y < BAND[0] + EDGE or y >= BAND[1] - EDGE:
        return RED + (255,)
    d = min(segment_distance(x + 0.5, y + 0.5, *s) for s in segments)
    ink = max(0.0, min(1.0, STROKE / 2 + 0.5 - d))  # one pixel of soft edge
    return tuple(round(c * (1 - ink) + b * ink) for c, b in zip(CREAM, BLUE)) + (255,)


def write_png(path, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    segments = strokes()
    rows = [[c for x in range(WIDTH) for c in pixel(x, y, segments)] for y in range(HEIGHT)]
    write_png(os.path.join(os.path.dirname(os.path.abspath(__file__)), "label.png"), rows)
