# GUI test helpers for tests driven from the Linux side: start a Windows program under the
# current Wine session, find its windows, take screenshots, click and type with xdotool,
# and close it. Source this file inside tools/wine-session (it needs DISPLAY and WINEPREFIX).
#
# A test calls gui_begin first: it gets an X display and a Wine desktop of its own, so the
# pointer, the keyboard focus and the foreground window are its alone, whatever other tests
# show meanwhile. Without gui_begin the helpers work on the session's shared desktop.
#
# Coordinates given to the helpers are client coordinates of the named Win32 window; they
# are turned into X coordinates through the window's screen position and the offset of
# Wine's virtual desktop window on the X screen.

source "$(dirname "${BASH_SOURCE[0]}")/../../tools/common.sh"
GUI_WINTOOL=${GUI_WINTOOL:-${DRAVOLIN_TESTBIN:-$DRAVOLIN_BUILD/tests}/wintool.exe}
GUI_PID=
GUI_DESKTOP=

gui_fail() {
  printf 'gui: %s\n' "$*" >&2
  xvfb_report
  return 1
}

# gui_tool ARGS...: wintool on the test's desktop.
gui_tool() { "$WINE64" "$GUI_WINTOOL" ${GUI_DESKTOP:+--desktop "$GUI_DESKTOP"} "$@"; }

# gui_begin: a private Xvfb and a Wine desktop on it for this test; gui_end takes them down
# (and with them whatever the test left running there). Call gui_end from the test's trap.
gui_begin() {
  start_xvfb
  GUI_DESKTOP=dravolin-test-$$
  # The program's single-instance guard would refuse copies that other tests run meanwhile.
  export DRAVOLIN_TEST_INSTANCE=$GUI_DESKTOP
  # The desktop's process must not hold the test's output open: start it apart.
  ("$WINE64" explorer "/desktop=$GUI_DESKTOP,1280x1024" </dev/null >/dev/null 2>&1 &)
  gui_until 60 xdotool search --name "^$GUI_DESKTOP - Wine desktop\$" >/dev/null 2>&1 \
    || gui_fail "the desktop $GUI_DESKTOP did not come up on $DISPLAY" || return 1
  # The desktop closes when no program is on it: one stays there between the test's programs.
  (exec "$WINE64" "$GUI_WINTOOL" --desktop "$GUI_DESKTOP" hold </dev/null >/dev/null 2>&1) &
  GUI_HOLD_PID=$!
}

# gui_test: how a GUI test starts: a scratch folder in $tmp, removed at the end, and a
# private display and desktop.
gui_test() {
  tmp=$(mktemp -d)
  trap 'gui_end; rm -rf "$tmp"' EXIT
  gui_begin
}

gui_end() {
  [ -n "$GUI_DESKTOP" ] || return 0
  kill_own "$GUI_HOLD_PID"  # gone with a lost display
  stop_xvfb
  GUI_DESKTOP=
}

# gui_until SECONDS COMMAND...: runs the command every 0.1 s until it succeeds; fails when
# it has not within the time.
gui_until() {
  local tries=$(($1 * 10))
  shift
  until "$@"; do
    [ $((tries--)) -gt 0 ] || return 1
    sleep 0.1
  done
}

# gui_gone TITLE [SECONDS]: waits until a window is gone (a modal dialog closed by a key or
# a click).
gui_window_gone() { ! gui_tool wait "$1" 0 >/dev/null 2>&1; }
gui_gone() { gui_until "${2:-5}" gui_window_gone "$1" || gui_fail "window \"$1\" still open"; }

# For tests that report check by check: check WHAT STATUS prints "ok" (status 0) or "FAIL"
# with what was checked and counts it in passed and failed; ok COMMAND... gives 0 when the
# command succeeds, else 1, as such a status.
passed=0
failed=0
check() {
  if [ "$2" = 0 ]; then
    echo "ok   $1"
    passed=$((passed + 1))
  else
    echo "FAIL $1"
    failed=$((failed + 1))
  fi
}
ok() { "$@" >/dev/null 2>&1 && echo 0 || echo 1; }

# gui_start EXE [ARGS...]: starts the program in the background (its pid in GUI_PID).
gui_start() {
  # exec: GUI_PID is the Wine process itself, which a test may kill.
  if [ -n "$GUI_DESKTOP" ]; then
    (exec "$WINE64" "$GUI_WINTOOL" --desktop "$GUI_DESKTOP" run "$@") &
  else
    "$WINE64" "$@" &
  fi
  GUI_PID=$!
}

# gui_wait TITLE [TIMEOUT_MS]: waits until a visible top-level window has this title; sets
# GUI_WINDOW=(x y w h) and GUI_CLIENT=(x y w h) in screen coordinates.
gui_wait() {
  local out
  out=$(gui_tool wait "$1" "${2:-60000}" | tr -d '\r') || gui_fail "no window \"$1\"" || return 1
  read -r -a _gui_rect <<<"$out"
  GUI_WINDOW=("${_gui_rect[@]:0:4}")
  GUI_CLIENT=("${_gui_rect[@]:4:4}")
}

