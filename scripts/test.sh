#!/usr/bin/env bash
# Installs what is missing, builds Kestrova with its tests and runs every
# test: once in a normal build (with the end-to-end test of the real program
# under Xvfb), the fuzz targets for a short while, and once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")
# The refresh against a plain walk of the same tree, so a slower refresh
# shows in every log. It only prints; timings never fail the run.
build/bench/refresh --files 10000 || echo "refresh benchmark did not run"

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
(cd build-asan && ctest --output-on-failure -j "$jobs")
