#!/usr/bin/env bash
# The Windows program under Wine and the Linux program, side by side on the
# same small tree. kestrova.exe first starts with a refresh of the tree
# (start mode 1), shows its main window titled "ケストロヴァ (Kestrova) ZI22"
# and is closed by its close box; the list file is not written in that start
# mode, so the settings go on describing the list on disk. Then both
# programs start idle (start mode 0), refresh by their button and are closed,
# so both write Kestrova.ini and Kestrova.csv: the same bytes, apart from what
# names the machine (the folder as each system writes it), the time of the
# refresh and the window's frame. Last, kestrova.exe refreshes once more and
# the session ends under it (wineboot --end-session, as a logout or a
# shutdown): it must write both files on its way out.
#   wine_e2e.sh <kestrova.exe> <Linux kestrova> [screenshot.png]
# Needs wine64 (or wine), Xvfb, xdotool and python3. The Wine prefix is the
# test run's (see wine_lib.sh).
set -euo pipefail

exe=$(realpath "$1")
linux=$(realpath "$2")
screenshot=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" "$@"
fi

source "$here/e2e_lib.sh"
source "$here/wine_lib.sh"

wine_work

# The tree: fixed sizes and times, so both lists hold the same rows.
mkdir -p "$work/files/sub" "$work/win" "$work/linux"
printf 'hello' > "$work/files/a.txt"
printf 'hello' > "$work/files/b 写真.txt"
printf 'x' > "$work/files/sub/c.txt"
touch -d '2024-01-02 03:04:05' "$work/files/a.txt" "$work/files/b 写真.txt"
touch -d '2023-12-31 23:59:58' "$work/files/sub/c.txt"
windows_files="Z:${work//\//\\}\\files"

# Row 1 names the tree; $3 is the start mode.
write_settings() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
path, folder, mode = sys.argv[1], sys.argv[2], sys.argv[3]
lines = ['"テスト","%s",1,1' % folder] + ['"","",0,0'] * 15
lines.append('1,0,0,%s,10335,5880,10215,5202,"*.*"' % mode)
lines.append('2000,1,0,0,0,0,3582,4762,4350,5835,1')
lines += ['"*.*"'] + ['""'] * 15
lines.append('0,0,0,"",""')
lines.append('1,0,3,0,0,0')
open(path, "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY
}
cp "$exe" "$work/win/kestrova.exe"
cp "$linux" "$work/linux/kestrova"

