#!/usr/bin/env bash
# Opening files with kestrova.exe under Wine: a stand-in program is the
# opener of the test's file type in the prefix. A double click on a row
# opens that file by itself; "開く" from the list menu over three selected
# rows walks them with the next-item dialog ("次へ", "戻る"), hiding the main
# window meanwhile and showing it again at the end.
#   wine_open_e2e.sh <kestrova.exe> <wine_probe.exe> <wine_stand_in.exe>
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_lib.sh"
source "$here/wine_lib.sh"
wine_display "$@"

undo() {
  printf '[-HKEY_CLASSES_ROOT\\.kestrova-e2e]\n\n[-HKEY_CLASSES_ROOT\\KestrovaE2E.File]\n' |
    wine_registry
}
wine_test "$1" "$2"

cp "$3" "$work/opener.exe"
for name in a "b 写真" c; do printf 'x' > "$work/files/$name.kestrova-e2e"; done
printf 'not listed' > "$work/files/d.txt"
# The machine's classes: Wine's shell does not look in the user's own.
wine_registry <<REG
[HKEY_CLASSES_ROOT\\.kestrova-e2e]
@="KestrovaE2E.File"

[HKEY_CLASSES_ROOT\\KestrovaE2E.File\\shell\\open\\command]
@="\\"$(reg_path "$work/opener.exe")\\" \\"%1\\""
REG
write_settings "$work/win/Kestrova.ini" "$(windows_path "$work/files")" 1 1,0,3,0,0,0 \
  2000,1,0,0,0,0,3582,4762,4350,5835,1 '*.kestrova-e2e'
log="$work/opener.exe.log"
files=$(windows_path "$work/files")

start_program "$work/win" 3

# A double click opens the row under the pointer with no dialog, and the
# main window stays.
point=$(row_point 2)
xdotool mousemove ${point% *} ${point#* } click --repeat 2 --delay 80 1
wait_lines "$log" 1
probe windows | grep -q "$main_title" || fail "the main window went for a single row"

# All three rows, "開く" from the menu.
select_all 3
list_menu 1 1
dialog="次処理へ(ケストロヴァ)"
wait_window "$dialog 1/3"
probe wait "$main_title" gone || fail "the main window stayed while the dialog walks"
step() {
  click_at 1 "$(probe control "$dialog $1" "$2")"
  wait_window "$dialog $3"
}
step 1/3 次へ 2/3
step 2/3 戻る 1/3
step 1/3 次へ 2/3
step 2/3 次へ 3/3
click_at 1 "$(probe control "$dialog 3/3" 次へ)"
wait_window "$main_title"
wait_window "$dialog*" gone
wait_lines "$log" 6

python3 - "$log" "$(windows_path "$work/opener.exe")" "$files" <<'PY'
import sys
log, opener, files = sys.argv[1:4]
lines = [l.split(" | ", 1)[1] for l in open(log, encoding="utf-8").read().splitlines()]
expected = ['"%s" "%s\\%s.kestrova-e2e"' % (opener, files, name) for name in
            ["b 写真", "a", "b 写真", "a", "b 写真", "c"]]
assert lines == expected, "the opener was given:\n%s\nnot:\n%s" % ("\n".join(lines), "\n".join(expected))
PY
echo "opened: one row by a double click, then the walk 1/3, 2/3, back to 1/3, 2/3, 3/3"

close_program
echo "PASS: wine_open_e2e"
