#!/usr/bin/env bash
# Opening files with kestrova.exe under Wine: a stand-in program is the
# opener of the test's file type in the prefix. A double click opens one
# row; "開く" from the list menu over three selected rows walks them with the
# next-item dialog ("次へ", "戻る"), hiding the main window meanwhile and
# showing it again at the end.
#   wine_open_e2e.sh <kestrova.exe> <wine_probe.exe> <wine_stand_in.exe>
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" "$@"
fi
source "$here/e2e_lib.sh"
source "$here/wine_lib.sh"

work=$(mktemp -d)
pid=""
cleanup() {
  wine_cleanup
  printf '[-HKEY_CURRENT_USER\\Software\\Classes\\.kestrova-e2e]\n\n[-HKEY_CURRENT_USER\\Software\\Classes\\KestrovaE2E.File]\n' |
    wine_registry
  rm -rf "$work"
}
trap cleanup EXIT
wine_session "$work"
probe_exe=$2

mkdir -p "$work/win" "$work/files"
cp "$1" "$work/win/kestrova.exe"
cp "$3" "$work/opener.exe"
for name in a "b 写真" c; do printf 'x' > "$work/files/$name.kestrova-e2e"; done
printf 'not listed' > "$work/files/d.txt"
wine_registry <<REG
[HKEY_CURRENT_USER\\Software\\Classes\\.kestrova-e2e]
@="KestrovaE2E.File"

[HKEY_CURRENT_USER\\Software\\Classes\\KestrovaE2E.File\\shell\\open\\command]
@="\\"$(reg_path "$work/opener.exe")\\" \\"%1\\""
REG
write_settings "$work/win/Kestrova.ini" "$(windows_path "$work/files")" 1 1,0,3,0,0,0 \
  2000,1,0,0,0,0,3582,4762,4350,5835,1 '*.kestrova-e2e'
log="$work/opener.exe.log"
files=$(windows_path "$work/files")

start_program "$work/win"

# One row by a double click.
xdotool mousemove $(row_point 2) click --repeat 2 --delay 80 1
wait_lines "$log" 1

# All three rows (the middle button selects every row), "開く" from the menu.
click_at 2 "$(row_point 1)"
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
echo "opened: a double click, then the walk 1/3, 2/3, back to 1/3, 2/3, 3/3"

close_program
echo "PASS: wine_open_e2e"
