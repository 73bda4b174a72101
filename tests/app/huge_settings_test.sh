# A settings file of 1 GB beside the program (damaged, or not ours): the program warns about
# it at once instead of reading it, then shows its main window, and leaves the file as it was.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
title="Kestrune / Software / Dravolin"

# A working start list, so the only box at the start can be the settings warning.
cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
printf '[DRAVOLIN1ASLREC]\r\n1\r\nA\r\n17\r\nMiller\r\nJohn\r\nFord\r\nFiesta\r\nLinz\r\nAT\r\n' >"$tmp/Aktuell.Asl"
ini="$tmp/dravolin.ini"
printf '[Einstellungen]\r\nCountDown=77\r\n' >"$ini"
truncate -s 1G "$ini"
before=$(stat -c '%s %Y' "$ini")

gui_start "$tmp/dravolin.exe"
gui_tool wait dravolin 20000 >/dev/null || { echo "no warning within 20 s"; exit 1; }
# In German like every other text, naming the file.
warning=$(gui_tool texts dravolin | tr -d '\r' | iconv -f CP1252 -t UTF-8)
grep -q "Die Einstellungsdatei .*dravolin.ini ist viel zu groß" <<<"$warning" || { echo "warning: $warning"; exit 1; }
gui_tool close dravolin
gui_wait "$title" 20000 || { echo "no main window"; exit 1; }
rc=0
gui_close "$title" || rc=$?
[ $rc -eq 0 ] || { echo "exit code $rc"; exit 1; }
[ "$(stat -c '%s %Y' "$ini")" = "$before" ] || { echo "the settings file was changed"; exit 1; }
echo "1 passed, 0 failed"
