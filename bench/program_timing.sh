# Shared by the scripts that time the real program against find; sourced,
# not run. Needs an X display and $work, a scratch folder of the caller's.

bench_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
close_window="$bench_dir/../tests/e2e/x11_close.py"
probe="$bench_dir/x11_probe.py"

now() { date +%s.%N; }
seconds_since() { awk -v a="$(now)" -v b="$1" 'BEGIN { printf "%.4f\n", a - b }'; }

# The latency file system (bench/slowfs) the share and slow-folder
# benchmarks read through; each skips, with the caller's skip, where it
# cannot serve here.
slowfs_usable() {  # slowfs_usable SLOWFS
  [ -x "$1" ] || skip "$1 is not built (FUSE 3 headers missing)"
  [ -e /dev/fuse ] || skip "no /dev/fuse"
  command -v fusermount3 >/dev/null || skip "fusermount3 is not installed"
}
# Mounts TREE at MOUNT with every metadata request answered after DELAY_US,
# and waits until the mount serves.
mount_slowfs() {  # mount_slowfs SLOWFS TREE MOUNT DELAY_US
  "$1" "$2" "$3" -o "delay_us=$4" 2>"$work/slowfs.log" || skip "FUSE cannot mount here: $(head -1 "$work/slowfs.log")"
  for _ in $(seq 1 100); do mountpoint -q "$3" && break; sleep 0.05; done
  mountpoint -q "$3" || skip "FUSE cannot mount here"
}

# find's walk of a tree with each entry's name, size and time: the baseline.
# Prints the seconds; with a second argument also keeps what find printed.
time_find() {  # time_find TREE [OUT]
  local t0 out=${2:-/dev/null}
  t0=$(now)
  find "$1" -printf '%y %s %T@ %f\n' >"$out"
  seconds_since "$t0"
}

# The settings file as the program writes it: row 1 is the tree with its
# subfolders and the size check is on; start mode 1 refreshes at the start,
# 0 does nothing.
write_settings() {  # write_settings FOLDER TREE MODE
  python3 - "$1" "$2" "$3" <<'PY'
import sys
home, tree, mode = sys.argv[1:4]
lines = ['"bench","%s",1,1' % tree] + ['"","",0,0'] * 15
lines.append('1,1,3,%s,10335,5880,10215,5202,"*.*"' % mode)
lines.append('2000,1,1,1,0,0,3582,4762,4350,5835,1')
lines += ['"*.*"'] + ['""'] * 15
lines.append('0,0,0,"",""')
lines.append('1,0,3,0,0,0')
open(home + "/Kestrova.ini", "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY
}

# Starts a copy of the program in a fresh folder and waits for its main
# window; sets $pid, $window and $started (the start time).
start_program() {  # start_program PROGRAM TREE MODE
  local home=$work/home
  rm -rf "$home"
  mkdir -p "$home"
  cp "$1" "$home/kestrova"
  write_settings "$home" "$2" "$3"
  # The watcher sleeps until the display reports a change: one that asked
  # every few milliseconds (a new xdotool each time) took a third of a
  # processor from the program it timed.
  local watch=$work/await-title.out probe_pid
  python3 "$probe" await-title Kestrova 3600 >"$watch" &
  probe_pid=$!
  until [ -s "$watch" ]; do sleep 0.01; done
  started=$(now)
  "$home/kestrova" >/dev/null 2>&1 &
  pid=$!
  while kill -0 "$probe_pid" 2>/dev/null; do
    if ! kill -0 "$pid" 2>/dev/null; then
      kill "$probe_pid" 2>/dev/null || true
      echo "the program ended before its window showed" >&2
      exit 1
    fi
    wait -n "$probe_pid" "$pid" 2>/dev/null || true
  done
  window=$(sed -n 2p "$watch")
  [ -n "$window" ] || { echo "the program's window did not show" >&2; exit 1; }
}

# Closes the program as its close box does and waits for it to end.
close_program() {
  python3 "$close_window" "$window"
  for _ in $(seq 1 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

# What the settings file keeps of the last list: files, bytes, marked files.
saved_counts() {
  python3 - "$work/home/Kestrova.ini" <<'PY'
import sys
line = open(sys.argv[1], "rb").read().split(b"\r\n")[34].decode("cp932")
files, total, marked = line.split(",")[:3]
print("%s,%d,%s" % (files, int(float(total)), marked))
PY
}

# Prints "seconds rss_kb": from the start until the main window shows, which
# it does when the start-up refresh has ended.
time_program() {  # time_program PROGRAM TREE
  local shown rss
  start_program "$1" "$2" 1
  shown=$(seconds_since "$started")
  sleep 0.5
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  close_program
  echo "$shown $rss"
}

# The rows of a refresh of TREE as the list file keeps them: started without
# a refresh, the refresh button pressed, the program closed.
program_rows() {  # program_rows PROGRAM TREE OUT
  start_program "$1" "$2" 0
  local X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$window")"
  # The refresh button's middle (50,3960 twips, 1550 by 420).
  xdotool mousemove $((X + 55)) $((Y + 278)) click 1
  python3 "$probe" wait-no-title Kestrova 5 || true
  python3 "$probe" wait-title Kestrova 3600 >/dev/null
  close_program
  cp "$work/home/Kestrova.csv" "$3"
}

# Prints "files,bytes,marked" of a refresh of TREE. A start that refreshes
# every time writes no list, and the settings describe the list on disk, so
# the counts come from a refresh by the button, whose list the close saves.
program_counts() {  # program_counts PROGRAM TREE
  program_rows "$1" "$2" "$work/counted-rows.csv"
  saved_counts
}

# The counts the program should show for a tree find listed (plain files
# only: no links): files, bytes, and files whose size came before.
expected_counts() {  # expected_counts FIND_OUTPUT
  awk '$1 == "f" { n++; b += $2; if (seen[$2]++) m++ } END { printf "%d,%d,%d\n", n, b, m }' "$1"
}

# The smallest of the numbers given.
least() { printf '%s\n' "$@" | sort -g | head -1; }
