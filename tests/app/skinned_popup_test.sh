# The menus of the real program are drawn from the skin: the protocol list's context menu and
# the information window's system menu; an item lies on the popup section's colour, and once
# chosen with the keyboard on the selection's.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
title="Kestrune / Software / Dravolin"
shots=${DRAVOLIN_BUILD:-$tmp}/screenshots
mkdir -p "$shots"
sections="$(dirname "$0")/../../resources/skin/sections.ini"
background=$(awk '/^\[/ { in_menu = ($0 == "[MainMenu]") } in_menu && $1 == "PaintingColor" { print $3 }' "$sections")
[ -n "$background" ] || { echo "no MainMenu colour in $sections"; exit 1; }

cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
gui_start "$tmp/dravolin.exe"
# A start without a working start list reports it once, before the main window shows.
if gui_tool wait dravolin 5000 >/dev/null 2>&1; then gui_tool close dravolin; fi
gui_wait "$title"
gui_sync "$title"

# A right click in the protocol list opens the menu with its top-left corner at the pointer.
gui_click "$title" 640 200 3
x=$((GUI_DESKTOP_X + GUI_CLIENT[0] + 640))
y=$((GUI_DESKTOP_Y + GUI_CLIENT[1] + 200))
# Percent of a patch inside the first item that has the colour.
share() {
  import -window root -crop "60x16+$((x + 8))+$((y + 8))" +repage "$tmp/item.png"
  convert "$tmp/item.png" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:int(mean*100)]' info:
}
on_background() { [ "$(share "$background")" -ge 50 ]; }
selected() { [ "$(share "$background")" -le 10 ]; }

gui_until 10 on_background || { echo "the menu is not on the skin's popup colour"; exit 1; }
xdotool key Down
gui_until 10 selected || { echo "the chosen item is not on the skin's selection"; exit 1; }
import -window root -crop "200x60+$x+$y" +repage "$shots/protocol-menu.png"
xdotool key Escape
gui_sync "$title"

# The information window's system menu, opened by a right click on its caption (HTCAPTION, as
# the window's hit map tells) at the pointer.
gui_click "$title" 711 399
gui_wait Info
gui_sync Info
gui_activate Info
read -r x y <<<"$(gui_tool hitmap Info | tr -d '\r' | awk '$1 == 2 { print $2, $3; exit }')"
x=$((GUI_DESKTOP_X + x))
y=$((GUI_DESKTOP_Y + y))
xdotool mousemove --sync "$x" "$y" click 3
gui_until 10 on_background || { echo "the system menu is not on the skin's popup colour"; exit 1; }
xdotool key Down
gui_until 10 selected || { echo "the system menu's chosen item is not on the skin's selection"; exit 1; }
import -window root -crop "220x200+$((x - 10))+$((y - 30))" +repage "$shots/info-system-menu.png"
xdotool key Escape
gui_key Info Return
gui_gone Info
rc=0
gui_close "$title" || rc=$?
[ $rc -eq 0 ] || { echo "exit code $rc"; exit 1; }
echo "2 passed, 0 failed"
