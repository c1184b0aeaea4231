#!/usr/bin/env python3
"""A picture of 1-pixel stripes the size of the screen, and a screenshot of
the X screen checked against it pixel by pixel.

  x11_stripes.py make OUT.png WIDTH HEIGHT
      Vertical stripes on the left half, horizontal ones on the right half,
      white and black by turns: any scaling, even by one pixel, greys them.
  x11_stripes.py shot OUT.png [--ignore-bottom N]
      Saves the whole screen as OUT.png and checks it shows that picture
      1:1 from its top-left corner, except the bottom N rows (where a
      caption may lie). Exits 1 naming the first pixel that differs.
"""
import ctypes
import ctypes.util
import struct
import sys
import zlib

WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def stripe(x, y, width):
    if x < width // 2:
        return WHITE if x % 2 == 0 else BLACK
    return WHITE if y % 2 == 0 else BLACK


def write_png(path, width, height, rows):
    """rows: one bytes object of RGB triples per row."""
    raw = b"".join(b"\0" + row for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(chunk(b"IEND", b""))


def make(path, width, height):
    rows = []
    for y in range(height):
        rows.append(bytes(c for x in range(width) for c in stripe(x, y, width)))
    write_png(path, width, height, rows)


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
        ("data", ctypes.POINTER(ctypes.c_ubyte)), ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
        ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
    ]


def grab():
    """The whole screen as (width, height, rows of RGB bytes)."""
    xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XDisplayWidth.argtypes = xlib.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                               ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open display")
    width, height = xlib.XDisplayWidth(display, 0), xlib.XDisplayHeight(display, 0)
    image = xlib.XGetImage(display, xlib.XDefaultRootWindow(display), 0, 0, width, height, 0xFFFFFFFF, 2).contents
    if image.bits_per_pixel != 32:
        sys.exit("a screen of %d bits per pixel is not read here" % image.bits_per_pixel)
    data = ctypes.string_at(image.data, image.bytes_per_line * height)
    rows = []
    for y in range(height):
        line = data[y * image.bytes_per_line:y * image.bytes_per_line + width * 4]
        # Blue, green, red, unused: as a 24-bit X screen keeps its pixels.
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::4], line[1::4], line[0::4]
        rows.append(bytes(rgb))
    xlib.XCloseDisplay(display)
    return width, height, rows


def shot(path, ignore_bottom):
    width, height, rows = grab()
    write_png(path, width, height, rows)
    for y in range(height - ignore_bottom):
        row = rows[y]
        for x in range(width):
            seen = tuple(row[3 * x:3 * x + 3])
            if seen != stripe(x, y, width):
                print("pixel %d,%d is %s, not %s: the picture is not shown 1:1" % (x, y, seen, stripe(x, y, width)))
                return 1
    print("%dx%d: every pixel of the stripes as in the picture" % (width, height))
    return 0


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "make":
        make(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]))
        return 0
    if len(sys.argv) >= 3 and sys.argv[1] == "shot":
        ignore = int(sys.argv[4]) if len(sys.argv) == 5 and sys.argv[3] == "--ignore-bottom" else 0
        return shot(sys.argv[2], ignore)
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
