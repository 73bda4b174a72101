# The configuration dialog's skinned controls on the real program, driven with the mouse: the
# port list drops down from its skinned button and a port is chosen from it, the count-down's
# spin buttons count up and down, and OK writes the counted value to the ini file.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
main="Kestrune / Software / Dravolin"
dialog=Einstellungen
shots=${DRAVOLIN_SCREENSHOT_DIR:-$tmp}
mkdir -p "$shots"

cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
gui_start "$tmp/dravolin.exe"
# A start without a working start list reports it once, before the main window shows.
if gui_tool wait dravolin 5000 >/dev/null 2>&1; then gui_tool close dravolin; fi
gui_wait "$main"
gui_sync "$main"
gui_click "$main" 592 399
gui_wait "$dialog"
gui_sync "$dialog"

# Percent of white in a 60 x 20 patch of the dialog where the dropped port list lies over the
# count-down's group box (the skin's panel grey while the list is closed).
white_share() {
  local x=$((GUI_DESKTOP_X + GUI_CLIENT[0] + 137)) y=$((GUI_DESKTOP_Y + GUI_CLIENT[1] + 168))
  import -window root -crop "60x20+$x+$y" +repage "$tmp/area.png"
  convert "$tmp/area.png" -fill black +opaque white -fill white -opaque white -format '%[fx:int(mean*100)]' info:
}
list_open() { gui_wait "$dialog" && [ "$(white_share)" -ge 60 ]; }
list_closed() { gui_wait "$dialog" && [ "$(white_share)" -le 10 ]; }
# A value the dialog wrote to the ini file on OK.
ini_value() { tr -d '\r' <"$tmp/dravolin.ini" | grep -a "^$1=" | head -1 | cut -d= -f2; }
confirm() {
  gui_click "$dialog" 208 342
  gui_gone "$dialog"
}

check "the port list is closed at first" "$(ok list_closed)"
# The port box (group box at 8,8; the box at 100,20 in it, 120 x 21): its drop-down button.
gui_click "$dialog" 217 38
check "a click on the skinned button drops the port list" "$(ok gui_until 5 list_open)"
gui_screenshot "$dialog" "$shots/config-port-list.png" || true
# The third item, COM2: the list starts below the box, 13 pixels an item.
gui_click "$dialog" 150 $((50 + 2 * 13 + 6))
check "choosing a port closes the list" "$(ok gui_until 5 list_closed)"
confirm
# Without a device behind COM2 the dialog falls back to no port (0).
port=$(ini_value COMPORT)
check "OK wrote the chosen port or, without a device, none ($port)" "$([[ "$port" =~ ^[02]$ ]] && echo 0 || echo 1)"
start=$(ini_value CountDown)
check "OK wrote the count-down ($start)" "$([ -n "$start" ] && echo 0 || echo 1)"

# The count-down (group box at 8,128; the spin edit at 12,20 in it, 80 x 22): its buttons sit
# inside the 3-pixel border at the right, the up button over the down button.
gui_click "$main" 592 399
gui_wait "$dialog"
gui_sync "$dialog"
for _ in 1 2 3; do gui_click "$dialog" 89 155; done
gui_click "$dialog" 89 164
gui_screenshot "$dialog" "$shots/config-controls.png" || true
confirm
counted=$(ini_value CountDown)
check "three clicks up and one down count on by 2 ($start to $counted)" \
  "$([ "$counted" = "$((${start:-0} + 2))" ] && echo 0 || echo 1)"

rc=0
gui_close "$main" || rc=$?
check "the program ends cleanly" "$([ $rc -eq 0 ] && echo 0 || echo 1)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
