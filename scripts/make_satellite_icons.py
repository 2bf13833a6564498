#!/usr/bin/env python3
"""Draws the two 15 x 15 satellite icons of the sky plot, pixel by pixel, and writes them as
PNG files: 118.png (used in the solution) and 102.png (in view only).

Magenta is the transparent background. Two solar panels (columns 0-4 and 10-14, rows 0-13)
with a black outline flank a small body (columns 5-9, rows 4-9) that meets the panels at rows
6 and 7; row 14 is background.

Usage: make_satellite_icons.py [OUTPUT_DIR]   (default: resources/bitmaps)
"""
import os
import sys

from pngwrite import write_png

MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)
RED = (255, 0, 0)
YELLOW = (255, 255, 0)
GREY = (192, 192, 192)

SIZE = 15


def draw_icon(panel, body):
    px = [[MAGENTA] * SIZE for _ in range(SIZE)]
    # Solar panels: 5 x 14, 1-pixel black outline, filled inside.
    for x0 in (0, 10):
        for y in range(0, 14):
            for x in range(x0, x0 + 5):
                edge = y in (0, 13) or x in (x0, x0 + 4)
                px[y][x] = BLACK if edge else panel
    # Body: columns 5-9, rows 4-9, black outline around its inner pixels.
    for y in range(4, 10):
        for x in range(5, 10):
            edge = y in (4, 9) or x in (5, 9)
            px[y][x] = BLACK if edge else body
    # The body meets the panels at rows 6 and 7: its side walls open into the panels there.
    for y in (6, 7):
        px[y][5] = body
        px[y][9] = body
    return px


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join("resources", "bitmaps")
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "118.png"), draw_icon(RED, YELLOW))
    write_png(os.path.join(out, "102.png"), draw_icon(GREY, GREY))


if __name__ == "__main__":
    main()
