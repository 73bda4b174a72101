# The start list editor of the real program enlarged by its size grip: the list grows with
# the window and the buttons keep to its right edge, the grip never makes it smaller than
# designed, and a double click on its caption maximises it with the list filling the window.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
main="Kestrune / Software / Dravolin"
list="Startliste"
shots=${DRAVOLIN_SCREENSHOT_DIR:-$tmp}
mkdir -p "$shots"

cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
entry() { printf '[DRAVOLIN1ASLREC]\r\n%s\r\nA\r\n%s\r\n%s\r\nAnna\r\nFord\r\nKa\r\nEssen\r\nD\r\n' "$1" "$1" "$2"; }
{ entry 1 Berg; entry 2 Kurz; entry 3 Lang; } >"$tmp/Aktuell.Asl"
gui_start "$tmp/dravolin.exe"
gui_wait "$main"
gui_click "$main" 711 431
gui_wait "$list"
gui_sync "$list"
gui_desktop
read -r left top width height <<<"${GUI_WINDOW[*]:0:4}"

pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
size_is() { gui_wait "$list" && [ "${GUI_WINDOW[2]} ${GUI_WINDOW[3]}" = "$1" ]; }
# grip DX DY: drags the grip in the window's bottom-right corner by (DX, DY).
grip() {
  gui_wait "$list"
  local x=$((GUI_DESKTOP_X + GUI_WINDOW[0] + GUI_WINDOW[2] - 5)) y=$((GUI_DESKTOP_Y + GUI_WINDOW[1] + GUI_WINDOW[3] - 5))
  gui_activate "$list"
  xdotool mousemove --sync "$x" "$y" mousedown 1
  gui_sync "$list"
  xdotool mousemove --sync $((x + $1)) $((y + $2))
  gui_sync "$list"
  xdotool mouseup 1
  gui_sync "$list"
}

grip 240 160
check "the grip enlarged the window by (240, 160)" "$(ok gui_until 10 size_is "$((width + 240)) $((height + 160))")"
gui_sync "$list"
shot=$shots/start-list-enlarged.png
gui_screenshot "$list" "$shot"
# Client points of the picture: the list's empty area at its bottom left as designed, and
# where the enlarged window added room below and right of the designed list.
cx=$((GUI_CLIENT[0] - GUI_WINDOW[0])) cy=$((GUI_CLIENT[1] - GUI_WINDOW[1]))
empty=$(pixel "$shot" $((cx + 30)) $((cy + 340)))
added=$(pixel "$shot" $((cx + 700)) $((cy + 480)))
check "the list fills the added room ($added where its empty area is $empty)" "$(ok test "$added" = "$empty")"
beside=$(pixel "$shot" $((cx + 600)) $((cy + 480)))
check "the buttons moved right with the edge, the list reaches past their old place ($beside)" \
  "$(ok test "$beside" = "$empty")"

grip -600 -500
check "the grip stops at the designed size" "$(ok gui_until 10 size_is "$width $height")"

# Maximised by a double click on the caption, the list fills the screen's width.
gui_activate "$list"
gui_wait "$list"
xdotool mousemove --sync $((GUI_DESKTOP_X + GUI_WINDOW[0] + GUI_WINDOW[2] / 2)) $((GUI_DESKTOP_Y + GUI_CLIENT[1] - 8)) \
  click --repeat 2 --delay 80 1
gui_sync "$list"
zoomed() { [ "$(gui_tool state "$list" | tr -d '\r' | cut -d' ' -f1)" = zoomed ]; }
check "a double click on the caption maximised the start list" "$(ok gui_until 10 zoomed)"
gui_wait "$list"
gui_sync "$list"
gui_screenshot "$list" "$tmp/zoomed.png"
cx=$((GUI_CLIENT[0] - GUI_WINDOW[0])) cy=$((GUI_CLIENT[1] - GUI_WINDOW[1]))
far=$(pixel "$tmp/zoomed.png" $((cx + GUI_CLIENT[2] - 150)) $((cy + GUI_CLIENT[3] - 30)))
check "the maximised list reaches the window's far corner ($far)" "$(ok test "$far" = "$empty")"

gui_tool close "$list"
gui_gone "$list"
rc=0
gui_close "$main" || rc=$?
check "exit code 0 (was $rc)" "$rc"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
