#!/usr/bin/env bash
# Plants each small fault of tests/mutants/*.patch in turn, rebuilds what it
# touches, runs the tests that can reach it and says whether they caught it:
#   scripts/mutants.sh [PATCH...]        (every patch without arguments)
# A patch starts with header lines, before its diff:
#   # system: linux | windows     which build it is tried in (linux if left out)
#   # suites: LABEL...            the test programs that can reach it: each
#                                 is rebuilt and its tests run (ctest -L)
#   # what: ...                   the slip, as a user would meet it
# A patch is "caught" when a test fails or the run goes past its time limit
# (MUTANT_TIMEOUT seconds, 300 unless set), "missed" when every test passes,
# "stale" when it no longer applies and "broken" when it does not build.
# Linux patches use build/, Windows ones build-win/ run under Wine (a prefix
# of its own is made unless WINEPREFIX is set); both must be configured
# already (see the README). The tree is put back after each patch, also when
# the run is interrupted.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
timeout_s=${MUTANT_TIMEOUT:-300}
jobs=${MUTANT_JOBS:-2}

if [ "$#" -gt 0 ]; then patches=("$@"); else patches=(tests/mutants/*.patch); fi

applied=""
wine_home=""
restore() {
  if [ -n "$applied" ]; then git -C "$root" apply -R "$applied" && applied=""; fi
  if [ -n "$wine_home" ]; then
    "${wineserver:-wineserver}" -k 2>/dev/null || true
    rm -rf "$wine_home"
    wine_home=""
  fi
}
trap 'restore; exit 130' INT TERM
trap restore EXIT

if ! git diff --quiet -- src tools; then
  echo "src/ or tools/ has changes of its own; commit or stash them first" >&2
  exit 2
fi

start_wine() {
  [ -n "${WINEPREFIX:-}" ] && return
  wine_home=$(mktemp -d)
  export WINEPREFIX="$wine_home/prefix" WINEDEBUG=-all
  wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
  mkdir -p "$WINEPREFIX"
  "$wineserver" --persistent
  "$(command -v wine64 || echo /usr/lib/wine/wine64)" wineboot --init >/dev/null 2>&1
}

header() { sed -n "s/^# $1: *//p" "$2" | head -1; }

caught=0
total=0
results=()
for patch in "${patches[@]}"; do
  name=$(basename "$patch" .patch)
  system=$(header system "$patch"); system=${system:-linux}
  suites=$(header suites "$patch")
  labels="^($(echo "$suites" | tr ' ' '|'))\$"
  # The launcher is copied into the build when the build is configured.
  targets=$(echo "$suites" | sed 's/\btools\b/build.ninja/')
  build=build
  if [ "$system" = windows ]; then build=build-win; fi
  log="$build/mutants/$name.log"
  mkdir -p "$build/mutants"
  total=$((total + 1))
  if ! git apply --check "$patch" 2>"$log"; then
    results+=("stale   $name")
    echo "stale   $name (does not apply; see $log)"
    continue
  fi
  git apply "$patch"
  applied=$patch
  # shellcheck disable=SC2086  # targets are words
  if ! cmake --build "$build" -j "$jobs" --target $targets >>"$log" 2>&1; then
    verdict=broken
  else
    ctest_cmd=(ctest --test-dir "$build" -L "$labels" --timeout "$timeout_s" -j "$jobs")
    if [ "$system" = windows ]; then
      start_wine
      ctest_cmd=(xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "${ctest_cmd[@]}")
    fi
    timeout --kill-after=10 $((timeout_s + 60)) "${ctest_cmd[@]}" >>"$log" 2>&1
    code=$?
    if grep -q "No tests were found" "$log"; then verdict=broken
    elif [ "$code" -eq 0 ]; then verdict=missed
    elif [ "$code" -ge 124 ] || grep -q "Timeout" "$log"; then verdict=caught-by-timeout
    else verdict=caught; fi
  fi
  git apply -R "$patch"
  applied=""
  case $verdict in caught*) caught=$((caught + 1)) ;; esac
  results+=("$(printf '%-17s %s' "$verdict" "$name")")
  printf '%-17s %s  (%s)\n' "$verdict" "$name" "$(header what "$patch")"
done

echo
echo "score: $caught of $total caught"
[ "$caught" -eq "$total" ]
