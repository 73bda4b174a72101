# A long start list beside the program: the start list editor opens with all of it, closing
# it leaves the file byte for byte as it was, and the program then ends normally.
#   long_start_list_test.sh COUNT ok|escape
# With ok the editor writes the list back (the very same bytes); with escape it is cancelled.
# The bounds are generous: the test waits, it does not time (startlist_bench and
# tools/startlist-open.sh do). At 470,000 entries (about 50 MB) the editor opens in about a
# second; a list view that kept its own copy of every row took 20 s to open, and the program
# 50 s to end after it, emptying its window row by row.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
count=$1
close=$2
gui_test
main="Kestrune / Software / Dravolin"

cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
python3 - "$tmp/Aktuell.Asl" "$count" <<'PY'
import sys
with open(sys.argv[1], "wb") as out:
    for i in range(1, int(sys.argv[2]) + 1):
        fields = [str(i), "Serie", str(i), "Nachname%d" % i, "Vorname%d" % i, "Ford", "Fiesta", "Linz", "AT"]
        out.write(b"[DRAVOLIN1ASLREC]\r\n" + b"".join(f.encode() + b"\r\n" for f in fields))
PY
cp "$tmp/Aktuell.Asl" "$tmp/expected.asl"

gui_start "$tmp/dravolin.exe"
gui_wait "$main" 60000 || { echo "no main window"; exit 1; }
gui_click "$main" 697 431
gui_wait Startliste 60000 || { echo "the start list editor did not open"; exit 1; }
case $close in
  ok) gui_click Startliste 603 307 ;;
  escape) gui_key Startliste Escape ;;
  *) echo "close the editor with ok or escape, not $close"; exit 1 ;;
esac
gui_gone Startliste 120 || { echo "the start list editor did not close ($close)"; exit 1; }
cmp -s "$tmp/Aktuell.Asl" "$tmp/expected.asl" || { echo "closing the editor ($close) changed the start list file"; exit 1; }
rc=0
gui_close "$main" 30 || rc=$?
[ $rc -eq 0 ] || { echo "the program did not end normally (exit code $rc)"; exit 1; }
echo "1 passed, 0 failed"
