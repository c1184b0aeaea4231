#!/usr/bin/env bash
# Builds the Windows program with the mingw-w64 cross compiler and packs
# dist/kestrova-win64.zip: kestrova.exe and a short README.txt. Installs the
# cross compiler first when it is missing. Refuses a program that would not
# start on Windows 7.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v zip >/dev/null; then
  scripts/install-deps.sh
fi

build=build-windows
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DKESTROVA_BUILD_TESTS=OFF
cmake --build "$build" --target kestrova -j "$(nproc)"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
x86_64-w64-mingw32-strip -o "$stage/kestrova.exe" "$build/bin/kestrova.exe"

# The program is one file that runs alone: it may need nothing beyond the
# DLLs that come with Windows, and nothing of them that Windows 7, the
# oldest system README.txt names, does not have.
scripts/check-windows-imports.sh "$stage/kestrova.exe"

# Notepad reads the README as UTF-8 by its byte-order mark; lines end in CR LF.
{ printf '\xEF\xBB\xBF'; sed 's/$/\r/' data/windows/README.txt; } > "$stage/README.txt"

mkdir -p dist
rm -f dist/kestrova-win64.zip
(cd "$stage" && zip -q -X "$OLDPWD/dist/kestrova-win64.zip" kestrova.exe README.txt)
echo "dist/kestrova-win64.zip:"
unzip -l dist/kestrova-win64.zip
