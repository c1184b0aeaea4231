#!/usr/bin/env bash
# The real kestrova.exe under Wine at 96 and 144 dpi (100 % and 150 %): the
# automatic run after the start-up refresh shows a picture of 1-pixel
# stripes the size of the screen full screen, and the screen must show it
# pixel for pixel. A picture decoded in logical pixels and blown up to the
# screen greys the stripes.
#   wine_dpi_e2e.sh <kestrova.exe> [folder for the screenshots]
# Needs wine64, Xvfb, xdotool, x11-utils and python3.
set -euo pipefail

exe=$(realpath "$1")
shots=${2:-}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" "$@"
fi

source "$here/e2e_lib.sh"
source "$here/wine_lib.sh"
source "$here/stripes_lib.sh"
# A prefix of its own, made on this screen: Wine keeps the screen it finds
# when its server starts, and the test run's prefix is made without one.
wine_work own
mkdir -p "$work/win"
cp "$exe" "$work/win/kestrova.exe"
prepare_stripes "$work" "$work/win/Kestrova.ini" "Z:${work//\//\\}\\pics"

for dpi in 96 144; do
  wine_dpi "$dpi"
  "$wine" "$work/win/kestrova.exe" &
  pid=$!
  check_stripes_shown "kestrova.exe at $dpi dpi" "$pid" kestrova.exe "$work/shot-$dpi.png"
  pid=""
  [ -z "$shots" ] || cp "$work/shot-$dpi.png" "$shots/wine-stripes-${dpi}dpi.png"
done
echo "PASS: wine_dpi_e2e"
