#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz, with AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each one, one process each.
#
#   scripts/fuzz.sh                      every target for 20 seconds
#   scripts/fuzz.sh 3600                 every target for an hour
#   scripts/fuzz.sh 0 fuzz_wildcard -runs=10000000
#                                        one target, with libFuzzer options
#
# Seeds come from tests/fuzz/corpus/<target>; what a run learns is kept in
# build-fuzz/corpus/<target>, so a later run goes on from there. A finding
# is written to build-fuzz/findings/ and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=(fuzz_settings_file fuzz_quoted_fields fuzz_list_file fuzz_wildcard fuzz_codepage fuzz_startup)
if [ $# -gt 0 ] && [[ "$1" == fuzz_* ]]; then
  targets=("$1")
  shift
fi

export CC=clang CXX=clang++
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_FUZZ=ON \
  -DKESTROVA_BUILD_GUI=OFF -DKESTROVA_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p build-fuzz/findings
for target in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$target
  mkdir -p "$corpus"
  time_limit=()
  [ "$seconds" -gt 0 ] && time_limit=(-max_total_time="$seconds")
  log=build-fuzz/findings/$target.log
  echo "== $target"
  status=0
  build-fuzz/tests/fuzz/$target "$corpus" "tests/fuzz/corpus/$target" "${time_limit[@]}" \
    -timeout=10 -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$target-" "$@" >"$log" 2>&1 || status=$?
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log" >&2
    echo "$target found a problem: see build-fuzz/findings/" >&2
    exit 1
  fi
done
