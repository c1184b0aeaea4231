#!/usr/bin/env bash
# Renaming and deleting through the list menu of kestrova.exe under Wine, in
# one run: "名前の変更" renames a row's file; a name that cannot be given
# (one already taken, a character Windows forbids, a trailing dot and blank,
# a device name with or without an extension) shows the refusal message and
# reaches no file; "削除" asks, deletes the file and the row, and what the
# program saves at its close holds the new name and drops the deleted row.
#   wine_list_e2e.sh <kestrova.exe> <wine_probe.exe>
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_lib.sh"
source "$here/wine_lib.sh"
wine_display "$@"

wine_test "$1" "$2"

printf 'hello' > "$work/files/a.txt"
printf 'hello' > "$work/files/b.txt"
printf '1234567' > "$work/files/c.txt"
# Started idle and refreshed by its button: only then is the list saved at the close.
write_settings "$work/win/Kestrova.ini" "$(windows_path "$work/files")" 0
start_program "$work/win"
click_at 1 "$(probe control "$main_title" 最新の情報に更新)"
probe text "$main_title" Static "3 個のファイルを表示*" || fail "the refresh did not list the three files"

# The names now in the folder, one a line.
names() { (cd "$work/files" && ls -1A); }
# Waits for the list's edit of a name, holding $1.
wait_edit() {
  probe text "$main_title" Edit "$1" || fail "no edit of the name $1 opened"
}

# Row 3 is c.txt; its new name sorts last as well.
list_menu 2 3
wait_edit c.txt
xdotool type --delay 20 "renamed.txt"
xdotool key Return
for _ in $(seq 1 600); do [ -e "$work/files/renamed.txt" ] && break; sleep 0.1; done
[ "$(names)" = "$(printf 'a.txt\nb.txt\nrenamed.txt')" ] || fail "after the rename the folder holds: $(names)"
echo "renamed c.txt to renamed.txt"

list_menu 2 3
for refused in "a.txt" "a<b.txt" "x.txt. " "aux.txt" "con"; do
  wait_edit renamed.txt
  xdotool type --delay 20 "$refused"
  xdotool key Return
  text=$(message_text)
  case "$text" in
    ?*名前の変更はできませんでした。) ;;
    *) fail "renaming to '$refused' gave: $text" ;;
  esac
  answer_message
  echo "refused: '$refused'"
done
# The edit opens again after each refusal; Esc leaves it.
wait_edit renamed.txt
xdotool key Escape
[ "$(names)" = "$(printf 'a.txt\nb.txt\nrenamed.txt')" ] || fail "a refused name reached the folder: $(names)"

# Row 2 is b.txt, the size twin of a.txt marked "*".
list_menu 3 2
text=$(message_text)
[ "$text" = "b.txt　を削除しますか" ] || fail "the question reads: $text"
answer_message
for _ in $(seq 1 600); do [ -e "$work/files/b.txt" ] || break; sleep 0.1; done
[ "$(names)" = "$(printf 'a.txt\nrenamed.txt')" ] || fail "after the delete the folder holds: $(names)"
close_program
python3 - "$work/win" <<'PY'
import sys
folder = sys.argv[1]
line = open(folder + "/Kestrova.ini", "rb").read().split(b"\r\n")[34].decode("cp932")
assert line.startswith("2,12,0,"), "two files of 12 bytes and no same-size hit are left: line 35 is %r" % line
rows = open(folder + "/Kestrova.csv", "rb").read().decode("cp932")
assert "b.txt" not in rows and "a.txt" in rows and "renamed.txt" in rows and "c.txt" not in rows, rows
PY
echo "PASS: wine_list_e2e"
