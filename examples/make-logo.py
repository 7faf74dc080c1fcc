#!/usr/bin/env python3
"""Writes logo.png, the small logo of the example shipping label.

A 64 x 48 RGBA image: a black ring with a black bar through it on a
transparent background, so that the example also shows how qzprint
blends an image's alpha onto the page. Standard library only.

    python3 make-logo.py [OUT.png]
"""
import struct
import sys
import zlib

WIDTH, HEIGHT = 64, 48


def pixel(x, y):
    """RGBA of one pixel: opaque black on the ring and the bar, else clear."""
    cx, cy = 24, 24
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    ring = 14 ** 2 <= d2 <= 20 ** 2
    bar = 20 <= y < 28 and 10 <= x < 62
    return (0, 0, 0, 255) if ring or bar else (0, 0, 0, 0)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "logo.png"
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(WIDTH)) for y in range(HEIGHT))
    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(rows, 9))
           + chunk(b"IEND", b""))
    with open(out, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
