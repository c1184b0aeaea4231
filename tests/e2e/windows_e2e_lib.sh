# Shared by the end-to-end scripts of the Windows program; sourced, not run.
# Needs $wine (wine64) and $work (a temporary folder of the script's own).

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
