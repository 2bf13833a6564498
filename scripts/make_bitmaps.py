#!/usr/bin/env python3
"""Draws the program's bitmaps and icons and writes them as PNG files under resources/.

Only the standard library is used, so the images can be regenerated anywhere:
    python3 scripts/make_bitmaps.py
Magenta (255, 0, 255) marks the transparent pixels where the program expects it.
"""
import math
import os

from pngwrite import write_png

MAGENTA = (255, 0, 255, 255)
CLEAR = (0, 0, 0, 0)


class Canvas:
    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill for _ in range(w)] for _ in range(h)]

    def set(self, x, y, c):
        x, y = int(x), int(y)
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(int(y0), int(y1)):
            for x in range(int(x0), int(x1)):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1):
            self.set(x, y0, c)
            self.set(x, y1 - 1, c)
        for y in range(y0, y1):
            self.set(x0, y, c)
            self.set(x1 - 1, y, c)

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def ring(self, cx, cy, r, width, c):
        for y in range(int(cy - r - 2), int(cy + r + 3)):
            for x in range(int(cx - r - 2), int(cx + r + 3)):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if r - width <= d <= r:
                    self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c, width=1.0):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            x = x0 + (x1 - x0) * t
            y = y0 + (y1 - y0) * t
            if width <= 1.0:
                self.set(x, y, c)
            else:
                self.disc(x, y, width / 2.0, c)

    def polygon(self, pts, c):
        ys = [p[1] for p in pts]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            for i in range(len(pts)):
                (xa, ya), (xb, yb) = pts[i], pts[(i + 1) % len(pts)]
                if (ya <= yc < yb) or (yb <= yc < ya):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                for x in range(int(round(xs[i])), int(round(xs[i + 1]))):
                    self.set(x, y, c)

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                self.set(ox + x, oy + y, other.px[y][x])

    def save(self, path):
        write_png(path, self.px)


def rgb(r, g, b):
    return (r, g, b, 255)


def led(on, hue):
    """Status bar indicator: a round lamp on magenta, 16 x 16."""
    c = Canvas(16, 16, MAGENTA)
    if on:
        rim, body, shine = {
            "green": (rgb(0, 90, 0), rgb(40, 220, 40), rgb(200, 255, 200)),
            "red": (rgb(110, 0, 0), rgb(240, 50, 30), rgb(255, 210, 200)),
        }[hue]
    else:
        rim, body, shine = rgb(60, 60, 60), rgb(120, 120, 120), rgb(175, 175, 175)
    c.disc(8, 8, 7, rim)
    c.disc(8, 8, 5.8, body)
    c.disc(6, 6, 1.8, shine)
    return c


def tab_images():
    """Four 16 x 16 page images side by side: monitor, front panel, test, configuration."""
    c = Canvas(64, 16, MAGENTA)
    # NMEA monitor: a terminal with text lines.
    c.rect(1, 2, 15, 13, rgb(40, 40, 40))
    c.rect(2, 3, 14, 12, rgb(0, 40, 0))
    for i, y in enumerate((5, 7, 9)):
        c.rect(3, y, 3 + (9, 6, 8)[i], y + 1, rgb(60, 230, 60))
    c.rect(5, 13, 11, 15, rgb(90, 90, 90))
    # Front panel: signal bars.
    o = 16
    for i, hgt in enumerate((4, 7, 10, 13)):
        c.rect(o + 1 + i * 4, 15 - hgt, o + 4 + i * 4, 15, rgb(0, 170 + i * 20, 0))
    c.rect(o + 0, 15, o + 16, 16, rgb(60, 60, 60))
    # Factory test: a green check on a clipboard.
    o = 32
    c.rect(o + 2, 2, o + 14, 15, rgb(120, 80, 40))
    c.rect(o + 3, 3, o + 13, 14, rgb(250, 250, 240))
    c.rect(o + 6, 1, o + 10, 3, rgb(160, 160, 160))
    c.line(o + 4.5, 8.5, o + 7, 11.5, rgb(0, 160, 0), 2.0)
    c.line(o + 7, 11.5, o + 11.5, 5, rgb(0, 160, 0), 2.0)
    # Tracker configuration: a gear.
    o = 48
    for k in range(8):
        a = k * math.pi / 4
        c.disc(o + 8 + 5.5 * math.cos(a), 8 + 5.5 * math.sin(a), 1.6, rgb(70, 90, 140))
    c.disc(o + 8, 8, 5, rgb(70, 90, 140))
    c.disc(o + 8, 8, 2, MAGENTA)
    return c


