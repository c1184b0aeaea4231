# Shared by the end-to-end scripts that show a picture of 1-pixel stripes
# full screen and check the screen shows it 1:1; sourced, not run. Needs
# $here (this folder), xdotool, x11-utils and python3.

# The screen's size in pixels, as "width height".
screen_size() { xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*\)x\([0-9]*\) .*/\1 \2/p'; }

# A folder $1/pics with the stripes the size of the screen, and the
# program's settings $2: refresh at start, then show every picture full
# screen for a minute. $3 is the folder as the program names it.
prepare_stripes() {
  local width height
  read -r width height < <(screen_size)
  mkdir -p "$1/pics"
  python3 "$here/x11_stripes.py" make "$1/pics/stripes.png" "$width" "$height"
  python3 "$here/kestrova_ini.py" "$2" "$3" "*.png" StartMode=1 FullScreenView=1 ViewSeconds=60 AutoRunChoice=3
}

# True once a window of class $1 covers the whole screen (at a fractional
# scale Qt's window may round up to a pixel past it).
full_screen_shown() {
  local id width height
  read -r width height < <(screen_size)
  for id in $(xdotool search --onlyvisible --class "$1" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "$X" = 0 ] && [ "$Y" = 0 ] && [ "$WIDTH" -ge "$width" ] && [ "$HEIGHT" -ge "$height" ] && return 0
  done
  return 1
}

# Waits for the program $2 (process id) to show a window of class $3 over
# the whole screen, checks the screen shows the stripes 1:1 and saves it as
# $4, then ends the automatic run by a key, which ends the program.
#   check_stripes_shown <name> <pid> <window class> <screenshot.png>
check_stripes_shown() {
  local name=$1 program=$2 class=$3 shot=$4 verdict=""
  for _ in $(seq 1 600); do
    full_screen_shown "$class" && break
    kill -0 "$program" 2>/dev/null || fail "$name ended before showing the picture"
    sleep 0.1
  done
  full_screen_shown "$class" || fail "$name: no window covered the screen"
  # The caption line lies along the bottom edge, 340 twips above it.
  for _ in 1 2 3 4 5; do
    sleep 1
    if verdict=$(python3 "$here/x11_stripes.py" shot "$shot" --ignore-bottom 60); then break; fi
  done
  echo "$name: $verdict"
  case "$verdict" in *"every pixel"*) ;; *) fail "$name: the picture is not shown 1:1" ;; esac
  xdotool key Escape
  for _ in $(seq 1 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$program" 2>/dev/null && fail "$name: a key did not end the automatic run"
  wait "$program" 2>/dev/null || true
}
