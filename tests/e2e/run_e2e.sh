#!/usr/bin/env bash
# End-to-end checks of the real program under Xvfb: it starts in an empty
# program folder, shows its main window, and writes Kestrova.ini when it is
# closed by the close box or by "終了" answered with Yes (and not with No).
# "refresh" lists a small tree with the refresh button and is closed by its
# close box; "term" and "hup" do the same but end the program as a logout or
# a shutdown does, with SIGTERM or SIGHUP: both files must be written all
# the same. "previous" starts by showing the saved list (in name order, as
# the settings sort it) and must write it back as it was.
#   run_e2e.sh <kestrova binary> close|exit|refresh|term|hup|previous [screenshot.png]
set -euo pipefail

binary=$1
mode=$2
screenshot=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$binary" "$work/kestrova"
ini="$work/Kestrova.ini"

source "$here/e2e_lib.sh"

# Start mode 0 keeps start-up from scanning anything; the refresh checks
# give row 1 a small folder for the refresh button.
if [ "$mode" = refresh ] || [ "$mode" = term ] || [ "$mode" = hup ]; then
  mkdir -p "$work/files/sub"
  printf 'hello' > "$work/files/a.txt"
  printf 'hello' > "$work/files/b.txt"
  printf 'x' > "$work/files/sub/c.txt"
  python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
lines = ['"テスト","%s/files",1,1' % work] + ['"","",0,0'] * 15
lines.append('1,0,0,0,10335,5880,10215,5202,"*.*"')
lines.append('2000,1,0,0,0,0,3582,4762,4350,5835,1')
lines += ['"*.*"'] + ['""'] * 15
lines.append('0,0,0,"",""')
lines.append('1,0,3,0,0,0')
open(work + "/Kestrova.ini", "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY
fi

list="$work/Kestrova.csv"
if [ "$mode" = previous ]; then
  python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
lines = ['"テスト","%s/gone",1,0' % work] + ['"","",0,0'] * 15
lines.append('0,0,0,2,10335,5880,10215,5202,"*.*"')
lines.append('2000,1,1,1,0,0,3582,4762,4350,5835,1')
lines += ['"*.*"'] + ['""'] * 15
lines.append('2,12,0,"","         [07/11/23 01:08:15]"')
lines.append('0,0,3,0,0,0')
open(work + "/Kestrova.ini", "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
rows = ['"","","","",""',
        '"a, ""b"".txt","/pics","                  7 ","2007/11/23 01:08:16","02"',
        '"写真 1.jpg","/pics","                  5 ","2007/11/23 01:08:15","01"']
open(work + "/Kestrova.csv", "wb").write(("\r\n".join(rows) + "\r\n").encode("cp932"))
PY
  cp "$list" "$work/expected.csv"
fi

"$work/kestrova" &
pid=$!

wait_for_main_window "$pid"
title=$(xdotool getwindowname "$window")
echo "main window: $title"
sleep 1

if [ -n "$screenshot" ]; then
  if command -v import >/dev/null; then import -window root "$screenshot"; fi
fi

case "$mode" in
  close)
    [ "$title" = "ケストロヴァ (Kestrova) ZI22" ] || fail "title is '$title'"
    [ ! -e "$ini" ] || fail "settings written before closing"
    python3 "$here/x11_close.py" "$window"
    ;;
  exit)
    # The exit button sits at 48,296 px in the window (720,4440 twips).
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 76)) $((Y + 306)) click 1
    sleep 1
    box=$(xdotool search --onlyvisible --name "^Kestrova$" 2>/dev/null | head -n 1 || true)
    [ -n "$box" ] || fail "no question box"
    xdotool key Escape
    sleep 1
    kill -0 "$pid" 2>/dev/null || fail "answering No ended the program"
    [ ! -e "$ini" ] || fail "answering No wrote the settings"
    xdotool mousemove $((X + 76)) $((Y + 306)) click 1
    sleep 1
    box=$(xdotool search --onlyvisible --name "^Kestrova$" 2>/dev/null | head -n 1 || true)
    [ -n "$box" ] || fail "no question box the second time"
    xdotool key Return
    ;;
  refresh|term|hup)
    # "最新の情報に更新" sits at 3,264 px in the window (50,3960 twips), 103 x 28 px.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 55)) $((Y + 278)) click 1
    sleep 2
    [ ! -e "$list" ] || fail "the list file was written before the end"
    case "$mode" in
      refresh) python3 "$here/x11_close.py" "$window" ;;
      term) kill -TERM "$pid" ;;
      hup) kill -HUP "$pid" ;;
    esac
    ;;
  previous)
    python3 "$here/x11_close.py" "$window"
    ;;
esac

for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end"
status=0
wait "$pid" || status=$?
# The signal only asks; the program's own close ends it.
if [ "$mode" = term ] || [ "$mode" = hup ]; then
  [ "$status" -eq 0 ] || fail "ended by the signal itself (status $status), not by its close"
fi
[ -f "$ini" ] || fail "Kestrova.ini was not written"

python3 - "$ini" "$mode" <<'PY'
import sys
path, mode = sys.argv[1], sys.argv[2]
raw = open(path, "rb").read()
assert raw.endswith(b"\r\n"), "lines end in CR LF"
lines = raw.split(b"\r\n")[:-1]
assert len(lines) == 36, "36 lines, got %d" % len(lines)
if mode in ("close", "exit"):
    expected = {
        1: '"私の円盤","/",1,0', 2: '"","",0,0',
        17: '0,1,3,1,10335,5880,10215,5202,"*.*"', 18: '2000,1,1,1,0,0,3582,4762,4350,5835,1',
        19: '"*.*"', 20: '"*.jpg"', 21: '"*.avi;*.mpg;*.wmv"', 22: '"VIDEO_TS.IFO"', 23: '"*東京*.*"', 24: '""',
        36: '1,0,3,0,0,0',
    }
    for number, text in expected.items():
        got = lines[number - 1]
        assert got == text.encode("cp932"), "line %d is %r" % (number, got)
elif mode == "previous":
    assert lines[34] == b'2,12,0,"","         [07/11/23 01:08:15]"', "line 35 is %r" % lines[34]
else:
    fields = lines[34].decode("cp932").split(",")
    assert fields[0] == "3", "three files listed, line 35 is %r" % lines[34]
    assert fields[1] == "11", "eleven bytes, line 35 is %r" % lines[34]
print("Kestrova.ini checked: %s" % mode)
PY
if [ "$mode" = previous ]; then
  cmp "$list" "$work/expected.csv" || fail "Kestrova.csv was not written back as it was"
fi
echo "PASS: $mode"
