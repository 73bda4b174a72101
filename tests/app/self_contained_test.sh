# The program is one 64-bit Windows executable that needs no DLL beside it.
set -euo pipefail
exe="$DRAVOLIN_BIN/dravolin.exe"
file -b "$exe" | grep -q '^PE32+ executable (GUI) x86-64' || { file "$exe"; exit 1; }
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|advapi32|winmm|msvcrt|api-ms-win-crt-.*)\.dll$'
bad=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' \
  | grep -Ev "$system_dlls" || true)
[ -z "$bad" ] || { echo "imports non-system DLLs: $bad"; exit 1; }
echo "1 passed, 0 failed"