def toolbar():
    """Tool bar 128: Connect, Disconnect, About, each 16 x 15 on magenta."""
    c = Canvas(48, 15, MAGENTA)
    blue, dark, pin = rgb(30, 100, 200), rgb(70, 70, 80), rgb(210, 210, 210)
    # Connect: plug and socket pushed together.
    c.rect(0, 6, 3, 9, dark)
    c.rect(3, 2, 8, 13, blue)
    c.rect(8, 4, 10, 6, pin)
    c.rect(8, 9, 10, 11, pin)
    c.rect(10, 2, 14, 13, blue)
    c.rect(14, 6, 16, 9, dark)
    c.frame(3, 2, 8, 13, rgb(10, 50, 120))
    c.frame(10, 2, 14, 13, rgb(10, 50, 120))
    # Disconnect: plug and socket apart, a red cross between them.
    o = 16
    c.rect(o + 0, 2, o + 4, 13, blue)
    c.frame(o + 0, 2, o + 4, 13, rgb(10, 50, 120))
    c.rect(o + 4, 4, o + 5, 6, pin)
    c.rect(o + 4, 9, o + 5, 11, pin)
    c.rect(o + 12, 2, o + 16, 13, blue)
    c.frame(o + 12, 2, o + 16, 13, rgb(10, 50, 120))
    red = rgb(220, 0, 0)
    for i in range(5):
        for dx in (0, 1):
            c.set(o + 6 + i + dx, 5 + i, red)
            c.set(o + 10 - i + dx, 5 + i, red)
    # About: a question mark in a blue disc.
    o = 32
    c.disc(o + 8, 7.5, 7, rgb(30, 90, 190))
    white = rgb(255, 255, 255)
    c.ring(o + 8, 5.5, 3, 1.5, white)
    c.rect(o + 4, 5, o + 8, 9, rgb(30, 90, 190))
    c.rect(o + 7, 8, o + 9, 10, white)
    c.rect(o + 7, 11, o + 9, 13, white)
    return c


def app_icon(size):
    """Icon 128: a map pin over a globe, transparent background."""
    c = Canvas(size, size, CLEAR)
    s = size / 32.0
    c.disc(16 * s, 17 * s, 14 * s, rgb(20, 70, 150))
    c.disc(16 * s, 17 * s, 12.5 * s, rgb(40, 120, 210))
    for dx in (-7, 0, 7):
        for y in range(int(5 * s), int(29 * s)):
            t = (y / s - 17) / 12.5
            if abs(t) < 1:
                c.set((16 + dx * math.sqrt(1 - t * t)) * s, y, rgb(150, 200, 250))
    for dy in (-6, 0, 6):
        c.rect(4 * s, (17 + dy) * s, 28 * s, (17 + dy) * s + max(1, s), rgb(150, 200, 250))
    c.disc(16 * s, 10 * s, 7 * s, rgb(200, 30, 30))
    c.polygon([(10 * s, 12 * s), (22 * s, 12 * s), (16 * s, 25 * s)], rgb(200, 30, 30))
    c.disc(16 * s, 10 * s, 2.8 * s, rgb(255, 255, 255))
    return c


