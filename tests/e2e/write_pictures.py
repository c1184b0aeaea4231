"""Writes plain one-colour pictures for the end-to-end tests, without any
picture library: BMP (24 bit) or PNG (RGB) by the name's extension.
    write_pictures.py <folder> <name>:<width>x<height>:<r>,<g>,<b> ...
"""
import struct
import sys
import zlib


def bmp(path, w, h, rgb):
    row = bytes(rgb[::-1]) * w + b"\0" * ((4 - w * 3 % 4) % 4)
    data = row * h
    header = b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    open(path, "wb").write(header + info + data)


def png(path, w, h, rgb):
    raw = b"".join(b"\0" + bytes(rgb) * w for _ in range(h))
    chunk = lambda t, d: struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)
    open(path, "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


folder = sys.argv[1]
for picture in sys.argv[2:]:
    name, size, colour = picture.rsplit(":", 2)
    w, h = (int(v) for v in size.split("x"))
    rgb = tuple(int(v) for v in colour.split(","))
    (bmp if name.lower().endswith(".bmp") else png)(folder + "/" + name, w, h, rgb)
