# The program opens its main window, draws it, and ends with exit code 0 when it is closed.
# Asked for the timeline of its start, it writes every step of it, in order.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
title="Kestrune / Software / Dravolin"

trace="$tmp/start.txt"
DRAVOLIN_START_TRACE="Z:${trace//\//\\}" gui_start "$DRAVOLIN_BIN/dravolin.exe"
# A start without a working start list reports it once, before the main window shows.
if gui_tool wait dravolin 5000 >/dev/null 2>&1; then gui_tool close dravolin; fi
gui_wait "$title"
gui_screenshot "$title" "$tmp/main.png"
[ "$(identify -format '%w' "$tmp/main.png")" -gt 100 ] || { echo "main window too small"; exit 1; }
rc=0
gui_close "$title" || rc=$?
[ $rc -eq 0 ] || { echo "exit code $rc"; exit 1; }
steps=("entry point" "catalogs checked" "units started" "skin data loaded" "skin announced")
for form in Main ClassesEditor AddClass EditClass StartList StartListEdit Config SelectCar InfoForm; do
  steps+=("form $form created")
done
steps+=("protocol columns built" "main window shown")
# Each line: milliseconds since the process was made, processor milliseconds, the step.
sed -E 's/\r$//; s/^ *[0-9.]+ ms +[0-9.]+ cpu  //' "$trace" | grep -xF -f <(printf '%s\n' "${steps[@]}") >"$tmp/steps.txt" || true
diff <(printf '%s\n' "${steps[@]}") "$tmp/steps.txt" || { echo "start-up timeline incomplete:"; cat "$trace"; exit 1; }
awk '{ if ($1 + 0 < last) bad = 1; last = $1 + 0 } END { exit bad }' "$trace" \
  || { echo "start-up timeline goes backwards:"; cat "$trace"; exit 1; }
echo "2 passed, 0 failed"