def large_images():
    """Bitmap 144: six 32 x 32 images; image 5 is the update notice's icon."""
    c = Canvas(192, 32, MAGENTA)
    c.blit(app_icon(32), 0, 0)
    for i in range(32 * 32):
        x, y = i % 32, i // 32
        if c.px[y][x] == CLEAR:
            c.px[y][x] = MAGENTA
    # 1: a satellite.
    o = 32
    c.rect(o + 12, 12, o + 20, 20, rgb(180, 180, 190))
    c.rect(o + 2, 13, o + 11, 19, rgb(30, 60, 160))
    c.rect(o + 21, 13, o + 30, 19, rgb(30, 60, 160))
    # 2: a serial plug.
    o = 64
    c.polygon([(o + 4, 10), (o + 28, 10), (o + 25, 22), (o + 7, 22)], rgb(60, 60, 70))
    for k in range(5):
        c.disc(o + 9 + k * 3.5, 14, 1.2, rgb(230, 200, 80))
    # 3: a record dot.
    c.disc(96 + 16, 16, 11, rgb(210, 20, 20))
    # 4: a play triangle.
    c.polygon([(128 + 9, 5), (128 + 27, 16), (128 + 9, 27)], rgb(20, 150, 40))
    # 5: update available: a down arrow into a tray.
    o = 160
    c.disc(o + 16, 16, 15, rgb(20, 110, 200))
    white = rgb(255, 255, 255)
    c.rect(o + 13, 6, o + 19, 16, white)
    c.polygon([(o + 8, 15), (o + 24, 15), (o + 16, 23)], white)
    c.rect(o + 8, 24, o + 24, 26, white)
    return c


def about_banner():
    """Bitmap 143: the About box picture, 301 x 120: a globe under satellite orbits."""
    w, h = 301, 120
    c = Canvas(w, h, rgb(0, 0, 0))
    for y in range(h):
        t = y / (h - 1)
        col = rgb(int(10 + 20 * t), int(25 + 50 * t), int(60 + 100 * t))
        for x in range(w):
            c.px[y][x] = col
    for k in range(40):
        # A fixed scatter of stars, no randomness so that the file stays the same.
        x = (k * 73 + 11) % w
        y = (k * 37 + 5) % (h // 2)
        c.set(x, y, rgb(220, 220, 255))
    cx, cy, r = 150, 150, 95
    c.disc(cx, cy, r, rgb(20, 80, 150))
    c.disc(cx, cy, r - 3, rgb(40, 120, 190))
    for dx in (-60, -30, 0, 30, 60):
        for y in range(cy - r, h):
            t = (y - cy) / r
            if abs(t) < 1:
                c.set(cx + dx * math.sqrt(1 - t * t), y, rgb(120, 180, 230))
    for dy in (-70, -45, -20):
        half = math.sqrt(max(0, r * r - dy * dy))
        c.rect(cx - half, cy + dy, cx + half, cy + dy + 1, rgb(120, 180, 230))
    for (a, b, tilt) in ((130, 40, 0.25), (120, 55, -0.3)):
        for i in range(720):
            t = i * math.pi / 360
            x = a * math.cos(t)
            y = b * math.sin(t)
            xr = x * math.cos(tilt) - y * math.sin(tilt)
            yr = x * math.sin(tilt) + y * math.cos(tilt)
            c.set(cx + xr, 70 + yr, rgb(250, 200, 80))
    for (sx, sy) in ((40, 40), (250, 28), (205, 98)):
        c.rect(sx - 3, sy - 3, sx + 4, sy + 4, rgb(220, 220, 230))
        c.rect(sx - 12, sy - 2, sx - 4, sy + 3, rgb(40, 70, 180))
        c.rect(sx + 5, sy - 2, sx + 13, sy + 3, rgb(40, 70, 180))
    return c


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    bitmaps = os.path.join(root, "bitmaps")
    tab_images().save(os.path.join(bitmaps, "123.png"))
    led(True, "red").save(os.path.join(bitmaps, "133.png"))
    led(False, "red").save(os.path.join(bitmaps, "134.png"))
    led(True, "green").save(os.path.join(bitmaps, "135.png"))
    led(False, "green").save(os.path.join(bitmaps, "136.png"))
    about_banner().save(os.path.join(bitmaps, "143.png"))
    large_images().save(os.path.join(bitmaps, "144.png"))
    toolbar().save(os.path.join(root, "toolbars", "128.png"))
    app_icon(32).save(os.path.join(root, "icons", "128.png"))
    app_icon(64).save(os.path.join(root, "icons", "128-64.png"))


if __name__ == "__main__":
    main()
