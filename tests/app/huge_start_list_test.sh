# A start list of about 50 MB (470,000 entries) beside the program: the start list editor
# opens with it, Escape closes it again without changing the file, and the program then ends
# normally when asked. The bounds are generous: the test waits, it does not time (see
# startlist_bench and tools/startlist-open.sh). The editor opens in about a second and the
# program ends at once; a list view that kept its own copy of every row took 20 s to open
# and close 50 s to end, emptying its window row by row.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
main="Kestrune / Software / Dravolin"

cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
python3 - "$tmp/Aktuell.Asl" <<'PY'
import sys
with open(sys.argv[1], "wb") as out:
    for i in range(1, 470001):
        fields = [str(i), "Serie", str(i), "Nachname%d" % i, "Vorname%d" % i, "Ford", "Fiesta", "Linz", "AT"]
        out.write(b"[DRAVOLIN1ASLREC]\r\n" + b"".join(f.encode() + b"\r\n" for f in fields))
PY
cp "$tmp/Aktuell.Asl" "$tmp/expected.asl"

gui_start "$tmp/dravolin.exe"
gui_wait "$main" 60000 || { echo "no main window"; exit 1; }
gui_click "$main" 697 431
gui_wait Startliste 60000 || { echo "the start list editor did not open"; exit 1; }
gui_key Startliste Escape
gui_gone Startliste 120 || { echo "the start list editor did not close"; exit 1; }
cmp -s "$tmp/Aktuell.Asl" "$tmp/expected.asl" || { echo "closing the editor changed the start list file"; exit 1; }
rc=0
gui_close "$main" 30 || rc=$?
[ $rc -eq 0 ] || { echo "the program did not end normally (exit code $rc)"; exit 1; }
echo "1 passed, 0 failed"
