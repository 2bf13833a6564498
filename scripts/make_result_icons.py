#!/usr/bin/env python3
"""Draws the factory test's result icons: 168 "not passed" (red disc, white cross) and
169 "passed" (green disc, white tick), 32 x 32 with an anti-aliased transparent edge.

Usage: make_result_icons.py [OUTPUT_DIR]   (default: resources/bitmaps)
"""
import math
import os
import sys

from pngwrite import write_png

SIZE = 32
SUB = 4  # supersampling per axis for smooth edges


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def draw(disc, strokes, width):
    c = SIZE / 2
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            inside = mark = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    px = x + (sx + 0.5) / SUB
                    py = y + (sy + 0.5) / SUB
                    if math.hypot(px - c, py - c) <= c - 1:
                        inside += 1
                        if any(seg_dist(px, py, *s) <= width / 2 for s in strokes):
                            mark += 1
            if inside:
                m = mark / inside
                rgb = [round(disc[i] * (1 - m) + 255 * m) for i in range(3)]
            else:
                rgb = [0, 0, 0]
            row.append(tuple(rgb + [round(255 * inside / (SUB * SUB))]))
        rows.append(row)
    return rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "bitmaps")
    cross = [(10, 10, 22, 22), (22, 10, 10, 22)]
    tick = [(8.5, 16.5, 13.5, 21.5), (13.5, 21.5, 23.5, 10.5)]
    write_png(os.path.join(out, "168.png"), draw((210, 30, 30), cross, 3.6))
    write_png(os.path.join(out, "169.png"), draw((30, 160, 50), tick, 3.6))


if __name__ == "__main__":
    main()
