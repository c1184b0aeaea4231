# Shared by the Wine end-to-end scripts; sourced, not run, after e2e_lib.sh.
# One Wine prefix and server serve a whole test run: a script joins the
# prefix WINEPREFIX names when it exists (scripts/test.sh makes one, its
# server persistent) and makes a temporary one only when run on its own.
# Needs wine64 (or wine), xdotool and python3, and a display (the scripts
# start Xvfb themselves).

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo "$(dirname "$wine")/wineserver")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

# Makes the script's temporary folder $work and joins the test run's prefix
# or, with "own" or outside a test run, makes one in $work. At the exit the
# program $pid is killed, what the script put into a joined prefix is taken
# back (its function undo, and the screen's scaling) and the folder goes.
#   wine_work [own]
wine_work() {
  [ -x "$wine" ] || { echo "SKIP: no Wine"; exit 77; }
  work=$(mktemp -d)
  pid=""
  own_prefix=no
  dpi_changed=no
  trap wine_work_end EXIT
  # A step that fails without a word of its own still says which it was.
  set -o errtrace
  trap 'echo "FAIL: $BASH_COMMAND (exit $?)" >&2' ERR
  # The registry files appear only once the server first saves; the drive
  # is there as soon as the prefix is.
  if [ "${1:-}" = own ] || [ -z "${WINEPREFIX:-}" ] || [ ! -d "$WINEPREFIX/drive_c" ]; then
    export WINEPREFIX="$work/prefix"
    own_prefix=yes
    "$wine" wineboot --init >/dev/null 2>&1
  fi
  # Windows draw their own frames (there is no window manager here), and
  # the tables' font "ＭＳ Ｐゴシック" is shown as IPAPGothic.
  wine_registry <<'REG'
[HKEY_CURRENT_USER\Software\Wine\AppDefaults\kestrova.exe\X11 Driver]
"Decorated"="N"
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
"MS PGothic"="IPAPGothic"
"MS UI Gothic"="IPAPGothic"
REG
}

wine_work_end() {
  if [ -n "${pid:-}" ]; then
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  if [ "$own_prefix" = yes ]; then
    "$wineserver" -k 2>/dev/null || true
  else
    if declare -F undo >/dev/null; then undo; fi
    if [ "$dpi_changed" = yes ]; then wine_dpi 96; fi
  fi
  rm -rf "$work"
}

# The screen's scaling as Windows keeps it, for the programs started from
# now on: dots per inch, 96 at 100 %, 144 at 150 %.
wine_dpi() {
  printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n' "$1" | wine_registry
  [ "$1" = 96 ] || dpi_changed=yes
}

# Runs the script again under Xvfb when there is no display.
#   wine_display "$@"
wine_display() {
  [ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-noreset -screen 0 1600x1000x24" "$0" "$@"
}

# A test's folder $work: kestrova.exe in $work/win, an empty $work/files,
# the prefix joined and the probe at hand.
#   wine_test <kestrova.exe> <wine_probe.exe>
wine_test() {
  wine_work
  probe_exe=$2
  mkdir -p "$work/win" "$work/files"
  cp "$1" "$work/win/kestrova.exe"
}

# Imports registry text (the body of a .reg file, UTF-8) from stdin.
wine_registry() {
  local reg
  reg=$(mktemp --suffix=.reg)
  python3 -c '
import sys
body = sys.stdin.read().replace("\n", "\r\n")
head = "Windows Registry Editor Version 5.00\r\n\r\n"
open(sys.argv[1], "wb").write(b"\xff\xfe" + (head + body).encode("utf-16-le"))
' "$reg"
  # A Wine process started while the last one's desktop shuts down may
  # fail at its start; a second try meets a settled session.
  local tries=0
  until "$wine" regedit "$reg" >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ "$tries" -lt 3 ] || { rm -f "$reg"; fail "regedit did not import the test's registry entries"; }
  done
  rm -f "$reg"
}

# The Windows form of a Linux path, as Wine's drive Z: shows it.
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
# The same with each backslash doubled, as a .reg file writes it.
reg_path() { local p; p=$(windows_path "$1"); echo "${p//\\/\\\\}"; }

# The probe built beside the program (wine_probe.cpp); arguments in UTF-8.
probe() { LC_ALL=C.UTF-8 "$wine" "$probe_exe" "$@"; }

