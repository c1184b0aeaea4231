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
