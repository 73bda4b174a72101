#!/usr/bin/env bash
# Times how long the real program takes from a click to a dialog painted that shows a long
# list: WHAT is "startlist" (the start list editor, "Startliste", a working start list of
# COUNT entries), "select-car" (the car selection, "Teilnehmerauswahl", by a right click on
# lane 1's arrows over the same list), "classes" (the classes editor, "Klassen bearbeiten",
# with COUNT classes, from "..." in the participant editor) or "participant" (the participant
# editor, "Neuen Teilnehmer hinzufügen", with COUNT classes in its class box, from "Neu" in the
# start list editor). The program runs on a private X
# display and Wine desktop, in a folder of its own; the pointer is brought to the spot first
# and the clock runs from the click itself until no part of the dialog waits for its paint.
# The program's own memory (resident, not shared) before the click and after the painting
# is printed too.
# EXE (default: the build's dravolin.exe) lets an older build be timed.
# Usage: tools/startlist-open.sh [COUNT, default 10000] [EXE] [WHAT, default startlist]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages
build_tree --target dravolin wintool
ensure_prefix
exec "$DRAVOLIN_ROOT/tools/wine-session" bash -c '
  set -euo pipefail
  source "$DRAVOLIN_ROOT/tests/support/gui.sh"
  count=$1 exe=$2 what=$3
  gui_test
  main="Kestrune / Software / Dravolin"
  cp "$exe" "$tmp/dravolin.exe"
  entries=$count
  case $what in classes | participant) entries=3 ;; esac
  python3 - "$tmp" "$entries" "$count" "$what" <<PY
import sys
folder, entries, count, what = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
with open(folder + "/Aktuell.Asl", "wb") as out:
    for i in range(1, entries + 1):
        fields = [str(i), "Serie", str(i), "Nachname%d" % i, "Vorname%d" % i, "Ford", "Fiesta", "Linz", "AT"]
        out.write(b"[DRAVOLIN1ASLREC]\r\n" + b"".join(f.encode() + b"\r\n" for f in fields))
if what in ("classes", "participant"):
    with open(folder + "/Klasse.Lst", "wb") as out:
        out.write(b"".join(b"Klasse%d\r\n" % i for i in range(1, count + 1)))
PY
  gui_start "$tmp/dravolin.exe"
  gui_wait "$main"
  gui_sync "$main"
  # The process of the program itself (not the Wine loader that started it).
  pid=
  for p in $(pgrep -f "dravolin.exe" -u "$(id -u)"); do
    tr "\0" " " </proc/$p/cmdline | grep -q "$(basename "$tmp")" && pid=$p
  done
  memory() { awk "/^RssAnon/ { printf \"%.1f MB\", \$2 / 1024 }" "/proc/$pid/status"; }
  participant="Neuen Teilnehmer hinzufügen"
  case $what in
    startlist) from=$main x=697 y=431 button=1 target=Startliste ;;
    select-car)
      gui_click "$main" 460 14  # lane 1 on
      from=$main x=484 y=7 button=3 target=Teilnehmerauswahl ;;
    classes)
      gui_click "$main" 697 431
      gui_wait Startliste
      gui_key Startliste Insert
      gui_wait "$participant"
      from=$participant x=290 y=53 button=1 target="Klassen bearbeiten" ;;
    participant)
      gui_click "$main" 697 431
      gui_wait Startliste
      from=Startliste x=603 y=20 button=1 target="$participant" ;;
    *) echo "unknown dialog: $what" >&2; exit 2 ;;
  esac
  # The pointer on the spot and the window ready for input before the clock starts.
  gui_wait "$from" && gui_activate "$from"
  xdotool mousemove --sync $((GUI_DESKTOP_X + GUI_CLIENT[0] + x)) $((GUI_DESKTOP_Y + GUI_CLIENT[1] + y))
  gui_sync "$from"
  gui_tool painted "$target" 600000 >"$tmp/painted" &
  waiter=$!
  until grep -q ready "$tmp/painted" 2>/dev/null; do sleep 0.02; done
  before=$(memory)
  start=$(date +%s.%N)
  xdotool click "$button"
  wait "$waiter"
  end=$(tail -n 1 "$tmp/painted" | tr -d "\r")
  printf "%d entries: \"%s\" painted %.3f s after the click; memory %s before, %s after\n" "$count" \
    "$target" "$(echo "$end - $start" | bc)" "$before" "$(memory)"
  gui_key "$target" Escape || true
  gui_gone "$target" 600 || true
  [ "$what" = classes ] && { gui_key "$participant" Escape || true; gui_key Startliste Escape || true; }
  [ "$what" = participant ] && { gui_key Startliste Escape || true; }
  gui_close "$main" 60 || true
' startlist-open "${1:-10000}" "${2:-$DRAVOLIN_BUILD/bin/dravolin.exe}" "${3:-startlist}"
