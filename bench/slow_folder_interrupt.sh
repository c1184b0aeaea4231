#!/usr/bin/env bash
# A start-up refresh held up by folders that answer slowly: every folder
# read (getdents64) of a tree of 400 folders of 100 files is delayed by
# 200 ms with strace's fault injection (--via strace), or every request of
# the tree by bench/slowfs (--via slowfs). While the refresh runs, the
# progress window is covered and uncovered a few times and must have
# painted itself again each time (bench/x11_probe.py repaints); then a
# click on it must show the main window with the list, painted, within
# 0.3 s. Per program (and the baseline, when given):
#   program=program via=slowfs delay_us=200000 repainted=5/5 click_to_list_s=0.106
# The screen as the list showed is saved with --screenshot PREFIX
# (PREFIX-program.png, PREFIX-baseline.png).
#   slow_folder_interrupt.sh [--program PATH] [--baseline PATH] [--via strace|slowfs] [--delay-us N] [--screenshot PREFIX]
# Skips, saying why, where strace or slowfs is missing or FUSE cannot mount.
set -euo pipefail
cd "$(dirname "$0")/.."

program=build/bin/kestrova
baseline=
slowfs=build/bench/slowfs
make_tree=build/bench/make_tree
via=strace
delay=200000
screenshot=
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --baseline) baseline=$2; shift 2 ;;
    --via) via=$2; shift 2 ;;
    --delay-us) delay=$2; shift 2 ;;
    --screenshot) screenshot=$2; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

skip() { echo "slow folder benchmark skipped: $*"; exit 0; }
source bench/program_timing.sh
if [ "$via" = slowfs ]; then
  slowfs_usable "$slowfs"
else
  command -v strace >/dev/null || skip "strace is not installed"
fi
program=$(realpath "$program")
[ -z "$baseline" ] || baseline=$(realpath "$baseline")
[ -z "$screenshot" ] || screenshot=$(realpath "$screenshot")

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" --program "$program" ${baseline:+--baseline "$baseline"} \
    --via "$via" --delay-us "$delay" ${screenshot:+--screenshot "$screenshot"}
fi
if xdotool search --onlyvisible --name "ケストロヴァ|Kestrova" >/dev/null 2>&1; then
  echo "a Kestrova window is open on $DISPLAY already; close it first" >&2
  exit 1
fi

work=$(mktemp -d /tmp/kestrova-slow-XXXXXX)
share=$work/share
# Lazily: a program that was not interrupted may still be reading.
unmount() { [ "$via" != slowfs ] || fusermount3 -uz "$share" 2>/dev/null || true; }
trap 'unmount; rm -rf "$work"' EXIT
"$make_tree" share "$work/tree" 400 100 >/dev/null
mkdir -p "$share"

measure() {  # measure NAME PROGRAM
  local home=$work/home tree=$work/tree
  rm -rf "$home"
  mkdir -p "$home"
  cp "$2" "$home/kestrova"
  if [ "$via" = slowfs ]; then
    mount_slowfs "$slowfs" "$work/tree" "$share" "$delay"
    tree=$share
  fi
  write_settings "$home" "$tree" 1
  if [ "$via" = slowfs ]; then
    "$home/kestrova" >/dev/null 2>&1 &
  else
    strace -f --seccomp-bpf -e trace=getdents64 -e inject=getdents64:delay_enter="$delay" -o /dev/null \
      "$home/kestrova" >/dev/null 2>&1 &
  fi
  pid=$!
  # Only the progress window shows while the start-up refresh runs.
  python3 "$probe" wait-title "ケストロヴァ" 60 >/dev/null || { echo "no progress window" >&2; exit 1; }
  sleep 2
  local repainted seconds png=/dev/null
  repainted=$(python3 "$probe" repaints "ケストロヴァ" 5)
  [ -z "$screenshot" ] || png="$screenshot-$1.png"
  # The count label's middle, on the progress window.
  seconds=$(python3 "$probe" click-until "ケストロヴァ" 100 40 Kestrova "$png" 120 || true)
  # A start that refreshes every time keeps no list, so the settings file
  # says nothing of this one: the time to the list is the measure, and the
  # screenshot shows the status line's interrupt mark.
  window=$(xdotool search --onlyvisible --name "Kestrova" | head -1 || true)
  if [ -n "$window" ]; then
    close_program
  else
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  echo "program=$1 via=$via delay_us=$delay $repainted click_to_list_s=${seconds#seconds=}"
  unmount
}

measure program "$program"
[ -z "$baseline" ] || measure baseline "$baseline"
