#!/usr/bin/env bash
# An installed copy as an ordinary user has it: installed into a prefix the
# user may not write, started with a home folder of its own, one setting
# changed (the folder-column picture button) and closed; started again and
# closed. The settings go to ~/.config/kestrova/, the install folder stays
# untouched, and the file holds the same bytes that a portable copy, given
# the same steps, writes beside itself.
#   run_install.sh <cmake> <build folder>
set -euo pipefail

cmake_bin=$1
build=$2
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
xvfb_pid=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/e2e_lib.sh"

chmod 755 "$work"
"$cmake_bin" --install "$build" --prefix "$work/prefix" >/dev/null
program="$work/prefix/libexec/kestrova/kestrova"
[ -x "$program" ] || fail "the program was not installed"
[ -L "$work/prefix/bin/kestrova" ] && [ -x "$work/prefix/bin/kestrova" ] || fail "bin/kestrova does not lead to the program"
if [ -e "$build/bin/mplayerc.exe" ]; then
  [ -x "$work/prefix/libexec/kestrova/mplayerc.exe" ] || fail "the media player launcher is not beside the program"
fi
mkdir "$work/home" "$work/portable"
cp "$program" "$work/portable/kestrova"
chmod -R a-w "$work/prefix"

# Root may write anywhere: the user is played by "nobody" then.
as_user=(env -u XDG_CONFIG_HOME -u XDG_CACHE_HOME HOME="$work/home")
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || { echo "SKIP: no setpriv to run as an ordinary user"; exit 0; }
  chown 65534:65534 "$work/home" "$work/portable"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups "${as_user[@]}")
fi

# A display of our own without access control, so the other user may use it.
Xvfb -displayfd 5 -screen 0 1600x1000x24 -nolisten tcp -noreset 5>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(tr -d '\n' < "$work/display")"

# Starts the program, optionally clicks the folder-column button, closes
# the main window with its close box and waits for the program to end.
run() {
  local binary=$1 click=$2 window=""
  "${as_user[@]}" "$binary" &
  pid=$!
  wait_for_main_window "$pid"
  sleep 1
  if [ "$click" = click ]; then
    # Image2 sits at 600,4800 twips: 40,320 px, 32 px square.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 56)) $((Y + 336)) click 1
    sleep 0.5
  fi
  python3 "$here/x11_close.py" "$window"
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "the program did not end"
  wait "$pid" || true
  pid=""
}

run "$work/portable/kestrova" click
[ -f "$work/portable/Kestrova.ini" ] || fail "the portable copy did not write beside itself"
[ ! -e "$work/home/.config" ] || fail "the portable copy wrote into the home folder"

run "$program" click
settings="$work/home/.config/kestrova"
[ -f "$settings/Kestrova.ini" ] || fail "the installed copy did not write $settings/Kestrova.ini"
cp "$settings/Kestrova.ini" "$work/first.ini"
run "$program" no-click
[ -z "$(find "$work/prefix" -name 'Kestrova.*')" ] || fail "something was written into the install folder"
if [ -e "$work/portable/Kestrova.csv" ] && [ ! -e "$settings/Kestrova.csv" ]; then
  fail "the list file was not kept beside the settings"
fi

# Default settings refresh at start-up, so the time of the last refresh is
# the one field that may differ between the runs.
python3 - "$work/portable/Kestrova.ini" "$work/first.ini" "$settings/Kestrova.ini" <<'PY'
import re, sys
def without_time(path):
    return re.sub(rb"\[\d\d/\d\d/\d\d \d\d:\d\d:\d\d\]", b"[time]", open(path, "rb").read())
portable, first, second = (without_time(p) for p in sys.argv[1:])
lines = second.split(b"\r\n")
assert len(lines) == 37 and lines[-1] == b"", "36 lines ending in CR LF"
assert lines[17].split(b",")[1] == b"0", "the folder column is switched off: %r" % lines[17]
assert first == portable, "the installed copy writes what the portable one does:\n%r\n%r" % (first, portable)
assert second == first, "the next start kept the changed setting:\n%r\n%r" % (second, first)
PY
echo "PASS: installed copy keeps its settings in ~/.config/kestrova"
