# The program opens its main window, draws it, and ends with exit code 0 when it is closed.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
title="Kestrune / Software / Dravolin"

gui_start "$DRAVOLIN_BIN/dravolin.exe"
# A start without a working start list reports it once, before the main window shows.
if gui_tool wait dravolin 5000 >/dev/null 2>&1; then gui_tool close dravolin; fi
gui_wait "$title"
gui_screenshot "$title" "$tmp/main.png"
[ "$(identify -format '%w' "$tmp/main.png")" -gt 100 ] || { echo "main window too small"; exit 1; }
rc=0
gui_close "$title" || rc=$?
[ $rc -eq 0 ] || { echo "exit code $rc"; exit 1; }
echo "1 passed, 0 failed"
