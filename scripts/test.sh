#!/usr/bin/env bash
# Installs what is missing, builds Kestrova with its tests and runs every
# test: once in a normal build (with the end-to-end test of the real program
# under Xvfb), once cross-built for Windows and run under Wine, the fuzz
# targets for a short while, and once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure --timeout 600 -j "$jobs")
# The refresh against a plain walk of the same tree, so a slower refresh
# shows in every log. It only prints; timings never fail the run.
build/bench/refresh --files 10000 || echo "refresh benchmark did not run"
# The start-up refresh over a share that answers each request after 1 ms,
# against find over the same mount; it says so and skips where FUSE cannot
# mount (no /dev/fuse, a container without the right).
bench/share_refresh.sh --quick || echo "share benchmark did not run"

# Root reads and writes everywhere, so the permission checks skip themselves
# for root. Run them once more as an ordinary user where one can reach them.
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/tmp TMPDIR=/tmp)
  filter='*Permission*:*Unwritable*:*Unreadable*:FilesTest.*'
  for binary in build/tests/platform/platform_tests build/tests/settings/settings_tests \
                build/tests/app/app_tests build/tests/listing/listing_tests; do
    if "${as_nobody[@]}" test -x "$binary"; then
      "${as_nobody[@]}" "$binary" --gtest_filter="$filter" --gtest_brief=1
    else
      echo "permission checks as an ordinary user skipped: $binary is out of its reach"
    fi
  done
fi

# The Windows build: the same unit and behaviour tests and the Windows-only
# ones, cross-built with mingw-w64 and run under Wine (the toolchain file
# makes Wine the emulator ctest runs them with). The Wine prefix is made
# here, in a folder of its own, and its server stays up for the whole run
# so each test does not pay for starting it.
wine_home=$(mktemp -d)
export WINEPREFIX="$wine_home/prefix" WINEDEBUG=-all
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
stop_wine() { "$wineserver" -k 2>/dev/null || true; rm -rf "$wine_home"; }
trap stop_wine EXIT
mkdir -p "$WINEPREFIX"
"$wineserver" --persistent
"$wine" wineboot --init >/dev/null 2>&1
# The Win32 backend's tests open windows, and the end-to-end test compares
# kestrova.exe's files with those of the Linux program built above.
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_LINUX_PROGRAM="$PWD/build/bin/kestrova"
cmake --build build-win -j "$jobs"
(cd build-win && xvfb-run -a -s "-noreset -screen 0 1600x1000x24" ctest --output-on-failure --timeout 600 -j "$jobs")
stop_wine
trap - EXIT

# The fuzz targets, each for a short smoke run, where clang is installed
# (scripts/fuzz.sh also runs them longer; see the README).
if command -v clang++ >/dev/null; then
  scripts/fuzz.sh 20
else
  echo "fuzz targets skipped: clang is not installed"
fi

# Qt's own libraries are not instrumented; their leaks are not ours to chase.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTROVA_SANITIZE=ON
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure --timeout 600 -j "$jobs")
