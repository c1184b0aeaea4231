#!/usr/bin/env python3
"""Packs the icon's PNG sizes into kestrova.ico for the Windows program.

Windows reads PNG images inside an .ico directly, so the sizes are stored
as they are. Run after render-pngs.sh."""
import os
import struct

SIZES = (16, 24, 32, 48, 64, 128, 256)
here = os.path.dirname(os.path.abspath(__file__))
images = []
for size in SIZES:
    with open(os.path.join(here, f"kestrova-{size}.png"), "rb") as f:
        images.append((size, f.read()))

header = struct.pack("<HHH", 0, 1, len(images))
offset = len(header) + 16 * len(images)
directory = b""
for size, data in images:
    side = 0 if size >= 256 else size  # 0 stands for 256
    directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open(os.path.join(here, "kestrova.ico"), "wb") as f:
    f.write(header + directory + b"".join(data for _, data in images))
