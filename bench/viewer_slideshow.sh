#!/usr/bin/env bash
# The slideshow of build/bench/slideshow shown by a dedicated picture viewer
# (feh), for comparison: the eight 24-megapixel photos that benchmark keeps
# with `--photos DIR`, full screen at 1920 x 1080 with a display time of 1 s.
#   bench/viewer_slideshow.sh DIR [KIND...]    (jpeg webp tiff heic avif; all when none)
# Per kind one line:
#   viewer=feh kind=heic pictures=8 first_s=2.61 interval_s=3.70 vmhwm_mb=310
# first_s from the start to the first picture; interval_s the mean time from
# one picture to the next, which feh names in its title once it has drawn
# it; vmhwm_mb feh's peak memory. feh decodes each picture whole when its
# turn comes, then scales it to the screen.
# Needs feh (scripts/install-deps.sh --with-viewer); runs under an Xvfb of
# its own when there is no display.
set -euo pipefail
if [ "$#" -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 PHOTO_DIR [KIND...]  (DIR as kept by build/bench/slideshow --photos DIR)" >&2
  exit 2
fi
command -v feh >/dev/null || { echo "feh is missing: scripts/install-deps.sh --with-viewer" >&2; exit 2; }
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-noreset -screen 0 1920x1080x24" "$0" "$@"
fi
folder=$1
shift
kinds=("$@")
[ "${#kinds[@]}" -gt 0 ] || kinds=(jpeg webp tiff heic avif)
probe="$(dirname "$0")/x11_probe.py"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for kind in "${kinds[@]}"; do
  photos=()
  for i in 1 2 3 4 5 6 7 8; do
    [ -f "$folder/photo$i.$kind" ] && photos+=("$folder/photo$i.$kind")
  done
  if [ "${#photos[@]}" -eq 0 ]; then
    echo "viewer=feh kind=$kind: no photos in $folder" >&2
    continue
  fi
  # The watcher is asleep between the display's events, so it takes no
  # processor time from the viewer it times.
  python3 "$probe" title-changes "feh-bench" "${#photos[@]}" 300 >"$work/titles" &
  watcher=$!
  until grep -q ready "$work/titles" 2>/dev/null; do sleep 0.01; done
  /usr/bin/time -f "%M" -o "$work/peak" timeout 300 feh --fullscreen --hide-pointer --slideshow-delay 1 --on-last-slide quit \
    --title "feh-bench %u %f" "${photos[@]}" >"$work/feh.log" 2>&1 || cat "$work/feh.log" >&2
  wait "$watcher" || true
  python3 - "$kind" "$work/titles" "$work/peak" <<'PY'
import sys
kind, titles_path, peak_path = sys.argv[1:]
times = [float(line.split()[0]) for line in open(titles_path) if line[0].isdigit()]
peak_kb = int(open(peak_path).read().split()[-1])
if len(times) < 2:
    sys.exit("viewer=feh kind=%s: %d pictures shown" % (kind, len(times)))
interval = (times[-1] - times[0]) / (len(times) - 1)
print("viewer=feh kind=%s pictures=%d first_s=%.2f interval_s=%.3f vmhwm_mb=%d"
      % (kind, len(times), times[0], interval, peak_kb // 1024))
PY
done
