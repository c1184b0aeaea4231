# Shared by the end-to-end scripts; sourced, not run.

fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits up to ten seconds for the program with process id $1 to show its
# main window, and puts the window's id into $window.
wait_for_main_window() {
  local program=$1
  window=""
  for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name "Kestrova" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && return 0
    kill -0 "$program" 2>/dev/null || fail "the program ended before showing its window"
    sleep 0.1
  done
  fail "no main window appeared"
}

# Waits up to ten seconds for the program with process id $1 to end, and
# reaps it; fails naming $2 when it does not.
wait_for_end() {
  local program=$1 name=$2
  for _ in $(seq 1 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$program" 2>/dev/null && fail "$name did not end"
  wait "$program" || true
}

# Puts the Wine that runs Windows programs here into $wine and its server
# into $wineserver, or skips the test (exit 77) without one.
find_wine() {
  wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
  [ -x "$wine" ] || { echo "SKIP: no Wine"; exit 77; }
  wineserver="$(dirname "$wine")/wineserver"
}

# A work folder ($work) with a Wine prefix of its own, whose server is
# stopped, with the program ($pid, when set) and the folder, at the exit.
# $1 is the signal that stops the program (TERM unless said).
make_wine_work() {
  stop_signal=${1:-TERM}
  work=$(mktemp -d)
  pid=""
  trap stop_wine_work EXIT
  export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

stop_wine_work() {
  [ -n "$pid" ] && kill -"$stop_signal" "$pid" 2>/dev/null || true
  WINEPREFIX="$work/prefix" "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
