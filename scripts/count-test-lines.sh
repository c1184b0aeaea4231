#!/usr/bin/env bash
# Lines of code and of tests per folder of src/ (and tools/), blank lines
# left out, with the tests' share of the code:
#   scripts/count-test-lines.sh [REVISION]
# Without a revision the working tree is counted. The tests of a folder are
# those in the same folder under tests/; the platform floors without tests
# of their own (model, text, system, posix, headless, pictures) share the
# tests at the top of tests/platform/.
set -euo pipefail
cd "$(dirname "$0")/.."
rev=${1:-}

list_files() {  # list_files FOLDER: the C++ and shell files below it
  if [ -n "$rev" ]; then
    git ls-tree -r --name-only "$rev" -- "$1"
  else
    git ls-files --cached --others --exclude-standard -- "$1"
  fi | grep -E '\.(cpp|h|sh)$' || true
}
count() {  # count FILE...: non-blank lines in all of them
  local total=0 file n
  for file in "$@"; do
    if [ -n "$rev" ]; then n=$(git show "$rev:$file" | grep -cv '^[[:space:]]*$' || true)
    else n=$(grep -cv '^[[:space:]]*$' "$file" || true); fi
    total=$((total + n))
  done
  echo "$total"
}

row() {  # row NAME CODE_FILES... -- TEST_FILES...
  local name=$1; shift
  local code=() tests=() side=code
  for f in "$@"; do
    if [ "$f" = -- ]; then side=tests; continue; fi
    if [ $side = code ]; then code+=("$f"); else tests+=("$f"); fi
  done
  local c t
  c=$(count "${code[@]+"${code[@]}"}")
  t=$(count "${tests[@]+"${tests[@]}"}")
  all_code=$((all_code + c)); all_tests=$((all_tests + t))
  printf '%-28s %7d %7d %6s\n' "$name" "$c" "$t" "$( [ "$c" -gt 0 ] && echo "$((100 * t / c))%" || echo -)"
}

all_code=0
all_tests=0
printf '%-28s %7s %7s %6s\n' folder code tests share
for folder in app core settings viewer listing mainwin; do
  mapfile -t code < <(list_files "src/$folder")
  mapfile -t tests < <(list_files "tests/$folder")
  row "src/$folder" "${code[@]+"${code[@]}"}" -- "${tests[@]+"${tests[@]}"}"
done
for floor in kit qt win32 windows; do
  mapfile -t code < <(list_files "src/platform/$floor")
  mapfile -t tests < <(list_files "tests/platform/$floor")
  row "src/platform/$floor" "${code[@]+"${code[@]}"}" -- "${tests[@]+"${tests[@]}"}"
done
mapfile -t code < <(for floor in model text system posix headless pictures; do list_files "src/platform/$floor"; done)
mapfile -t tests < <(list_files tests/platform | grep -E '^tests/platform/[^/]+$')
row "src/platform (other floors)" "${code[@]}" -- "${tests[@]}"
mapfile -t code < <(list_files tools)
mapfile -t tests < <(list_files tests/tools)
row "tools" "${code[@]}" -- "${tests[@]}"
mapfile -t tests < <(list_files tests/support)
row "tests/support (shared)" -- "${tests[@]}"
printf '%-28s %7d %7d %6s\n' total "$all_code" "$all_tests" "$((100 * all_tests / all_code))%"
