#!/usr/bin/env bash
# Builds the program and starts it under Wine (README: "build and run the program").
# With a usable display the program runs there until it is closed; without one it runs on
# a private Xvfb, a screenshot of its main window is saved and the program is closed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
build_tree --target dravolin wintool
exe="$DRAVOLIN_BUILD/bin/dravolin.exe"
ensure_prefix

if display_usable; then
  log "starting $exe on $DISPLAY"
  exec "$DRAVOLIN_ROOT/tools/wine-session" "$WINE64" "$exe"
fi

shot="$DRAVOLIN_BUILD/screenshots/main-window.png"
mkdir -p "$(dirname "$shot")"
"$DRAVOLIN_ROOT/tools/wine-session" bash -c '
  set -euo pipefail
  source "$DRAVOLIN_ROOT/tests/support/gui.sh"
  # A desktop of its own: the shared one of the Wine prefix may be on the display of a test
  # run going on meanwhile, where the program could not make its windows.
  trap gui_end EXIT
  gui_begin
  gui_start "$1"
  # A start without a working start list reports it once, before the main window shows.
  if gui_tool wait dravolin 5000 >/dev/null 2>&1; then gui_tool close dravolin; fi
  gui_wait "Kestrune / Software / Dravolin"
  sleep 1
  gui_screenshot "Kestrune / Software / Dravolin" "$2"
  gui_close "Kestrune / Software / Dravolin"
' run "$exe" "$shot"
log "no display: the program ran on a private Xvfb; screenshot of its main window: $shot"
