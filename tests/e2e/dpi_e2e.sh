#!/usr/bin/env bash
# The real program under Xvfb at Qt scale factors 1, 1.5 and 2: the
# automatic run after the start-up refresh shows a picture of 1-pixel
# stripes the size of the screen full screen, and the screen must show it
# pixel for pixel, not decoded in logical pixels and blown up.
#   dpi_e2e.sh <kestrova> [folder for the screenshots]
set -euo pipefail

program=$(realpath "$1")
shots=${2:-}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" "$@"
fi

work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

source "$here/e2e_lib.sh"
source "$here/stripes_lib.sh"
mkdir -p "$work/program"
cp "$program" "$work/program/kestrova"
prepare_stripes "$work" "$work/program/Kestrova.ini" "$work/pics"

for scale in 1 1.5 2; do
  QT_SCALE_FACTOR=$scale "$work/program/kestrova" 2>/dev/null &
  pid=$!
  check_stripes_shown "kestrova at scale $scale" "$pid" kestrova "$work/shot-$scale.png"
  pid=""
  [ -z "$shots" ] || cp "$work/shot-$scale.png" "$shots/qt-stripes-$scale.png"
done
echo "PASS: dpi_e2e"
