# The skinned title bars of the real program, driven with the pointer: the caption moves the
# window, the minimise button minimises it, a minimised window is moved by the system from its
# caption and maximised by a double click, and the icon opens the system menu, with the list of
# skins where the window offers it.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
main="Kestrune / Software / Dravolin"
shots=${DRAVOLIN_BUILD:-$tmp}/screenshots
mkdir -p "$shots"

cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
gui_start "$tmp/dravolin.exe"
# A start without a working start list reports it once, before the main window shows.
if gui_tool wait dravolin 5000 >/dev/null 2>&1; then gui_tool close dravolin; fi
gui_wait "$main"
gui_sync "$main"
gui_desktop

state() { gui_tool state "$1" | tr -d '\r' | cut -d' ' -f1; }
is_state() { [ "$(state "$1")" = "$2" ]; }
has_popups() { [ "$(gui_tool popups | tr -d '\r' | grep -c .)" = "$1" ]; }
# Where the parts of a title bar are, asked of the window itself: map TITLE once per window
# state, then at CODE (HTCAPTION 2, HTSYSMENU 3, HTMINBUTTON 8) sets px, py in
# X coordinates.
map() {
  gui_activate "$1"
  hits=$(gui_tool hitmap "$1" | tr -d '\r')
}
at() {
  local spot
  spot=$(awk -v code="$1" '$1 == code { print $2, $3 }' <<<"$hits")
  [ -n "$spot" ] || { echo "no part of the title bar answers $1: $hits"; return 1; }
  read -r px py <<<"$spot"
  px=$((GUI_DESKTOP_X + px))
  py=$((GUI_DESKTOP_Y + py))
}
# press TITLE CODE [CLICKS]: clicks (left) that part of the window's title bar.
press() {
  map "$1"
  at "$2" || return 1
  xdotool mousemove --sync "$px" "$py" click --repeat "${3:-1}" 1
  gui_sync "$1"
}
window_at() { gui_wait "$1" && [ "${GUI_WINDOW[0]} ${GUI_WINDOW[1]} ${GUI_WINDOW[2]} ${GUI_WINDOW[3]}" = "$2" ]; }

# Dragging the caption moves the window by as much as the pointer moved.
gui_wait "$main"
left=${GUI_WINDOW[0]} top=${GUI_WINDOW[1]} size="${GUI_WINDOW[2]} ${GUI_WINDOW[3]}"
map "$main"
at 2
xdotool mousemove --sync "$px" "$py" mousedown 1
gui_sync "$main"
xdotool mousemove --sync $((px + 60)) $((py + 40))
gui_sync "$main"
xdotool mouseup 1
gui_sync "$main"
check "the caption drag moved the main window by (60, 40)" \
  "$(ok window_at "$main" "$((left + 60)) $((top + 40)) $size")"

# The main window's icon opens its system menu, which has no list of skins.
press "$main" 3
check "the icon opened the main window's system menu" "$(ok gui_until 10 has_popups 1)"
xdotool key Down Right
gui_sync "$main"
check "the main window's system menu has no list of skins" "$(ok has_popups 1)"
xdotool key Escape Escape
check "Escape closed the system menu" "$(ok gui_until 10 has_popups 0)"

# A dialog shows no icon: a right click on the information window's caption opens its system
# menu, whose first item "Available skins" opens the list of skins beside it.
gui_click "$main" 711 399
gui_wait Info
gui_sync Info
map Info
at 2
xdotool mousemove --sync "$px" "$py" click 3
check "a right click on the caption opened the information window's system menu" \
  "$(ok gui_until 10 has_popups 1)"
xdotool key Down Right
check "\"Available skins\" opened the list of skins" "$(ok gui_until 10 has_popups 2)"
gui_wait Info
import -window root -crop "$((GUI_WINDOW[2] + 200))x${GUI_WINDOW[3]}+$((GUI_DESKTOP_X + GUI_WINDOW[0]))+$((GUI_DESKTOP_Y + GUI_WINDOW[1]))" \
  +repage "$shots/system-menu.png"
xdotool key Escape Escape
check "Escape closed both menus" "$(ok gui_until 10 has_popups 0)"
gui_key Info Return
gui_gone Info

# The minimise button minimises the main window, which Wine shows as a small title bar of its
# own: it shows the caption. A click on it is the system's move from the caption and leaves it
# minimised; a double click maximises it, and a double click on the maximised caption brings it
# back where it was.
gui_wait "$main"
before="${GUI_WINDOW[*]:0:4}"
press "$main" 8
check "the minimise button minimised the main window" "$(ok gui_until 10 is_state "$main" iconic)"
gui_wait "$main"
gui_sync "$main"
import -window root -crop "${GUI_WINDOW[2]}x${GUI_WINDOW[3]}+$((GUI_DESKTOP_X + GUI_WINDOW[0]))+$((GUI_DESKTOP_Y + GUI_WINDOW[1]))" \
  +repage "$shots/main-minimised.png"
colours=$(convert "$shots/main-minimised.png" -format %k info:)
check "the minimised window shows its caption, not a plain bar ($colours colours)" "$(ok test "$colours" -gt 8)"
press "$main" 2
xdotool key Escape # whatever menu the system's move may offer at its end
gui_sync "$main"
check "a click on it left it minimised" "$(ok is_state "$main" iconic)"
press "$main" 2 2
check "a double click on it maximised it" "$(ok gui_until 10 is_state "$main" zoomed)"
press "$main" 2 2
check "a double click on the maximised caption restored it" "$(ok gui_until 10 is_state "$main" normal)"
check "to where it was ($before)" "$(ok window_at "$main" "$before")"
xdotool mousemove 0 0

rc=0
gui_close "$main" || rc=$?
check "exit code 0 (was $rc)" "$rc"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