# The X window of Wine's virtual desktop and its position on the X screen.
gui_desktop() {
  GUI_DESKTOP_XID=$(xdotool search --name "^${GUI_DESKTOP:-.*} - Wine desktop\$" 2>/dev/null | head -n 1)
  [ -n "$GUI_DESKTOP_XID" ] || gui_fail "no Wine desktop window on $DISPLAY" || return 1
  eval "$(xdotool getwindowgeometry --shell "$GUI_DESKTOP_XID")"
  GUI_DESKTOP_X=$X
  GUI_DESKTOP_Y=$Y
}

# gui_screenshot TITLE FILE.png: the window (with its frame) as a PNG.
gui_screenshot() {
  gui_wait "$1" && gui_desktop || return 1
  local x=$((GUI_DESKTOP_X + GUI_WINDOW[0])) y=$((GUI_DESKTOP_Y + GUI_WINDOW[1]))
  import -window root -crop "${GUI_WINDOW[2]}x${GUI_WINDOW[3]}+$x+$y" +repage "$2" \
    || gui_fail "screenshot failed"
}

# gui_activate TITLE: makes the window the foreground window and gives the desktop X focus.
gui_activate() {
  gui_desktop || return 1
  gui_tool activate "$1" || return 1
  xdotool windowfocus --sync "$GUI_DESKTOP_XID" 2>/dev/null || xdotool windowfocus "$GUI_DESKTOP_XID"
}

# gui_click TITLE X Y [BUTTON]: clicks at client coordinates of the window.
gui_click() {
  gui_wait "$1" && gui_activate "$1" || return 1
  local x=$((GUI_DESKTOP_X + GUI_CLIENT[0] + $2)) y=$((GUI_DESKTOP_Y + GUI_CLIENT[1] + $3))
  # "mousemove --sync" waits for the pointer to move: when it is there already (a second
  # click on the same spot) it would wait for a motion that never comes.
  local X Y SCREEN WINDOW
  eval "$(xdotool getmouselocation --shell)"
  if [ "$X" != "$x" ] || [ "$Y" != "$y" ]; then
    xdotool mousemove --sync "$x" "$y" || return 1
  fi
  xdotool click "${4:-1}" && gui_sync "$1"
}

# gui_sync TITLE: returns once the window's program has taken in the input sent so far.
gui_sync() { gui_tool sync "$1" >/dev/null 2>&1 || true; }

# gui_key TITLE KEY...: presses keys (xdotool names: F5, Return, Insert, ctrl+s) in the window.
gui_key() {
  local title=$1
  shift
  gui_activate "$title" && xdotool key --delay 50 "$@" && gui_sync "$title"
}

# gui_type TITLE TEXT: types text into the window's focused control.
gui_type() { gui_activate "$1" && xdotool type --delay 50 "$2" && gui_sync "$1"; }

# gui_close TITLE [TIMEOUT_S]: asks the window to close and waits for the program started by
# gui_start to end; returns its exit code (124 when it did not end in time).
gui_close() {
  gui_tool close "$1" || return 1
  [ -n "$GUI_PID" ] || return 0
  local waited=0
  while own_running "$GUI_PID"; do
    [ $waited -ge $((${2:-20} * 10)) ] && { gui_fail "program did not end"; return 124; }
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$GUI_PID"
}

# classes_editor_ok: in the program's main window ($main), reaches the classes editor as a
# user does ("Startliste", Insert for a new participant, "..." beside the class), closes it
# with OK and the participant editor with Escape; the start list stays open. Needs $main,
# $participant and $classes (the two editors' German titles).
classes_editor_ok() {
  gui_click "$main" 697 431
  gui_wait Startliste
  gui_key Startliste Insert
  gui_wait "$participant"
  gui_click "$participant" 290 53
  gui_wait "$classes"
  gui_click "$classes" 260 203
  gui_gone "$classes"
  gui_key "$participant" Escape
  gui_gone "$participant"
}

# messages_until TITLE: the program's message boxes ("dravolin") shown until the window
# TITLE is up, each closed; their texts in UTF-8, one line each.
messages_until() {
  local texts= tries=0
  while ! gui_tool wait "$1" 0 >/dev/null 2>&1 && [ $((tries += 1)) -le 60 ]; do
    if gui_tool wait dravolin 500 >/dev/null 2>&1; then
      texts+="$(gui_tool texts dravolin | tr -d '\r' | tr '\n' ' ' | iconv -f CP1252 -t UTF-8)"$'\n'
      gui_tool dismiss dravolin >/dev/null 2>&1 || true
    fi
  done
  printf '%s' "$texts"
}
