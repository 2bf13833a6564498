"""Writes PNG files with the standard library only, for the bitmap generators of scripts/."""
import os
import struct
import zlib


def write_png(path, rows):
    """rows: a list of rows of (r, g, b) or (r, g, b, a) tuples, all of one kind."""
    height = len(rows)
    width = len(rows[0])
    channels = len(rows[0][0])
    colour_type = {3: 2, 4: 6}[channels]
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    if os.path.dirname(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)
