# The GUI helpers find a window, photograph it, and deliver clicks and keys at the client
# coordinates they are given, through Wine's virtual desktop.
set -euo pipefail
source "$(dirname "$0")/gui.sh"
gui_test

# A window's painting is timed from before the window exists: "ready", then the time it was
# painted, once, when it is shown.
gui_tool painted "wintool probe" 60000 >"$tmp/painted" &
waiter=$!
gui_until 60 grep -q ready "$tmp/painted" || { echo "painted never got ready"; exit 1; }
before=$(date +%s.%N)
gui_start "$GUI_WINTOOL" probe >"$tmp/probe.log"
gui_wait "wintool probe"
wait "$waiter" || { echo "the probe was not seen painted"; exit 1; }
painted=$(tail -n 1 "$tmp/painted" | tr -d '\r')
after=$(date +%s.%N)
[ "$(echo "$before < $painted && $painted < $after" | bc)" = 1 ] ||
  { echo "painted at $painted, not between $before and $after"; exit 1; }

# The client area is white once painted: the centre pixel of the picture must become so.
centre=
white_centre() {
  gui_screenshot "wintool probe" "$tmp/probe.png"
  centre=$(convert "$tmp/probe.png" -format "%[pixel:p{$((GUI_WINDOW[2] / 2)),$((GUI_WINDOW[3] / 2))}]" info:)
  case "$centre" in white | "srgb(255,255,255)") return 0 ;; *) return 1 ;; esac
}
gui_until 10 white_centre || { echo "centre pixel is $centre"; exit 1; }
size=$(identify -format '%wx%h' "$tmp/probe.png")
[ "$size" = "${GUI_WINDOW[2]}x${GUI_WINDOW[3]}" ] || { echo "screenshot is $size"; exit 1; }

gui_click "wintool probe" 40 30
gui_type "wintool probe" "ok"
gui_until 10 grep -q 'char 107' "$tmp/probe.log" || { echo "keys not seen"; exit 1; }
gui_close "wintool probe"

tr -d '\r' <"$tmp/probe.log" >"$tmp/events"
cat "$tmp/events"
grep -qx 'click 40 30' "$tmp/events" || { echo "click not seen at 40 30"; exit 1; }
grep -qx 'char 111' "$tmp/events" && grep -qx 'char 107' "$tmp/events" || { echo "keys not seen"; exit 1; }

# A process this shell did not start is never signalled by its id: ids come round again within
# a minute or two on a busy machine, and an ended test process's id may name another test's.
foreign=$(bash -c 'sleep 60 >/dev/null 2>&1 & echo $!')
kill_own "$foreign"
kill -0 "$foreign" 2>/dev/null || { echo "kill_own ended a process of another shell"; exit 1; }
kill "$foreign"

# A display lost during a test is named in the failure, with how its X server ended.
kill -TERM "$DRAVOLIN_XVFB_PID"
xvfb_gone() { ! own_running "$DRAVOLIN_XVFB_PID"; }
gui_until 10 xvfb_gone || { echo "the X server did not end"; exit 1; }
gui_desktop 2>"$tmp/report" && { echo "the desktop outlived its X server"; exit 1; }
cat "$tmp/report"
grep -q "X server of .* has ended" "$tmp/report" || { echo "the lost X server is not reported"; exit 1; }
echo "3 passed, 0 failed"
