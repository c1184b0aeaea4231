#!/usr/bin/env bash
# A manual stress check, too slow for every run: kestrova.exe under Wine
# shows a saved list of many rows (start mode 2) and is closed by its close
# box, and the close is killed at a moment spread evenly across it, from the
# close request to the end of the process. After every kill the next start
# must show every row: it is started and closed without a kill, and the
# list it writes back must hold them all. Also the settings it started from
# must be whole.
#   wine_kill_stress.sh <kestrova.exe> [kills (200)] [rows (100000)]
# Needs wine64 (or wine), Xvfb, xdotool and python3. Prints one line per kill
# and a summary; exits non-zero when a start showed fewer rows.
set -euo pipefail

exe=$(realpath "$1")
kills=${2:-200}
rows=${3:-100000}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" "$@"
fi

source "$here/e2e_lib.sh"
find_wine

work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  WINEPREFIX="$work/prefix" "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

"$wine" wineboot --init >/dev/null 2>&1
"$wineserver" -w
mkdir "$work/app"
cp "$exe" "$work/app/kestrova.exe"

# The settings (start mode 2, sorted by name so every close writes the same
# bytes) and the list of $rows rows they describe.
python3 - "$work/app" "$rows" <<'PY'
import sys
folder, count = sys.argv[1], int(sys.argv[2])
lines = ['"stress","C:\\\\",0,0'] + ['"","",0,0'] * 15
lines.append('0,0,0,2,10335,5880,10215,5202,"*.*"')
lines.append('2000,1,0,0,0,0,3582,4762,4350,5835,1')
lines += ['"*.*"'] + ['""'] * 15
lines.append('%d,%d,0,"","         [24/05/01 13:45:07]"' % (count, count * 1234))
lines.append('1,0,3,0,0,0')
open(folder + "/Kestrova.ini", "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
out = ['"","","","",""']
for i in range(count):
    out.append('"file%06d.dat","C:\\data\\%03d","%20s","2024/05/01 13:45:07","01"' % (i, i % 1000, "1,234 "))
open(folder + "/Kestrova.csv", "wb").write(("\r\n".join(out) + "\r\n").encode("cp932"))
PY

main_window() {
  xdotool search --onlyvisible --name "^ケストロヴァ \(Kestrova\) ZI22$" 2>/dev/null | head -n 1 || true
}

# Starts the program and waits until its list is loaded and its window shown.
start() {
  "$wine" "$work/app/kestrova.exe" &
  pid=$!
  window=""
  for _ in $(seq 1 1200); do
    window=$(main_window)
    [ -n "$window" ] && return 0
    kill -0 "$pid" 2>/dev/null || fail "the program ended at its start"
    sleep 0.1
  done
  fail "no main window after two minutes"
}

now() { date +%s.%N; }

# The rows in the list file.
rows_written() {
  python3 - "$work/app/Kestrova.csv" <<'PY'
import sys
print(open(sys.argv[1], "rb").read().count(b"\r\n") - 1)
PY
}

# One close without a kill: how long the whole close takes, and a check
# that the start before it read its settings and showed every row (it
# writes back the rows it showed, and settings still in start mode 2 that
# describe them).
checked_start() {
  start
  local begin
  python3 "$here/x11_close.py" "$window"
  begin=$(now)
  while kill -0 "$pid" 2>/dev/null; do sleep 0.01; done
  wait "$pid" 2>/dev/null || true
  pid=""
  close_seconds=$(python3 -c "print($(now) - $begin)")
  shown=$(rows_written)
  [ "$shown" -eq "$rows" ] || fail "a start showed $shown rows of $rows"
  python3 - "$work/app/Kestrova.ini" "$rows" <<'PY' || fail "the settings were lost"
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
assert len(lines) == 37, "36 lines"
assert lines[16].split(b",")[3] == b"2", "start mode 2: %r" % lines[16]
assert lines[34].startswith(sys.argv[2].encode() + b","), "line 35 counts the rows: %r" % lines[34]
PY
}

checked_start
echo "a whole close takes ${close_seconds}s"
span=$close_seconds
leftovers_put_back=0
kills_in_close=0
for kill_number in $(seq 1 "$kills"); do
  delay=$(python3 -c "print($span * ($kill_number - 0.5) / $kills)")
  start
  python3 "$here/x11_close.py" "$window"
  sleep "$delay"
  moment="during the close"
  kill -KILL "$pid" 2>/dev/null || moment="after the close had ended"
  wait "$pid" 2>/dev/null || true
  pid=""
  "$wineserver" -w
  state="file"
  [ -e "$work/app/Kestrova.csv" ] || state="no file, $(ls "$work/app" | grep -c 'Kestrova.csv.new-' || true) whole save(s) left"
  [ "$state" = file ] || leftovers_put_back=$((leftovers_put_back + 1))
  [ "$moment" = "during the close" ] && kills_in_close=$((kills_in_close + 1))
  checked_start
  echo "kill $kill_number at ${delay}s ($moment): $state; the next start showed all $rows rows"
done
echo "PASS: $kills kills across the close ($kills_in_close of them while it ran); every next start showed all $rows rows ($leftovers_put_back times from a whole save put back)"
