# Three heats run with the keys on the real program (finish, F9 stop, F10 crash), then the
# protocol exported as HTML through the save dialog: the page holds the three rows in rank
# order, with lap times for the finished heat and the German status words for the others.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
title="Kestrune / Software / Dravolin"
shots=${DRAVOLIN_BUILD:-$tmp}/screenshots
mkdir -p "$shots"

# A program of its own in a folder of its own, with one participant in the working start
# list (German file name, as the program runs with the German catalog).
cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
printf '[DRAVOLIN1ASLREC]\r\n1\r\nA\r\n17\r\nMiller\r\nJohn\r\nFord\r\nFiesta\r\nLinz\r\nAT\r\n' >"$tmp/Aktuell.Asl"

gui_start "$tmp/dravolin.exe"
gui_wait "$title"
gui_sync "$title"

# Lane 1's switch sits at the top right of the first lane block.
gui_click "$title" 460 14
# One key at a time, each taken in before the next (a lap is at least a hundredth long).
keys() {
  local k
  for k in "$@"; do gui_key "$title" "$k"; done
}
keys F5 F8 F8 F8 F8       # three laps: start, two laps, the third one finishes the heat
keys F5 F8 F8 F9          # stopped in lap 2
keys F5 F8 F10            # crash in lap 1
gui_screenshot "$title" "$shots/race-heat.png"

# The HTML export: the save dialog takes a typed file name.
page="$tmp/protocol.htm"
gui_click "$title" 568 357
gui_wait "HTML Protokoll"
gui_sync "HTML Protokoll"
gui_type "HTML Protokoll" "Z:$(printf '%s' "$page" | tr / '\\')"
gui_key "HTML Protokoll" Return
gui_until 10 test -s "$page" || { echo "no page written"; exit 1; }

rc=0
gui_close "$title" || rc=$?

python3 - "$page" <<'EOF'
import re, sys
page = open(sys.argv[1], encoding="latin-1").read()
rows = [re.findall(r"<td>(.*?)</td>", m) for m in re.findall(r"<td>\d+</td>.*?</tr>", page, re.S)]
failed = 0
def check(what, ok):
    global failed
    print(("ok   " if ok else "FAIL ") + what)
    failed += not ok
check("three rows", len(rows) == 3)
time = re.compile(r"^\d\d:\d\d\.\d\d$")
if len(rows) == 3:
    check("places 1 to 3", [r[0] for r in rows] == ["1", "2", "3"])
    check("the participant in every row", all("Miller" in r for r in rows))
    check("finished heat first with three laps and the best", all(time.match(c) for c in rows[0][-4:]))
    check("best is the smallest lap", rows[0][-1] == min(rows[0][-4:-1]))
    check("stopped heat: STOPP cells", rows[1][-4:] == ["STOPP"] * 4)
    check("crashed heat: UNFALL cells", rows[2][-4:] == ["UNFALL"] * 4)
sys.exit(1 if failed else 0)
EOF
[ $rc -eq 0 ] || { echo "exit code $rc"; exit 1; }
echo "1 passed, 0 failed"
