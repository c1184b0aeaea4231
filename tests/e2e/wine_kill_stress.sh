#!/usr/bin/env bash
# A manual stress check, too slow for every run: kestrova.exe under Wine
# shows a saved list of many rows (start mode 2) and is closed by its close
# box, and the close is killed at a moment spread evenly across it, from the
# close request to the end of the process. After every kill the files must
# be what the next start shows every row from: each of Kestrova.ini and
# Kestrova.csv whole, or missing with a whole last save that the start puts
# back. Every tenth kill, and after the last, the next start itself is
# checked: started and closed without a kill, it must write back every row
# and settings that still describe them.
#   wine_kill_stress.sh <kestrova.exe> [kills (200)] [rows (100000)] [real starts every (10)]
# Needs wine64 (or wine), Xvfb, xdotool and python3. Prints one line per kill
# and a summary; exits non-zero when a start showed fewer rows.
set -euo pipefail

exe=$(realpath "$1")
kills=${2:-200}
rows=${3:-100000}
check_every=${4:-10}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" "$@"
fi

source "$here/e2e_lib.sh"
source "$here/wine_lib.sh"

# A prefix of its own: the checks below wait for its server to end.
wine_work own
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

# A start that ends by itself leaves no trace once the work folder is gone:
# its exit code, what it printed and the files it started from are kept.
ended_at_start() {
  local code=0 kept
  wait "$pid" || code=$?
  pid=""
  kept=$(mktemp -d "${TMPDIR:-/tmp}/kestrova-kill-stress-XXXXXX")
  cp -r "$work/app" "$work/program.log" "$kept/" 2>/dev/null || true
  fail "the program ended at its start with exit code $code; its files and output are kept in $kept"
}

# Starts the program, waits for its window, then until it is idle: a long
# list keeps it busy for a while after its window shows, and a close sent
# then waits in the queue.
start() {
  "$wine" "$work/app/kestrova.exe" 2>>"$work/program.log" &
  pid=$!
  window=""
  for _ in $(seq 1 3000); do
    window=$(main_window)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || ended_at_start
    sleep 0.1
  done
  [ -n "$window" ] || fail "no main window after five minutes"
  local last="" now same=0
  while [ "$same" -lt 4 ]; do
    now=$(cut -d' ' -f14,15 "/proc/$pid/stat" 2>/dev/null) || ended_at_start
    if [ "$now" = "$last" ]; then same=$((same + 1)); else same=0; fi
    last=$now
    sleep 0.25
  done
}

now() { date +%s.%N; }

# What the next start reads: each file whole, or missing with a whole last
# save (the newest Kestrova.*.new-<pid>) that the start puts back.
files_whole() {
  python3 - "$work/app" "$rows" <<'PY'
import glob, os, sys
folder, rows = sys.argv[1], int(sys.argv[2])
def pick(name):
    path = os.path.join(folder, name)
    if os.path.exists(path):
        return path, "file"
    saves = sorted(glob.glob(path + ".new-*"), key=os.path.getmtime)
    if not saves:
        sys.exit("%s: neither the file nor a whole save" % name)
    return saves[-1], "a whole save to put back"
ini, ini_state = pick("Kestrova.ini")
csv, csv_state = pick("Kestrova.csv")
lines = open(ini, "rb").read().split(b"\r\n")
assert len(lines) == 37, "%s: %d lines" % (ini, len(lines) - 1)
assert lines[16].split(b",")[3] == b"2", "%s: start mode %r" % (ini, lines[16])
assert lines[34].startswith(str(rows).encode() + b","), "%s: line 35 %r" % (ini, lines[34])
got = open(csv, "rb").read().count(b"\r\n") - 1
assert got == rows, "%s holds %d rows" % (csv, got)
print("settings: %s, list: %s" % (ini_state, csv_state))
PY
}

# One start and close without a kill: the start must have read its settings
# and shown every row (the close writes back what it shows). Also how long
# the close takes, from the request to the end of the process.
checked_start() {
  start
  local begin
  python3 "$here/x11_close.py" "$window"
  begin=$(now)
  while kill -0 "$pid" 2>/dev/null; do sleep 0.01; done
  wait "$pid" 2>/dev/null || true
  pid=""
  close_seconds=$(python3 -c "print($(now) - $begin)")
  "$wineserver" -w
  files_whole >/dev/null || fail "a start did not show every row, or lost the settings"
  ls "$work/app" | grep -q '\.new-\|\.tmp-' && fail "a start left a temporary behind"
  return 0
}

# The shortest of three closes, so the kills fall inside every one.
span=""
for _ in 1 2 3; do
  checked_start
  span=$(python3 -c "print(min(x for x in ($close_seconds, ${span:-$close_seconds})))")
done
echo "a whole close takes ${span}s"
kills_in_close=0
put_back=0
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
  [ "$moment" = "during the close" ] && kills_in_close=$((kills_in_close + 1))
  state=$(files_whole) || fail "kill $kill_number at ${delay}s left no whole list or settings"
  case "$state" in *"to put back"*) put_back=$((put_back + 1)) ;; esac
  checked=""
  if [ $((kill_number % check_every)) -eq 0 ] || [ "$kill_number" -eq "$kills" ]; then
    checked_start
    checked="; the next start showed all $rows rows"
  fi
  echo "kill $kill_number at ${delay}s ($moment): $state$checked"
done
echo "PASS: $kills kills across the close ($kills_in_close of them while it ran, $put_back leaving a whole save to put back); after each the files held all $rows rows and the settings"