# Waits for a window titled $1 (a trailing "*" matches the beginning) to
# show, or with $2 = gone to go.
wait_window() {
  probe wait "$@" || fail "window '$1' ${2:-did not show}"
}

# Clicks with button $1 (1 left, 2 middle, 3 right) at "x y" ($2).
click_at() {
  local button=$1 point=$2
  xdotool mousemove ${point% *} ${point#* } click "$button"
}

# Where row $1 of the main window's list lies on the screen.
row_point() {
  probe row "$main_title" "$1" || fail "no row $1 in the list"
}

# Selects every row of the list and waits until the list shows all $1
# selected. The middle button selects every row or none, by what was
# selected before, so it may take a second press.
select_all() {
  local want=$1 count
  count=$(probe selected "$main_title")
  for _ in 1 2; do
    [ "$count" = "$want" ] && return 0
    click_at 2 "$(row_point 1)"
    # From none it can only go to all; from some, to all or none.
    if [ "$count" = 0 ]; then
      count=$(probe selection "$main_title" "$want") || break
    else
      count=$(probe selection "$main_title" "$want" 0) || break
    fi
  done
  [ "$count" = "$want" ] || fail "the middle button did not select the $want rows"
}

# Chooses item $1 (1-based, separators not counted) of the list menu opened
# by a right click on row $2.
list_menu() {
  local item=$1 row=$2
  click_at 3 "$(row_point "$row")"
  probe menu || fail "no pop-up menu showed"
  for _ in $(seq 1 "$item"); do xdotool key Down; done
  xdotool key Return
  probe menu gone || fail "the pop-up menu stayed"
}

# The text of the message box titled "Kestrova" that shows now.
message_text() {
  wait_window "Kestrova"
  probe texts "Kestrova" | awk -F'\t' '$1 == "Static" && $2 != "" { print $2 }'
}

# Answers the message box titled "Kestrova" with its default button and
# waits for it to go.
answer_message() {
  xdotool key Return
  probe wait Kestrova gone || fail "the message stayed"
}

# Waits until file $1 has $2 lines.
wait_lines() {
  local file=$1 count=$2
  for _ in $(seq 1 600); do
    [ -f "$file" ] && [ "$(wc -l < "$file")" -ge "$count" ] && return 0
    sleep 0.1
  done
  fail "$file has not $count lines: $(cat "$file" 2>/dev/null)"
}

# kestrova.exe's settings: row 1 names $2, start mode $3, line 36 is $4,
# line 18 $5, the pattern $6.
#   write_settings <Kestrova.ini> <Windows folder> <start mode> [line 36] [line 18] [pattern]
write_settings() {
  python3 - "$1" "$2" "$3" "${4:-1,0,3,0,0,0}" "${5:-2000,1,0,0,0,0,3582,4762,4350,5835,1}" "${6:-*.*}" <<'PY'
import sys
path, folder, mode, line36, line18, pattern = sys.argv[1:7]
lines = ['"テスト","%s",1,0' % folder] + ['"","",0,0'] * 15
lines.append('1,0,0,%s,10335,5880,10215,5202,"%s"' % (mode, pattern))
lines.append(line18)
lines += ['"%s"' % pattern] + ['""'] * 15
lines.append('0,0,0,"",""')
lines.append(line36)
open(path, "wb").write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY
}

# Starts kestrova.exe from folder $1 and waits for its main window. With
# $2, a start that refreshes: it waits on until the start is over, when
# the $2 rows found are selected (a click before would land in the refresh).
main_title="ケストロヴァ (Kestrova) ZI22"
start_program() {
  "$wine" "$1/kestrova.exe" &
  pid=$!
  probe wait "$main_title" || fail "kestrova.exe showed no main window"
  if [ -n "${2:-}" ]; then
    probe selection "$main_title" "$2" >/dev/null || fail "the start did not end with its $2 rows selected"
  fi
}

# Waits for kestrova.exe to end by itself; $1 names the occasion.
wait_program_end() {
  for _ in $(seq 1 600); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "kestrova.exe did not end $1"
  wait "$pid" || true
  pid=""
}

# Closes the main window by its close box and waits for the program to end.
close_program() {
  local window
  window=$(xdotool search --onlyvisible --name "^ケストロヴァ \\(Kestrova\\) ZI22\$" | head -n 1)
  [ -n "$window" ] || fail "no main window to close"
  python3 "$here/x11_close.py" "$window"
  wait_program_end "when closed by its close box"
}
