#!/usr/bin/env bash
# Fails when a file under src/ includes a folder it may not use: each folder
# sees itself and the folders below it, never one above or beside it.
#   platform <- core <- settings <- listing  <- mainwin <- app
#                    <-------------- viewer  <-
# Inside platform/ the floors go by role:
#   model, pictures, text   the toolkit-neutral model
#   system                  the interface of the operating system (it may
#                           name the native types posix/ and windows/ define)
#   kit                     what the window backends share: the model only
#   posix, windows          the operating systems: the model, never the kit,
#                           a window system or each other
#   qt, win32, headless     the window systems: the model, the kit and their
#                           own system, never each other
# Outside platform/ only the model is seen, and app/ (the top) alone names
# the window system it starts.
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

readonly neutral="model pictures text system"
platform_allowed_for() {
  case "$1" in
    model|pictures|text) echo "$neutral" ;;
    system)   echo "$neutral posix windows" ;;
    kit)      echo "$neutral kit" ;;
    posix)    echo "$neutral posix" ;;
    windows)  echo "$neutral windows" ;;
    qt)       echo "$neutral kit posix qt" ;;
    win32)    echo "$neutral kit windows win32" ;;
    headless) echo "$neutral headless" ;;
    *)        echo "$neutral" ;;
  esac
}

# What a folder outside platform/ may see of it.
platform_seen_from() {
  case "$1" in
    app) echo "$neutral qt win32" ;;
    *)   echo "$neutral" ;;
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
    continue
  fi
  [ "$to" = platform ] || continue
  rest=${target#platform/}
  to_floor=${rest%%/*}
  [ "$to_floor" = "$rest" ] && continue
  if [ "$from" = platform ]; then
    inner=${file#platform/}
    from_floor=${inner%%/*}
    seen=$(platform_allowed_for "$from_floor")
  else
    from_floor=$from
    seen=$(platform_seen_from "$from")
  fi
  if ! grep -qw -- "$to_floor" <<<"$seen"; then
    echo "include crosses a floor of platform/: $file ($from_floor) includes \"$target\""
    status=1
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' . | sed -E 's#^\./##; s#:[0-9]+:#:#')

if [ "$status" -eq 0 ]; then
  echo "include direction: every include runs downwards"
fi
exit "$status"
