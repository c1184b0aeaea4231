#!/usr/bin/env bash
# Playing videos with kestrova.exe under Wine, with stand-ins for the players.
#   menu   "Media Player Classic (動画)" from the list menu: with no player
#          at all, the message names mplayerc.exe beside the program; with a
#          stand-in mplayerc.exe there, the two selected rows play one at a
#          time over the black backdrop, each with its command line
#   auto   no mplayerc.exe beside the program but a VLC registered in the
#          prefix: the automatic run after a start-up refresh plays the list
#          with VLC's own switches and the program ends by itself, saving
#          nothing
#   wine_player_e2e.sh <kestrova.exe> <wine_probe.exe> <wine_stand_in.exe> menu|auto
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_lib.sh"
source "$here/wine_lib.sh"
wine_display "$@"

mode=$4
undo() {
  if [ "$mode" = auto ]; then printf '[-HKEY_LOCAL_MACHINE\\SOFTWARE\\VideoLAN\\VLC]\n' | wine_registry; fi
}
wine_test "$1" "$2"

mkdir -p "$work/VLC"
printf 'v' > "$work/files/first video.avi"
printf 'v' > "$work/files/second 動画.avi"
files=$(windows_path "$work/files")
export KESTROVA_STAND_IN_MS=300

# The lines a stand-in wrote: each alone, each over the backdrop, and the
# command lines in $2.. in order.
check_played() {
  python3 - "$@" <<'PY'
import sys
log, expected = sys.argv[1], sys.argv[2:]
lines = open(log, encoding="utf-8").read().splitlines()
flags = [l.split(" | ", 1)[0] for l in lines]
commands = [l.split(" | ", 1)[1] for l in lines]
assert commands == expected, "the player was given:\n%s\nnot:\n%s" % ("\n".join(commands), "\n".join(expected))
assert all(f == "alone covered" for f in flags), "each player plays alone over the backdrop: %s" % flags
PY
}
part_line() { echo "$(windows_path "$work/win/mplayerc.exe") \"$files\\$1\" /play /fullscreen /close"; }

case "$mode" in
  menu)
    write_settings "$work/win/Kestrova.ini" "$files" 1 1,0,3,0,0,0 "" '*.avi'
    start_program "$work/win" 2
    select_all 2
    list_menu 4 1
    text=$(message_text)
    [ "$text" = "$(windows_path "$work/win/mplayerc.exe") が見つかりません。開く(実行)できませんでした。" ] ||
      fail "the message without any player reads: $text"
    answer_message
    wait_window "$main_title"
    echo "no player at all: the message names mplayerc.exe beside the program"

    cp "$3" "$work/win/mplayerc.exe"
    list_menu 4 1
    wait_lines "$work/win/mplayerc.exe.log" 2
    wait_window "$main_title"
    check_played "$work/win/mplayerc.exe.log" "$(part_line "first video.avi")" "$(part_line "second 動画.avi")"
    close_program
    ;;
  auto)
    cp "$3" "$work/VLC/vlc.exe"
    wine_registry <<REG
[HKEY_LOCAL_MACHINE\\SOFTWARE\\VideoLAN\\VLC]
"InstallDir"="$(reg_path "$work/VLC")"
REG
    # Refresh at start, the automatic run "MediaPlayerc", "終了" after it.
    write_settings "$work/win/Kestrova.ini" "$files" 1 0,0,1,2,1,0 "" '*.avi'
    "$wine" "$work/win/kestrova.exe" &
    pid=$!
    wait_program_end "by itself after its automatic run"
    [ ! -e "$work/win/Kestrova.csv" ] || fail "the automatic end saved the list"
    vlc="$(windows_path "$work/VLC/vlc.exe") --fullscreen --play-and-exit --no-one-instance --"
    check_played "$work/VLC/vlc.exe.log" "$vlc \"$files\\first video.avi\"" "$vlc \"$files\\second 動画.avi\""
    ;;
  *) fail "unknown mode $mode" ;;
esac
echo "PASS: wine_player_e2e $mode"
