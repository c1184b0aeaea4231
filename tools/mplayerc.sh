#!/bin/sh
# Plays one video full screen and exits when it ends, with the first of mpv,
# VLC or ffplay that is installed. Called by Kestrova as
#   mplayerc.exe FILE /play /fullscreen /close
# The switches are the ones the program always gives; playing, full screen
# and closing at the end are what this launcher does anyway.
if [ "$#" -lt 1 ]; then
  echo "usage: mplayerc.exe FILE [/play] [/fullscreen] [/close]" >&2
  exit 2
fi
file=$1

# A relative name could pass for an option or a URL; anchored it is a file.
case "$file" in
  /*) ;;
  *) file=./$file ;;
esac

if command -v mpv >/dev/null 2>&1; then
  exec mpv --fullscreen --keep-open=no --really-quiet -- "$file"
elif command -v vlc >/dev/null 2>&1; then
  exec vlc --fullscreen --play-and-exit --quiet -- "$file"
elif command -v ffplay >/dev/null 2>&1; then
  exec ffplay -fs -autoexit -loglevel error -- "$file"
fi
echo "mplayerc.exe: no video player found; install mpv, VLC or ffplay." >&2
exit 127
