# A second start of the program while the first one is minimised: the second brings the first
# back to the front and ends with no window of its own, and every file of the folder keeps its
# bytes and time stamps; the first one then still runs a heat and exports it.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
title="Kestrune / Software / Dravolin"

cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
printf '[DRAVOLIN1ASLREC]\r\n1\r\nA\r\n17\r\nMiller\r\nJohn\r\nFord\r\nFiesta\r\nLinz\r\nAT\r\n' >"$tmp/Aktuell.Asl"

gui_start "$tmp/dravolin.exe"
gui_wait "$title"
gui_sync "$title"
gui_click "$title" 460 14  # lane 1 on

state() { gui_tool state "$title" | tr -d '\r'; }
is_state() { [[ "$(state)" == $1 ]]; }
gui_tool minimize "$title"
gui_until 10 is_state "iconic *" || { echo "FAIL first window not minimised: $(state)"; exit 1; }

# Names, sizes, modification times and contents of every file in the folder.
files() { (cd "$tmp" && find . -type f -printf '%P %s %T@\n' | sort && find . -type f -exec md5sum {} + | sort); }
before=$(files)

started=$(date +%s%N)
(exec "$WINE64" "$GUI_WINTOOL" --desktop "$GUI_DESKTOP" run "$tmp/dravolin.exe") &
second=$!
ended() { ! own_running "$second"; }
gui_until 20 ended || { echo "FAIL the second program did not end"; exit 1; }
ms=$((($(date +%s%N) - started) / 1000000))
rc=0
wait "$second" || rc=$?
failed=0
check() {
  if [ "$2" = 0 ]; then echo "ok   $1"; else echo "FAIL $1"; failed=$((failed + 1)); fi
}
echo "the second program ended after $ms ms (Wine's start included)"
check "second program exit code 0 (was $rc)" "$rc"
gui_until 10 is_state "normal foreground"
check "first window restored and in front ($(state))" "$(is_state 'normal foreground'; echo $?)"
after=$(files)
[ "$before" = "$after" ] && same=0 || same=1
check "every file unchanged" "$same"
[ "$same" = 0 ] || diff <(echo "$before") <(echo "$after") || true

# The first program goes on: a heat of three laps, exported as HTML.
for k in F5 F8 F8 F8 F8; do gui_key "$title" "$k"; done
page="$tmp/protocol.htm"
gui_click "$title" 568 357
gui_wait "HTML Protokoll"
gui_sync "HTML Protokoll"
gui_type "HTML Protokoll" "Z:$(printf '%s' "$page" | tr / '\\')"
gui_key "HTML Protokoll" Return
gui_until 10 test -s "$page" || { echo "FAIL no page written"; exit 1; }
grep -q Miller "$page" && exported=0 || exported=1
check "heat of the first program exported" "$exported"
rc=0
gui_close "$title" || rc=$?
check "first program exit code 0 (was $rc)" "$rc"
[ "$failed" = 0 ] || exit 1
echo "1 passed, 0 failed"
