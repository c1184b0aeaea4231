#!/usr/bin/env bash
# Fails when a file under src/ includes a folder it may not use: each folder
# sees itself and the folders below it, never one above or beside it.
#   platform <- core <- settings <- listing  <- mainwin <- app
#                    <-------------- viewer  <-
# The backends under platform/ (qt, headless, posix, win32) count as platform.
set -euo pipefail
cd "$(dirname "$0")/../src"

allowed_for() {
  case "$1" in
    platform) echo "platform" ;;
    core)     echo "platform core" ;;
    settings) echo "platform core settings" ;;
    listing)  echo "platform core settings listing" ;;
    viewer)   echo "platform core viewer" ;;
    mainwin)  echo "platform core settings listing viewer mainwin" ;;
    app)      echo "platform core settings listing viewer mainwin app" ;;
    *)        echo "" ;;
  esac
}

status=0
while IFS= read -r line; do
  file=${line%%:*}
  target=$(sed -E 's/^[^"]*"([^"]+)".*$/\1/' <<<"${line#*:}")
  from=${file%%/*}
  to=${target%%/*}
  # A bare name or a relative path stays inside the including file's folder.
  [ "$to" = "$target" ] && continue
  [ -d "$to" ] || continue
  if ! grep -qw -- "$to" <<<"$(allowed_for "$from")"; then
    echo "include runs against the direction: $file includes \"$target\""
    status=1
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' . | sed -E 's#^\./##; s#:[0-9]+:#:#')

if [ "$status" -eq 0 ]; then
  echo "include direction: every include runs downwards"
fi
exit "$status"
