#!/usr/bin/env bash
# Measures the processor time the program takes while a three-lane heat runs, while it
# sits idle (beside the trivial program, floor_program with its one window, over the same
# interval), and idle again after the heat was stopped (F9) halfway through a lap, as a
# share of one core, and saves a screenshot of the main window during the heat. While the heat
# runs, the floor of a heat (floor_program heat: three 438 x 97 areas repainted at 100 Hz
# through a memory device context, nothing else) runs beside it over the same interval, and
# the heat's ratio to it is printed. The program runs on a private X display and Wine
# desktop, in a folder of its own.
# Usage: tools/heat-cpu.sh [SECONDS per measurement, default 10]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages
build_tree --target dravolin wintool floor_program
ensure_prefix
seconds=${1:-10}
shot="$DRAVOLIN_BUILD/screenshots/heat-running.png"
mkdir -p "$(dirname "$shot")"
exec "$DRAVOLIN_ROOT/tools/wine-session" bash -c '
  set -euo pipefail
  source "$DRAVOLIN_ROOT/tests/support/gui.sh"
  seconds=$1 shot=$2
  gui_test
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
  ticks() { awk "{print \$14 + \$15}" "/proc/$1/stat"; }
  share() {
    awk -v t="$1" -v hz="$(getconf CLK_TCK)" -v s="$seconds" "BEGIN { printf \"%.2f\", 100 * t / hz / s }"
  }
  measure() {
    local before after
    before=$(ticks "$pid")
    sleep "$seconds"  # the measuring interval
    after=$(ticks "$pid")
    echo "$(share $((after - before))) % of one core"
  }
  # The trivial program idle beside it, over the same interval.
  (exec "$WINE64" "$GUI_WINTOOL" --desktop "$GUI_DESKTOP" run "$DRAVOLIN_BUILD/tests/floor_program.exe") &
  gui_wait "Dravolin start-up floor"
  trivial=
  for p in $(pgrep -f "floor_program.exe" -u "$(id -u)"); do
    tr "\0" " " </proc/$p/cmdline | grep -q wintool || trivial=$p
  done
  trivial_before=$(ticks "$trivial")
  echo "idle:    $(measure)"
  echo "trivial: $(share $(($(ticks "$trivial") - trivial_before))) % of one core (one window, idle beside it)"
  gui_tool close "Dravolin start-up floor" >/dev/null 2>&1 || true
  # Lanes 1 to 3 on, then prepare and three triggers: all three lanes run.
  gui_click "$title" 460 14
  gui_click "$title" 460 162
  gui_click "$title" 460 310
  for k in F5 F8 F8 F8; do gui_key "$title" "$k"; done
  # The floor beside the running heat, both measured over the same interval.
  (exec "$WINE64" "$GUI_WINTOOL" --desktop "$GUI_DESKTOP" run "$DRAVOLIN_BUILD/tests/floor_program.exe" heat) &
  floor_title="Dravolin heat floor"
  gui_wait "$floor_title"
  # The floor itself, not the wintool that started it.
  floor=
  for p in $(pgrep -f "floor_program.exe heat" -u "$(id -u)"); do
    tr "\0" " " </proc/$p/cmdline | grep -q wintool || floor=$p
  done
  heat_before=$(ticks "$pid") floor_before=$(ticks "$floor")
  sleep "$seconds"  # the measuring interval
  heat=$(($(ticks "$pid") - heat_before)) floor_ticks=$(($(ticks "$floor") - floor_before))
  gui_tool close "$floor_title" >/dev/null 2>&1 || true
  echo "running: $(share "$heat") % of one core"
  echo "floor:   $(share "$floor_ticks") % of one core (three 438 x 97 areas at 100 Hz, beside the heat)"
  awk -v h="$heat" -v f="$floor_ticks" "BEGIN { if (f > 0) printf \"ratio:   %.2f (heat to floor)\\n\", h / f }"
  gui_screenshot "$title" "$shot"
  gui_key "$title" F9
  echo "stopped: $(measure)"
  # The protocol now holds rows not exported: closing asks, and the session ends it.
  gui_tool close "$title" >/dev/null 2>&1 || true
' heat-cpu "$seconds" "$shot"
