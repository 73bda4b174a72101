# The speed button form on a screen of its own: the drop-down button with its arrow and
# open menu, the flat button's grey glyph until the pointer is over it, the wrapped caption.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
title="Speed buttons"
shots=${DRAVOLIN_BUILD:-$tmp}/screenshots
mkdir -p "$shots"

gui_start "$DRAVOLIN_TESTBIN/speedbutton_form.exe"
gui_wait "$title"
gui_activate "$title"
gui_sync "$title"
left=$((GUI_DESKTOP_X + GUI_CLIENT[0]))
top=$((GUI_DESKTOP_Y + GUI_CLIENT[1]))
# Pixels of a colour in a part of the client area: count COLOUR W H X Y. The matches are
# marked in a colour of their own first, so black and white are counted like any other.
count() {
  local mark='rgb(1,2,3)'
  import -window root -crop "$2x$3+$((left + $4))+$((top + $5))" +repage "$tmp/part.png"
  convert "$tmp/part.png" -fill "$mark" -opaque "$1" -fill black +opaque "$mark" -fill white -opaque "$mark" \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}
red_flat() { [ "$(count red 60 60 10 60)" -gt 10 ]; }
grey_flat() { [ "$(count red 60 60 10 60)" -eq 0 ] && [ "$(count 'rgb(76,76,76)' 60 60 10 60)" -gt 10 ]; }

# Pointer away from the buttons: the flat button's glyph is grey, no red in it.
xdotool mousemove $((left + 400)) $((top + 150))
gui_until 10 grey_flat || { echo "the flat button's inactive glyph is not grey"; exit 1; }
gui_screenshot "$title" "$shots/speedbuttons.png"
# Over it: its own colours.
xdotool mousemove $((left + 40)) $((top + 90))
gui_until 10 red_flat || { echo "the hot flat button does not show its glyph's colours"; exit 1; }
gui_screenshot "$title" "$shots/speedbuttons-hot.png"

# A press on the drop-down button opens its menu below it. The menu's first items are looked
# for above the flat button's glyph and caption, where the form itself has no black at all.
menu_text() { count 'rgb(0,0,0)' 58 24 12 48; }
[ "$(menu_text)" -eq 0 ] || { echo "black below the drop-down button before its menu opened"; exit 1; }
menu_open() { [ "$(menu_text)" -gt 20 ]; }
gui_click "$title" 40 20
gui_until 10 menu_open || { echo "the drop-down menu did not open below the button"; exit 1; }
import -window root -crop "260x140+$((left - 4))+$((top - 4))" +repage "$shots/speedbuttons-menu.png"
xdotool key Escape
gui_sync "$title"
xdotool mousemove $((left + 400)) $((top + 150))
rc=0
gui_close "$title" || rc=$?
[ $rc -eq 0 ] || { echo "exit code $rc"; exit 1; }
echo "1 passed, 0 failed"
