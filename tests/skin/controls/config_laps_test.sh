# The configuration dialog with its skinned group boxes and radio group on the real program:
# the number of laps chosen with the mouse and with the keyboard is saved by OK, and Cancel
# keeps what was saved.
set -euo pipefail
source "$(dirname "$0")/../../support/gui.sh"
gui_test
title="Kestrune / Software / Dravolin"
config="Einstellungen"
shots=${DRAVOLIN_BUILD:-$tmp}/screenshots
mkdir -p "$shots"
ini="$tmp/dravolin.ini"

cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
gui_start "$tmp/dravolin.exe"
# A start without a working start list reports it once, before the main window shows.
if gui_tool wait dravolin 5000 >/dev/null 2>&1; then gui_tool close dravolin; fi
gui_wait "$title"
gui_sync "$title"

# The laps buttons: three columns of (328 - 10) div 3 pixels from x 8 in rgLaps at (8, 188),
# the glyph at each button's left edge, the row in the middle of the group's lower part.
lap_x() { echo $((8 + 8 + ($1 - 1) * 106 + 6)); }
lap_y=216
open_config() {
  gui_click "$title" 592 399
  gui_wait "$config"
  gui_sync "$config"
}
# The stored choice: "Rundenzahl" holds the number of laps minus 2.
stored_laps() { tr -d '\r' <"$ini" | sed -n 's/^Rundenzahl=//p' | awk '{ print $1 + 2 }'; }

open_config
gui_screenshot "$config" "$shots/config.png"
gui_click "$config" "$(lap_x 1)" $lap_y
gui_click "$config" 208 342
gui_gone "$config"
check "OK saves one lap chosen with the mouse" "$(ok test "$(stored_laps)" = 1)"

# The keyboard: from the first button the right arrow moves the focus to the second, the space key
# checks it and Return is the OK button's.
open_config
gui_click "$config" "$(lap_x 1)" $lap_y
gui_key "$config" Right space
gui_screenshot "$config" "$shots/config-two-laps.png"
gui_key "$config" Return
gui_gone "$config"
check "OK saves two laps chosen with the keyboard" "$(ok test "$(stored_laps)" = 2)"

open_config
gui_click "$config" "$(lap_x 3)" $lap_y
gui_key "$config" Escape
gui_gone "$config"
check "Cancel keeps the saved number of laps" "$(ok test "$(stored_laps)" = 2)"

open_config
gui_click "$config" "$(lap_x 3)" $lap_y
gui_click "$config" 208 342
gui_gone "$config"
check "OK saves three laps" "$(ok test "$(stored_laps)" = 3)"

rc=0
gui_close "$title" || rc=$?
check "the program ends cleanly" "$rc"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
