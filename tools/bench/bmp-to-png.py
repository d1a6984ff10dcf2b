#!/usr/bin/env python3
"""Converts an uncompressed 24-bit BMP file into a PNG file.

usage: bmp-to-png.py INPUT.bmp OUTPUT.png

Only the standard library: the pictures script needs no image tools.
"""
import struct
import sys
import zlib


def read_bmp(path):
    with open(path, "rb") as source:
        data = source.read()
    if data[:2] != b"BM":
        sys.exit(f"{path}: not a BMP file")
    pixel_offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _planes, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0:
        sys.exit(f"{path}: only uncompressed 24-bit pictures are read")
    stride = (width * 3 + 3) & ~3
    bottom_up = height > 0
    height = abs(height)
    rows = []
    for y in range(height):
        source_row = height - 1 - y if bottom_up else y
        start = pixel_offset + source_row * stride
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return width, height, rows


def png_chunk(kind, payload):
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))


def write_png(path, width, height, rows):
    raw = b"".join(b"\x00" + row for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as target:
        target.write(b"\x89PNG\r\n\x1a\n")
        target.write(png_chunk(b"IHDR", header))
        target.write(png_chunk(b"IDAT", zlib.compress(raw, 9)))
        target.write(png_chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    write_png(sys.argv[2], *read_bmp(sys.argv[1]))


if __name__ == "__main__":
    main()
