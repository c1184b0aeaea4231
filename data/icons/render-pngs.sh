#!/usr/bin/env bash
# Renders the application icon's PNG sizes from kestrova.svg. Run it after
# changing the SVG; the PNGs are kept beside it so that building needs no
# SVG renderer. Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" kestrova.svg -o "kestrova-$size.png"
done
# The Windows program's icon holds the same sizes.
./make-ico.py
