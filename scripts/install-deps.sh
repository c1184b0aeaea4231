#!/usr/bin/env bash
# Installs what building, running and testing Kestrova needs on Debian 12,
# and only what is missing: also the mingw-w64 cross compiler, the GoogleTest
# sources it builds and Wine, for the Windows program and its tests, and
# FUSE 3 and strace for the benchmarks of slow shares and folders. Runs apt-get as
# root, or through sudo otherwise.
#   install-deps.sh [--with-player] [--with-viewer]
# --with-player adds the video player that the program's "mplayerc.exe"
# starts; only running the program needs it, building and testing do not.
# --with-viewer adds a picture viewer (feh) for bench/viewer_slideshow.sh,
# which measures the slideshow against it.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev libgl-dev
  qt6-image-formats-plugins libheif-dev libde265-dev libwebp-dev libtiff-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils python3
  fonts-ipafont-gothic
  desktop-file-utils
  xdg-utils
  adwaita-icon-theme
  g++-mingw-w64-x86-64-posix wine64 googletest zip
  libfuse3-dev fuse3 strace
)
for option in "$@"; do
  case "$option" in
    --with-player) packages+=(mpv) ;;
    --with-viewer) packages+=(feh) ;;
    *) echo "unknown option: $option" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
else
  as_root=(sudo)
fi

echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