# Starts a program, waits for its main window, checks the title, presses the
# refresh button when told where its window's inner area begins, closes it
# by its close box (or ends the Wine session under it) and waits for it to end.
#   run_and_close <name> <screenshot> <click: no | left,top> <close | end-session> <command...>
run_and_close() {
  local name=$1 shot=$2 click=$3 how=$4
  shift 4
  "$@" &
  pid=$!
  window=""
  for _ in $(seq 1 300); do
    window=$(xdotool search --onlyvisible --name "^ケストロヴァ \(Kestrova\) ZI22$" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "$name ended before showing its window"
    sleep 0.1
  done
  [ -n "$window" ] || fail "$name showed no window titled ケストロヴァ (Kestrova) ZI22"
  sleep 2
  if [ "$click" != no ]; then
    # "最新の情報に更新" is 50,3960 twips (3,264 px) from the inner area's corner, 103 x 28 px.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + ${click%,*} + 55)) $((Y + ${click#*,} + 278)) click 1
    sleep 3
  fi
  if [ -n "$shot" ] && command -v import >/dev/null; then import -window root "$shot"; fi
  if [ "$how" = end-session ]; then
    "$wine" wineboot --end-session
    wait_for_end "$pid" "$name at the end of the session"
  else
    python3 "$here/x11_close.py" "$window"
    wait_for_end "$pid" "$name closed by its close box"
  fi
  pid=""
  echo "$name: window shown and ended ($how)"
}

write_settings "$work/win/Kestrova.ini" "$windows_files" 1
run_and_close "kestrova.exe (start-up refresh)" "$screenshot" no close "$wine" "$work/win/kestrova.exe"
[ ! -e "$work/win/Kestrova.csv" ] || fail "a start that refreshes every time wrote the list file"
python3 - "$work/win/Kestrova.ini" <<'PY'
import sys
line = open(sys.argv[1], "rb").read().split(b"\r\n")[34]
assert line == b'0,0,0,"",""', "the settings describe the list file on disk (there is none): %r" % line
PY
echo "kestrova.exe: start-up refresh done, and the settings still describe the list on disk"

# Without a window manager Wine draws the frame itself: a 4-pixel border and
# a 19-pixel caption at 96 dpi. Qt's window here has no frame at all.
write_settings "$work/win/Kestrova.ini" "$windows_files" 0
write_settings "$work/linux/Kestrova.ini" "$work/files" 0
run_and_close "kestrova.exe" "" 4,23 close "$wine" "$work/win/kestrova.exe"
run_and_close "Linux kestrova" "" 0,0 close "$work/linux/kestrova"

for f in Kestrova.ini Kestrova.csv; do
  [ -f "$work/win/$f" ] || fail "kestrova.exe wrote no $f"
  [ -f "$work/linux/$f" ] || fail "the Linux program wrote no $f"
done

python3 - "$work" "$windows_files" <<'PY'
import re, sys
work, windows_files = sys.argv[1], sys.argv[2]
linux_files = work + "/files"

def read(side, name):
    return open("%s/%s/%s" % (work, side, name), "rb").read()

def same_folder(data):
    """The Windows folder as the Linux program writes it."""
    text = data.decode("cp932")
    def fold(m):
        return linux_files + m.group(1).replace("\\", "/")
    return re.sub(re.escape(windows_files) + r'((?:\\[^",\r\n]*)?)', fold, text).encode("cp932")

problems = []
win_ini, linux_ini = same_folder(read("win", "Kestrova.ini")).split(b"\r\n"), read("linux", "Kestrova.ini").split(b"\r\n")
if len(win_ini) != len(linux_ini):
    problems.append("Kestrova.ini: %d lines against %d" % (len(win_ini), len(linux_ini)))
for number, (w, l) in enumerate(zip(win_ini, linux_ini), 1):
    if number == 17:
        # The remembered window size is the real window's: its frame is the system's.
        w, l = w.split(b",", 4)[:4] + w.split(b",")[8:], l.split(b",", 4)[:4] + l.split(b",")[8:]
    if number == 35:
        # The time of the refresh.
        w, l = re.sub(rb"\[[0-9/: ]+\]", b"[time]", w), re.sub(rb"\[[0-9/: ]+\]", b"[time]", l)
    if w != l:
        problems.append("Kestrova.ini line %d: %r against %r" % (number, w, l))
win_csv, linux_csv = same_folder(read("win", "Kestrova.csv")), read("linux", "Kestrova.csv")
if win_csv != linux_csv:
    problems.append("Kestrova.csv differs:\n%r\n%r" % (win_csv, linux_csv))
rows = linux_csv.count(b"\r\n") - 1
if rows != 3:
    problems.append("Kestrova.csv holds %d rows, not the tree's 3" % rows)
for p in problems:
    print("FAIL: " + p, file=sys.stderr)
if problems:
    sys.exit(1)
print("Kestrova.ini and Kestrova.csv agree (%d rows)" % rows)
PY

mkdir "$work/session"
cp "$exe" "$work/session/kestrova.exe"
write_settings "$work/session/Kestrova.ini" "$windows_files" 0
run_and_close "kestrova.exe (end of the session)" "" 4,23 end-session "$wine" "$work/session/kestrova.exe"
python3 - "$work/session" <<'PY'
import sys
folder = sys.argv[1]
line = open(folder + "/Kestrova.ini", "rb").read().split(b"\r\n")[34]
assert line.startswith(b"3,11,1,"), "the settings describe the three files listed: %r" % line
rows = open(folder + "/Kestrova.csv", "rb").read().split(b"\r\n")[1:-1]
assert len(rows) == 3, "Kestrova.csv holds the three files: %r" % rows
print("the end of the session wrote Kestrova.ini and Kestrova.csv")
PY
echo "PASS: wine_e2e"
