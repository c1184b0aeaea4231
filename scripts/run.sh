#!/usr/bin/env bash
# Installs what is missing (with the video player "mplayerc.exe" starts),
# builds Kestrova and starts it. The program keeps Kestrova.ini and
# Kestrova.csv beside itself, in build/bin/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh --with-player
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTROVA_BUILD_TESTS=OFF
cmake --build build --target kestrova
exec build/bin/kestrova "$@"
