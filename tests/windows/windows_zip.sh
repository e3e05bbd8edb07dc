#!/usr/bin/env bash
# Unpacks the Windows zip as a user does and checks the program folder it gives: every file there, and programs
# that need nothing but the DLLs every Windows has.
#   windows_zip.sh <zip> <folder to unpack into>
set -euo pipefail
zip=$1 dest=$2
rm -rf "$dest"
mkdir -p "$dest"
(cd "$dest" && cmake -E tar xf "$zip")
top=$dest/iec101opc-win64
status=0
for f in iec101opc.exe sim101.exe opc_ua3.dll README-Windows.txt iec101.cfg iec101kp.cfg cnf.ini sim-tcp.cfg \
         sim-line1.cfg web/help.html web/css; do
  [ -e "$top/$f" ] || { echo "the zip lacks $f"; status=1; }
done
system_dlls='^(advapi32|kernel32|msvcrt|mswsock|ole32|oleaut32|shell32|user32|gdi32|comctl32|ws2_32)\.dll$'
for program in "$top"/*.exe "$top"/*.dll; do
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system_dlls"; then
      echo "$(basename "$program") needs $dll, which is not part of Windows"
      status=1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')
done
exit $status
