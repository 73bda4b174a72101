#!/usr/bin/env bash
# Times the start list editor's first opening in the real program: a working start list of
# COUNT entries beside the program, a click on "Startliste", and the seconds until the
# editor's window shows. The program runs on a private X display and Wine desktop, in a
# folder of its own. EXE (default: the build's dravolin.exe) lets an older build be timed.
# Usage: tools/startlist-open.sh [COUNT, default 10000] [EXE]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages
build_tree --target dravolin wintool
ensure_prefix
exec "$DRAVOLIN_ROOT/tools/wine-session" bash -c '
  set -euo pipefail
  source "$DRAVOLIN_ROOT/tests/support/gui.sh"
  count=$1 exe=$2
  gui_test
  main="Kestrune / Software / Dravolin"
  cp "$exe" "$tmp/dravolin.exe"
  python3 - "$tmp/Aktuell.Asl" "$count" <<PY
import sys
with open(sys.argv[1], "wb") as out:
    for i in range(1, int(sys.argv[2]) + 1):
        fields = [str(i), "Serie", str(i), "Nachname%d" % i, "Vorname%d" % i, "Ford", "Fiesta", "Linz", "AT"]
        out.write(b"[DRAVOLIN1ASLREC]\r\n" + b"".join(f.encode() + b"\r\n" for f in fields))
PY
  gui_start "$tmp/dravolin.exe"
  gui_wait "$main"
  gui_sync "$main"
  start=$(date +%s.%N)
  gui_click "$main" 697 431
  gui_wait Startliste 600000
  end=$(date +%s.%N)
  printf "%d entries: the editor showed %.2f s after the click\n" "$count" "$(echo "$end - $start" | bc)"
  gui_key Startliste Escape || true
  gui_gone Startliste 600 || true
  gui_close "$main" 60 || true
' startlist-open "${1:-10000}" "${2:-$DRAVOLIN_BUILD/bin/dravolin.exe}"
