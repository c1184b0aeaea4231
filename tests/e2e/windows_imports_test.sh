#!/usr/bin/env bash
# The import check passes kestrova.exe, which imports nothing newer than
# Windows 7, and refuses a program that imports GetDpiForWindow directly.
#   windows_imports_test.sh <kestrova.exe> <newer_import_probe.exe>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
check=$here/../../scripts/check-windows-imports.sh
source "$here/e2e_lib.sh"

"$check" "$1" || fail "kestrova.exe imports functions Windows 7 does not have"
if refused=$("$check" "$2" 2>&1); then
  fail "the check let a program that imports GetDpiForWindow pass"
fi
echo "$refused" | grep -q "imports GetDpiForWindow from user32.dll" || fail "the check gave no reason: $refused"
echo "PASS: windows_imports"
