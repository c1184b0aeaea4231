#!/usr/bin/env bash
# The real program's start-up refresh against `find -printf` on the same
# tree, in one run. Builds a tree of folders of 1,000 files each (half of the
# sizes repeat), or one shaped like a system's own (--shape system, see
# bench/tree_shapes.h), writes a settings file whose first folder row is
# that tree with its subfolders and whose start mode refreshes, then
# alternates: find, the program (from its start until its main window
# shows, which it does when the refresh has ended), the baseline program
# when one is given, find. Prints per tree the best of each and their ratio,
# and the program's resident memory per row:
#   files=100000 ext=jpg find_s=0.172 program_s=0.218 ratio=1.26 start_s=0.062 refresh_ratio=0.91 rss_bytes_per_row=528 same_counts=yes
# The program's time includes its own start, which start_s gives (the same
# program on an empty tree); refresh_ratio leaves it out. same_counts: every
# run of every program left the same files, bytes and marked files in its
# settings file. With --baseline (an earlier build) the line adds its best
# time and same_rows: the list files of a refresh by each, compared.
# Under Xvfb when there is no display; the timings are wall-clock, so run
# it on an otherwise idle machine.
#   startup_refresh.sh [--program PATH] [--baseline PATH] [--files N]... [--shape system] [--ext EXT] [--runs N]
# Defaults: build/bin/kestrova, 100,000 and 1,000,000 files, "jpg" (icons
# shared by extension; "dat" gives every file its own icon), 3 runs.
set -euo pipefail
cd "$(dirname "$0")/.."

program=build/bin/kestrova
baseline=
make_tree=build/bench/make_tree
sizes=()
shape=
ext=jpg
runs=3
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --baseline) baseline=$2; shift 2 ;;
    --files) sizes+=("$2"); shift 2 ;;
    --shape) shape=$2; shift 2 ;;
    --ext) ext=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
[ ${#sizes[@]} -gt 0 ] || sizes=(100000 1000000)
[ -z "$shape" ] || sizes=(system)
program=$(realpath "$program")
[ -z "$baseline" ] || baseline=$(realpath "$baseline")

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" --program "$program" ${baseline:+--baseline "$baseline"} \
    --ext "$ext" --runs "$runs" ${shape:+--shape "$shape"} $(printf -- '--files %s ' "${sizes[@]}")
fi

# The window is found by its title, so no other window may carry it.
if xdotool search --onlyvisible --name "Kestrova" >/dev/null 2>&1; then
  echo "a window titled Kestrova is open on $DISPLAY already; close it first" >&2
  exit 1
fi

work=$(mktemp -d /tmp/kestrova-startup-XXXXXX)
trap 'rm -rf "$work"' EXIT
source bench/program_timing.sh

make_tree() {  # make_tree ROOT FILES
  if [ "$2" = system ]; then
    "$make_tree" system "$1" >/dev/null
    return
  fi
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

mkdir -p "$work/empty"
start=1e9
for ((run = 0; run < runs; run++)); do
  read -r p _ < <(time_program "$program" "$work/empty")
  start=$(least "$start" "$p")
done

for files in "${sizes[@]}"; do
  tree=$work/tree-$files
  make_tree "$tree" "$files"
  sync
  find "$tree" -printf '%f %s %T@\n' >/dev/null  # every run starts from a warm cache
  best_find=1e9 best_program=1e9 best_baseline=1e9 rss=0
  declare -A counts_seen=()
  for ((run = 0; run < runs; run++)); do
    f1=$(time_find "$tree")
    read -r p rss < <(time_program "$program" "$tree")
    best_program=$(least "$best_program" "$p")
    if [ -n "$baseline" ]; then
      read -r b _ < <(time_program "$baseline" "$tree")
      best_baseline=$(least "$best_baseline" "$b")
    fi
    f2=$(time_find "$tree")
    best_find=$(least "$best_find" "$f1" "$f2")
  done
  counts=$(program_counts "$program" "$tree")
  counts_seen[$counts]=1
  [ -z "$baseline" ] || counts_seen[$(program_counts "$baseline" "$tree")]=1
  same_counts=no
  [ ${#counts_seen[@]} -eq 1 ] && same_counts=yes
  rows=${counts%%,*}
  label="files=$files ext=$ext"
  [ "$files" != system ] || label="shape=system files=$rows"
  line=$(python3 -c "import sys; f, p, s, rss, n = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]); \
print('find_s=%.3f program_s=%.3f ratio=%.2f start_s=%.3f refresh_ratio=%.2f rss_bytes_per_row=%d' \
      % (f, p, p / f, s, (p - s) / f, rss * 1024 // max(n, 1)))" \
    "$best_find" "$best_program" "$start" "$rss" "$rows")
  if [ -n "$baseline" ]; then
    program_rows "$program" "$tree" "$work/rows.csv"
    program_rows "$baseline" "$tree" "$work/baseline-rows.csv"
    same_rows=no
    cmp -s "$work/rows.csv" "$work/baseline-rows.csv" && same_rows=yes
    line="$line $(awk -v b="$best_baseline" -v f="$best_find" 'BEGIN { printf "baseline_s=%.3f baseline_ratio=%.2f", b, b / f }') same_rows=$same_rows"
  fi
  echo "$label $line same_counts=$same_counts"
  unset counts_seen
  rm -rf "$tree"
done
