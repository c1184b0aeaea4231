#!/usr/bin/env bash
# The picture viewer "Pem View" of kestrova.exe under Wine, with the screen
# at 96 or 144 dpi (150 %).
#   full      the automatic slideshow after a start-up refresh covers the
#             screen, shows the list and the program ends by itself
#   window    "Pem View (画像)" from the list menu shows the pictures in the
#             window "Pem View"; a key ends the slideshow and the setting
#             "全画面表示" stays off when the program is closed
#   wine_viewer_e2e.sh <kestrova.exe> <wine_probe.exe> full|window <dpi>
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" "$@"
fi
source "$here/e2e_lib.sh"
source "$here/wine_lib.sh"

mode=$3
dpi=$4
work=$(mktemp -d)
pid=""
set_dpi() {
  printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n' "$1" | wine_registry
}
cleanup() {
  wine_cleanup
  [ "$dpi" = 96 ] || set_dpi 96
  rm -rf "$work"
}
trap cleanup EXIT
wine_session "$work"
probe_exe=$2
[ "$dpi" = 96 ] || set_dpi "$dpi"

mkdir -p "$work/win" "$work/files"
cp "$1" "$work/win/kestrova.exe"
# Pictures of two kinds and sizes, one of them as large as the screen, and
# a file that is no picture.
python3 - "$work/files" <<'PY'
import struct, sys, zlib
folder = sys.argv[1]
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
bmp(folder + "/a.bmp", 400, 300, (200, 0, 0))
png(folder + "/b 写真.png", 1600, 1000, (0, 160, 0))
open(folder + "/notes.txt", "w").write("not a picture")
PY
files=$(windows_path "$work/files")
# The window "Pem View" remembers its place in line 18; full screen is its last field.
line18() { echo "2000,1,0,0,0,0,1500,1500,4350,5835,$1"; }

case "$mode" in
  full)
    # Refresh at start, the automatic run "Pem View", "終了" after it, 1 s a picture.
    write_settings "$work/win/Kestrova.ini" "$files" 1 0,0,1,3,1,0 "$(line18 1)"
    "$wine" "$work/win/kestrova.exe" &
    pid=$!
    covering=$(probe covered) || fail "no window covered the screen"
    [ -z "$covering" ] || fail "the full-screen viewer has a caption: $covering"
    wait_program_end "by itself after the automatic slideshow"
    [ ! -e "$work/win/Kestrova.csv" ] || fail "the automatic end saved the list"
    ;;
  window)
    write_settings "$work/win/Kestrova.ini" "$files" 1 0,0,30,0,0,0 "$(line18 0)"
    start_program "$work/win"
    click_at 2 "$(row_point 1)"
    list_menu 5 1
    wait_window "Pem View"
    # Keys go to the window under the pointer: there is no window manager.
    window=$(probe windows | awk -F'\t' '$4 == "Pem View" { print $3 }')
    IFS=, read -r x y w h <<<"$window"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) key Escape
    wait_window "Pem View" gone
    close_program
    python3 - "$work/win/Kestrova.ini" <<'PY'
import sys
line = open(sys.argv[1], "rb").read().split(b"\r\n")[17].decode("cp932")
assert line.endswith(",0"), "full screen stays off: line 18 is %r" % line
PY
    ;;
  *) fail "unknown mode $mode" ;;
esac
echo "PASS: wine_viewer_e2e $mode at $dpi dpi"
