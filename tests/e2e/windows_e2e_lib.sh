# Shared by the end-to-end scripts of the Windows program; sourced, not run.

# Finds Wine ($wine; without it the script skips), makes the script's
# temporary folder $work, and on exit ends the program $pid, the prefix's
# server and the folder.
start_wine_work() {
  wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
  [ -x "$wine" ] || { echo "SKIP: no Wine"; exit 77; }
  work=$(mktemp -d)
  pid=""
  trap end_wine_work EXIT
}

end_wine_work() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  WINEPREFIX="$work/prefix" "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}

# A fresh Wine prefix in $work/prefix, its server persistent until the
# script's cleanup ends it: windows draw their own frames (there is no
# window manager), and the tables' font "ＭＳ Ｐゴシック" is shown as
# IPAPGothic.
make_wine_prefix() {
  export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  "$wine" wineboot --init >/dev/null 2>&1
  python3 - "$work/prefix.reg" <<'PY'
import sys
text = "\r\n".join([
    "Windows Registry Editor Version 5.00", "",
    r"[HKEY_CURRENT_USER\Software\Wine\X11 Driver]", '"Decorated"="N"', "",
    r"[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]",
    '"ＭＳ Ｐゴシック"="IPAPGothic"', '"ＭＳ ゴシック"="IPAGothic"', '"MS PGothic"="IPAPGothic"',
    '"MS UI Gothic"="IPAPGothic"', ""])
open(sys.argv[1], "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))
PY
  "$wine" regedit "$work/prefix.reg" >/dev/null 2>&1
  "$(dirname "$wine")/wineserver" -w
}

# The screen's scaling as Windows keeps it: dots per inch, 96 at 100 %.
set_wine_dpi() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
