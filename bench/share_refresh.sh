#!/usr/bin/env bash
# The real program's start-up refresh over a slow network share against
# `find -printf` over the same share, in one run. The share is bench/slowfs,
# a FUSE passthrough that answers every metadata request after a fixed
# delay, mounted over a tree of 10,000 photos in 100 folders (every second
# one the size of the one before). Per delay it alternates find and the
# program (and the baseline program, when given) and prints the best of each:
#   delay_us=1000 files=10000 find_s=27.02 program_s=2.91 ratio=0.11 same_counts=yes same_rows=yes
# same_counts: every run of every program showed the files, bytes and marked
# files find's output gives. same_rows: the list file of a refresh over the
# share equals that of a refresh of the tree itself (the mount's path put
# back), and the baseline's when given.
#   share_refresh.sh [--program PATH] [--baseline PATH] [--delay-us N]... [--runs N] [--quick]
# Defaults: build/bin/kestrova, delays of 1,000 and 100 microseconds, 1 run
# (find alone takes half a minute at 1 ms); --quick measures 1 ms only and
# leaves out the rows (the test script's line). Where slowfs is not built
# (no FUSE headers) or FUSE cannot mount, it says so and skips.
set -euo pipefail
cd "$(dirname "$0")/.."

program=build/bin/kestrova
baseline=
slowfs=build/bench/slowfs
make_tree=build/bench/make_tree
delays=()
runs=1
quick=
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --baseline) baseline=$2; shift 2 ;;
    --delay-us) delays+=("$2"); shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --quick) quick=1; shift ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
if [ ${#delays[@]} -eq 0 ]; then
  if [ -n "$quick" ]; then delays=(1000); else delays=(1000 100); fi
fi

skip() { echo "share benchmark skipped: $*"; exit 0; }
source bench/program_timing.sh
slowfs_usable "$slowfs"
program=$(realpath "$program")
[ -z "$baseline" ] || baseline=$(realpath "$baseline")

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" --program "$program" ${baseline:+--baseline "$baseline"} \
    --runs "$runs" ${quick:+--quick} $(printf -- '--delay-us %s ' "${delays[@]}")
fi
if xdotool search --onlyvisible --name "Kestrova" >/dev/null 2>&1; then
  echo "a window titled Kestrova is open on $DISPLAY already; close it first" >&2
  exit 1
fi

work=$(mktemp -d /tmp/kestrova-share-XXXXXX)
share=$work/share
unmount() { fusermount3 -u "$share" 2>/dev/null || true; }
trap 'unmount; rm -rf "$work"' EXIT

tree=$work/tree
"$make_tree" share "$tree" 100 100 >/dev/null
mkdir -p "$share"
if [ -z "$quick" ]; then
  program_rows "$program" "$tree" "$work/local-rows.csv"
fi

for delay in "${delays[@]}"; do
  mount_slowfs "$slowfs" "$tree" "$share" "$delay"
  best_find=1e9 best_program=1e9 best_baseline=1e9
  same_counts=yes
  for ((run = 0; run < runs; run++)); do
    f=$(time_find "$share" "$work/find.txt")
    best_find=$(least "$best_find" "$f")
    expected=$(expected_counts "$work/find.txt")
    read -r p _ < <(time_program "$program" "$share")
    best_program=$(least "$best_program" "$p")
    if [ -n "$baseline" ]; then
      read -r b _ < <(time_program "$baseline" "$share")
      best_baseline=$(least "$best_baseline" "$b")
    fi
  done
  [ "$(program_counts "$program" "$share")" = "$expected" ] || same_counts=no
  line="delay_us=$delay files=${expected%%,*} $(awk -v f="$best_find" -v p="$best_program" \
    'BEGIN { printf "find_s=%.2f program_s=%.2f ratio=%.2f", f, p, p / f }')"
  if [ -n "$baseline" ]; then
    line="$line $(awk -v f="$best_find" -v b="$best_baseline" 'BEGIN { printf "baseline_s=%.2f baseline_ratio=%.2f", b, b / f }')"
  fi
  line="$line same_counts=$same_counts"
  if [ -z "$quick" ]; then
    program_rows "$program" "$share" "$work/share-rows.csv"
    same_rows=yes
    # The rows name the mount as their folder; with the tree's own path
    # in its place they must be those of the tree read directly.
    python3 - "$work/share-rows.csv" "$work/local-rows.csv" "$share" "$tree" <<'PY' || same_rows=no
import sys
share_rows, local_rows, share, tree = sys.argv[1:5]
got = open(share_rows, "rb").read().replace(share.encode(), tree.encode())
sys.exit(0 if got == open(local_rows, "rb").read() else 1)
PY
    if [ -n "$baseline" ]; then
      program_rows "$baseline" "$share" "$work/baseline-rows.csv"
      cmp -s "$work/share-rows.csv" "$work/baseline-rows.csv" || same_rows=no
    fi
    line="$line same_rows=$same_rows"
  fi
  echo "$line"
  unmount
done
