#!/usr/bin/env bash
# Fails when a Windows program imports a function that is not on the list of
# functions the oldest Windows it claims to run on has (README.txt: Windows
# 7): such a program does not even start there. Functions of newer systems
# are looked up at run time instead (platform/win32/win32_dpi.cpp).
#   check-windows-imports.sh <program.exe> [list]
# The list (data/windows/windows7-functions.txt by default) holds one
# "dll function" a line; a function joins it once its documented minimum
# system is Windows 7 or older.
set -euo pipefail
exe=$1
list=${2:-"$(dirname "$0")/../data/windows/windows7-functions.txt"}
objdump=$(command -v x86_64-w64-mingw32-objdump || command -v objdump)

"$objdump" -p "$exe" | python3 -c '
import re, sys
allowed = set()
for line in open(sys.argv[1], encoding="utf-8"):
    line = line.split("#", 1)[0].strip()
    if line:
        dll, function = line.split()
        allowed.add((dll.lower(), function))
dll, imports = None, []
for line in sys.stdin:
    named = re.match(r"\s*DLL Name: (\S+)", line)
    if named:
        dll = named.group(1).lower()
        continue
    if re.match(r"\S", line):
        dll = None  # the import tables are over
        continue
    entry = re.match(r"\s+[0-9a-fA-F]+\s+\d+\s+(\S+)\s*$", line)
    if dll and entry:
        imports.append((dll, entry.group(1)))
if not imports:
    sys.exit("%s: no imports found; is it a Windows program?" % sys.argv[2])
newer = sorted(set(imports) - allowed)
for dll, function in newer:
    print("%s imports %s from %s, which Windows 7 may not have" % (sys.argv[2], function, dll), file=sys.stderr)
if newer:
    sys.exit(1)
print("%s: %d imports, all of Windows 7" % (sys.argv[2], len(set(imports))))
' "$list" "$(basename "$exe")"
