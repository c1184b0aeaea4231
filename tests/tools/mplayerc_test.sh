#!/bin/sh
# The launcher shipped as mplayerc.exe: which player it starts, with which
# switches, and that the file reaches the player as one argument whatever
# its name holds. Stand-in players record their arguments, one per line.
#   mplayerc_test.sh <path of mplayerc.exe>
set -eu
launcher=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

stand_in() {  # stand_in DIR NAME: a player that records what it was given
  mkdir -p "$1"
  printf '#!/bin/sh\nprintf "%%s\\n" "$0" "$@" > "%s/args"\n' "$work" > "$1/$2"
  chmod +x "$1/$2"
}
expect() {  # expect WHAT LINE...: the recorded arguments, program name first
  what=$1; shift
  : > "$work/want"
  for line in "$@"; do printf '%s\n' "$line" >> "$work/want"; done
  cmp -s "$work/want" "$work/args" || { echo "got:"; cat "$work/args"; fail "$what"; }
}

awkward='/videos/a b "q" $HOME; `x` -y.avi'
for player in mpv vlc ffplay; do
  stand_in "$work/$player-bin" "$player"
done
stand_in "$work/all-bin" mpv
stand_in "$work/all-bin" vlc
stand_in "$work/all-bin" ffplay

PATH="$work/all-bin" "$launcher" "$awkward" /play /fullscreen /close
expect "mpv comes first" "$work/all-bin/mpv" --fullscreen --keep-open=no --really-quiet -- "$awkward"

PATH="$work/vlc-bin" "$launcher" "$awkward" /play /fullscreen /close
expect "vlc without mpv" "$work/vlc-bin/vlc" --fullscreen --play-and-exit --quiet -- "$awkward"

PATH="$work/ffplay-bin" "$launcher" "$awkward" /play /fullscreen /close
expect "ffplay last" "$work/ffplay-bin/ffplay" -fs -autoexit -loglevel error -- "$awkward"

PATH="$work/mpv-bin" "$launcher" "-rf.avi" /play /fullscreen /close
expect "a relative name never passes for an option" "$work/mpv-bin/mpv" --fullscreen --keep-open=no --really-quiet -- "./-rf.avi"

# The program tells "no player" from a player that failed by the exit code
# alone: 127 exactly, the shell's "command not found".
exit_code() { set +e; "$@"; code=$?; set -e; echo "$code"; }
mkdir -p "$work/none-bin"
code=$(PATH="$work/none-bin" exit_code "$launcher" "/videos/a.avi" /play /fullscreen /close 2> "$work/err")
[ "$code" = 127 ] || fail "no player installed: exit code $code, not 127"
grep -q "no video player found" "$work/err" || fail "no message on standard error"

# A player's own exit code comes back as it is (the launcher hands over).
mkdir -p "$work/failing-bin"
printf '#!/bin/sh\nexit 3\n' > "$work/failing-bin/mpv"
chmod +x "$work/failing-bin/mpv"
code=$(PATH="$work/failing-bin" exit_code "$launcher" "/videos/a.avi" /play /fullscreen /close)
[ "$code" = 3 ] || fail "a failing player: exit code $code, not its own 3"

code=$(PATH="$work/mpv-bin" exit_code "$launcher" 2> /dev/null)
[ "$code" = 2 ] || fail "no file given: exit code $code, not 2"
echo "mplayerc.exe launcher: all checks passed"
