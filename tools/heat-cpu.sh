#!/usr/bin/env bash
# Measures the processor time the program takes while a three-lane heat runs, while it
# sits idle, and idle again after the heat was stopped (F9) halfway through a lap, as a
# share of one core, and saves a screenshot of the main window during the heat. The program runs on a private X display and Wine desktop, in a folder of its own.
# Usage: tools/heat-cpu.sh [SECONDS per measurement, default 10]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages
build_tree --target dravolin wintool
ensure_prefix
seconds=${1:-10}
shot="$DRAVOLIN_BUILD/screenshots/heat-running.png"
mkdir -p "$(dirname "$shot")"
exec "$DRAVOLIN_ROOT/tools/wine-session" bash -c '
  set -euo pipefail
  source "$DRAVOLIN_ROOT/tests/support/gui.sh"
  seconds=$1 shot=$2
  tmp=$(mktemp -d)
  trap "gui_end; rm -rf \"\$tmp\"" EXIT
  gui_begin
  title="Kestrune / Software / Dravolin"
  cp "$DRAVOLIN_BUILD/bin/dravolin.exe" "$tmp/"
  # Three participants, and no count-down, so the three lanes start one trigger after another.
  for n in 1 2 3; do
    printf "[DRAVOLIN1ASLREC]\r\n$n\r\nA\r\n1$n\r\nRacer$n\r\nJo\r\nFord\r\nKa\r\nLinz\r\nAT\r\n"
  done >"$tmp/Aktuell.Asl"
  printf "[Einstellungen]\r\nCountDown=0\r\n" >"$tmp/dravolin.ini"
  gui_start "$tmp/dravolin.exe"
  gui_wait "$title"
  gui_sync "$title"
  # The process of the program itself (not the Wine loader that started it).
  pid=$(pgrep -f "dravolin.exe" -n -u "$(id -u)" | head -1)
  for p in $(pgrep -f "dravolin.exe" -u "$(id -u)"); do
    tr "\0" " " </proc/$p/cmdline | grep -q "$(basename "$tmp")" && pid=$p
  done
  ticks() { awk "{print \$14 + \$15}" "/proc/$pid/stat"; }
  measure() {
    local before after
    before=$(ticks)
    sleep "$seconds"  # the measuring interval
    after=$(ticks)
    awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" \
      "BEGIN { printf \"%.1f %% of one core\", 100 * t / hz / s }"
  }
  echo "idle:    $(measure)"
  # Lanes 1 to 3 on, then prepare and three triggers: all three lanes run.
  gui_click "$title" 460 14
  gui_click "$title" 460 162
  gui_click "$title" 460 310
  for k in F5 F8 F8 F8; do gui_key "$title" "$k"; done
  echo "running: $(measure)"
  gui_screenshot "$title" "$shot"
  gui_key "$title" F9
  echo "stopped: $(measure)"
  # The protocol now holds rows not exported: closing asks, and the session ends it.
  gui_tool close "$title" >/dev/null 2>&1 || true
' heat-cpu "$seconds" "$shot"
