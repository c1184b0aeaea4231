#!/usr/bin/env bash
# The real program's start-up refresh against `find -printf` on the same
# tree, in one run. Builds a tree of folders of 1,000 files each (half of the
# sizes repeat), writes a settings file whose first folder row is that tree
# with its subfolders and whose start mode refreshes, then alternates: find,
# the program (from its start until its main window shows its title again,
# which it does when the refresh has ended), find. Prints per tree the best of
# each and their ratio, and the program's resident memory per row:
#   files=100000 ext=jpg find_s=0.172 program_s=0.218 ratio=1.26 start_s=0.062 refresh_ratio=0.91 rss_bytes_per_row=528
# The program's time includes its own start, which start_s gives (the same
# program on an empty tree); refresh_ratio leaves it out. Under Xvfb when
# there is no display; the timings are wall-clock, so run it on an otherwise
# idle machine.
#   startup_refresh.sh [--program PATH] [--files N]... [--ext EXT] [--runs N]
# Defaults: build/bin/kestrova, 100,000 and 1,000,000 files, "jpg" (icons
# shared by extension; "dat" gives every file its own icon), 3 runs.
set -euo pipefail
cd "$(dirname "$0")/.."

program=build/bin/kestrova
sizes=()
ext=jpg
runs=3
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --files) sizes+=("$2"); shift 2 ;;
    --ext) ext=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)
program=$(realpath "$program")

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" --program "$program" --ext "$ext" --runs "$runs" \
    $(printf -- '--files %s ' "${sizes[@]}")
fi

# The window is found by its title (a search by process is many times
# slower), so no other window may carry it.
if xdotool search --onlyvisible --name "Kestrova" >/dev/null 2>&1; then
  echo "a window titled Kestrova is open on $DISPLAY already; close it first" >&2
  exit 1
fi

work=$(mktemp -d /tmp/kestrova-startup-XXXXXX)
trap 'rm -rf "$work"' EXIT

make_tree() {  # make_tree ROOT FILES
  python3 - "$1" "$2" "$ext" <<'PY'
import os, random, sys
root, files, ext = sys.argv[1], int(sys.argv[2]), sys.argv[3]
per = 1000
sizes = [1 + i % max(1, files // 2) for i in range(files)]
random.Random(42).shuffle(sizes)
for f in range(max(1, (files + per - 1) // per)):
    folder = os.path.join(root, "d%04d" % f)
    os.makedirs(folder)
    for i in range(f * per, min(files, (f + 1) * per)):
        with open(os.path.join(folder, "IMG_%07d.%s" % (i, ext)), "wb") as out:
            out.truncate(sizes[i])
PY
}

# The settings file as the program writes it: row 1 is the tree with its
# subfolders, the size check is on and the start mode refreshes.
write_settings() {  # write_settings FOLDER TREE
  python3 - "$1" "$2" <<'PY'
import sys
home, tree = sys.argv[1:3]
lines = ['"bench","%s",1,1' % tree] + ['"","",0,0'] * 15
lines.append('1,1,3,1,10335,5880,10215,5202,"*.*"')
lines.append('2000,1,1,1,0,0,3582,4762,4350,5835,1')
lines += ['"*.*"'] + ['""'] * 15
lines.append('0,0,0,"",""')
lines.append('1,0,3,0,0,0')
open(home + "/Kestrova.ini", "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY
}

now() { date +%s.%N; }

time_find() {
  local t0
  t0=$(now)
  find "$1" -printf '%f %s %T@\n' >/dev/null
  awk -v a="$(now)" -v b="$t0" 'BEGIN { printf "%.4f\n", a - b }'
}

# Prints "seconds rss_kb": from the start until the title is back, which the
# refresh sets when it has ended.
time_program() {
  local home=$work/home t0 pid shown rss
  rm -rf "$home"
  mkdir -p "$home"
  cp "$program" "$home/kestrova"
  write_settings "$home" "$1"
  t0=$(now)
  "$home/kestrova" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name "Kestrova" >/dev/null 2>&1; do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended before its window showed" >&2; exit 1; }
    sleep 0.003
  done
  shown=$(awk -v a="$(now)" -v b="$t0" 'BEGIN { printf "%.4f\n", a - b }')
  sleep 0.5
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo "$shown $rss"
}

mkdir -p "$work/empty"
start=1e9
for ((run = 0; run < runs; run++)); do
  read -r p _ < <(time_program "$work/empty")
  start=$(printf '%s\n' "$start" "$p" | sort -g | head -1)
done

for files in "${sizes[@]}"; do
  tree=$work/tree-$files
  make_tree "$tree" "$files"
  sync
  find "$tree" -printf '%f %s %T@\n' >/dev/null  # both start from a warm cache
  best_find=1e9 best_program=1e9 rss=0
  for ((run = 0; run < runs; run++)); do
    f1=$(time_find "$tree")
    read -r p rss < <(time_program "$tree")
    f2=$(time_find "$tree")
    best_find=$(printf '%s\n' "$best_find" "$f1" "$f2" | sort -g | head -1)
    best_program=$(printf '%s\n' "$best_program" "$p" | sort -g | head -1)
  done
  python3 -c "import sys; f, p, s, rss, n = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]); \
print('files=%d ext=%s find_s=%.3f program_s=%.3f ratio=%.2f start_s=%.3f refresh_ratio=%.2f rss_bytes_per_row=%d' \
      % (n, sys.argv[6], f, p, p / f, s, (p - s) / f, rss * 1024 // n))" \
    "$best_find" "$best_program" "$start" "$rss" "$files" "$ext"
  rm -rf "$tree"
done
