#!/usr/bin/env bash
# The automatic runs of the real program under Xvfb: started with a refresh
# of a small folder, the slideshow ("Pem View") or the media player
# ("MediaPlayerc") plays the whole list and the program ends by itself.
#   auto_run_e2e.sh <kestrova binary> slideshow|player
set -euo pipefail

binary=$1
mode=$2

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$binary" "$work/kestrova"
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/files"
if [ "$mode" = slideshow ]; then
  choice=3 pattern='*.*'
  # Three small pictures of two kinds, and one file that is no picture.
  python3 "$(dirname "$0")/write_pictures.py" "$work/files" a.bmp:640x480:200,0,0 b.png:2000x1000:0,160,0 \
    c.PNG:30x60:0,0,200
  printf 'not a picture' > "$work/files/notes.txt"
else
  choice=2 pattern='*.avi'
  printf 'v' > "$work/files/first video.avi"
  printf 'v' > "$work/files/-second \$HOME; \"q\".avi"
  # The stand-in player records its arguments and plays for a second.
  printf '#!/bin/sh\n{ printf "%%s|" "$@"; echo; } >> "%s/played"\nsleep 1\n' "$work" > "$work/mplayerc.exe"
  chmod +x "$work/mplayerc.exe"
fi

# Refresh at start, the automatic run, "終了" after it; full screen, 1 s each.
python3 - "$work" "$choice" "$pattern" <<'PY'
import sys
work, choice, pattern = sys.argv[1:4]
lines = ['"テスト","%s/files",1,0' % work] + ['"","",0,0'] * 15
lines.append('1,0,0,1,10335,5880,10215,5202,"%s"' % pattern)
lines.append('2000,1,0,0,0,0,3582,4762,4350,5835,1')
lines += ['"%s"' % pattern] + ['""'] * 15
lines.append('0,0,0,"",""')
lines.append('0,0,1,%s,1,0' % choice)
open(work + "/Kestrova.ini", "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY

"$work/kestrova" &
pid=$!
covered=no
for _ in $(seq 1 300); do
  kill -0 "$pid" 2>/dev/null || break
  # The full-screen window covers the whole screen, without a window manager.
  for window in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null || true); do
    if xdotool getwindowgeometry "$window" 2>/dev/null | grep -q 'Geometry: 1280x1024'; then covered=yes; fi
  done
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then fail "the program did not end by itself"; fi
wait "$pid" || fail "the program ended with an error"
[ "$covered" = yes ] || fail "no window covered the screen"
[ ! -e "$work/Kestrova.csv" ] || fail "the automatic end saved the list"

if [ "$mode" = player ]; then
  expected="$work/files/-second \$HOME; \"q\".avi|/play|/fullscreen|/close|
$work/files/first video.avi|/play|/fullscreen|/close|"
  [ "$(cat "$work/played")" = "$expected" ] || { cat "$work/played"; fail "the player was not given each file in turn"; }
fi
echo "$mode: the automatic run played the list and the program ended by itself"
