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
source "$here/e2e_lib.sh"
source "$here/wine_lib.sh"
wine_display "$@"

mode=$3
dpi=$4
wine_test "$1" "$2"
wine_dpi "$dpi"

# Pictures of two kinds and sizes, one of them as large as the screen, and
# a file that is no picture.
python3 "$here/write_pictures.py" "$work/files" a.bmp:400x300:200,0,0 "b 写真.png:1600x1000:0,160,0"
printf 'not a picture' > "$work/files/notes.txt"
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
    start_program "$work/win" 3
    select_all 3
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
