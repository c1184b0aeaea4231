#!/usr/bin/env bash
# The settings screen of kestrova.exe under Wine, there and back: opened by
# "設定", a title and a folder typed into row 2, row 3's folder chosen in the
# folder browser (which starts at the computer's drives) so that its empty
# title becomes the folder's short name, "繰り返し" ticked and the display
# time changed; "閉じる", then the close box. Kestrova.ini holds all of it.
#   wine_settings_e2e.sh <kestrova.exe> <wine_probe.exe>
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_lib.sh"
source "$here/wine_lib.sh"
wine_display "$@"

wine_test "$1" "$2"

write_settings "$work/win/Kestrova.ini" "$(windows_path "$work/files")" 0
start_program "$work/win"

screen="ケストロヴァ 設定画面(Kestrova)"
click_at 1 "$(probe control "$main_title" 設定)"
wait_window "$screen"
# A control of the screen by its place in twips (left, top within the window).
click_screen() { click_at 1 "$(probe at "$screen" "$1" "$2")"; }
type_text() { xdotool type --delay 20 "$1"; }

# Row 2: title box at 480,600; folder box at 1680,600.
click_screen 1000 735
type_text "Videos"
click_screen 2500 735
type_text 'C:\windows'

# Row 3's folder from the browser: the first drive under the computer,
# picked in its tree by the keys, and "OK" by Return.
click_screen 2500 975
click_at 1 "$(probe control "$screen" 参照)"
browser="Browse for Folder"
wait_window "$browser"
click_at 1 "$(probe kind "$browser" SysTreeView32)"
xdotool key Home Down
xdotool key Return
wait_window "$browser" gone

# "繰り返し" at 5880,3600; the display time at 5800,4320.
click_screen 5960 3690
click_screen 5950 4455
xdotool key End BackSpace BackSpace BackSpace
type_text 7
click_at 1 "$(probe control "$screen" 閉じる)"
wait_window "$screen" gone
close_program

python3 - "$work/win/Kestrova.ini" <<'PY'
import sys
lines = open(sys.argv[1], "rb").read().decode("cp932").split("\r\n")
expected = {2: '"Videos","C:\\windows",0,0', 3: '"C:\\","C:\\",0,0', 36: "1,1,7,0,0,0"}
for number, text in expected.items():
    assert lines[number - 1] == text, "line %d is %r, not %r" % (number, lines[number - 1], text)
PY
echo "PASS: wine_settings_e2e"
