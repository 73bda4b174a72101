# The real program with files it must not lose: a working start list whose first header line
# is missing (told at the start, kept as Aktuell.Asl.bak before OK writes over it), a UTF-8
# ini with a section of another program (kept byte for byte by the configuration's OK), and
# both files marked read-only (mode 444; Wine's read-only attribute): OK says which file
# could not be saved and why, and leaves it as it was.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
tmp=$(mktemp -d)
trap 'gui_end; chattr -i "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
gui_begin
main="Kestrune / Software / Dravolin"
# The message box's text (in UTF-8), once it is there; then it is closed.
message() {
  gui_tool wait dravolin 20000 >/dev/null || return 0
  gui_tool texts dravolin | tr -d '\r' | iconv -f CP1252 -t UTF-8
  gui_tool close dravolin >/dev/null 2>&1 || true
  gui_gone dravolin
}

cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"
list="$tmp/Aktuell.Asl"
ini="$tmp/dravolin.ini"
# Two complete records without the first header line.
printf '1\r\nA\r\n17\r\nMiller\r\nJohn\r\nFord\r\nFiesta\r\nLinz\r\nAT\r\n[DRAVOLIN1ASLREC]\r\n2\r\nA\r\n18\r\nHuber\r\nAnna\r\nVW\r\nPolo\r\nWels\r\nAT\r\n' >"$list"
cp "$list" "$tmp/original"
# UTF-8 with its mark; "[Notiz] Text=Ελληνικά und €" has no ANSI code page.
note='[Notiz]\r\nText=\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC und \xE2\x82\xAC\r\n'
printf "\xEF\xBB\xBF[Einstellungen]\r\nCountDown=7\r\n\r\n$note" >"$ini"

gui_start "$tmp/dravolin.exe"
text=$(message)
printf '     %s\n' "$text"
check "the start tells the unread start list, naming it and its copy" \
  "$(ok grep -q 'Startliste .*Aktuell.Asl .*Datensatzkopf.*Aktuell.Asl.bak' <<<"$text")"
gui_wait "$main"

# Start list OK: the unread file is kept beside it first.
gui_click "$main" 697 431
gui_wait Startliste
gui_click Startliste 603 307
gui_gone Startliste
check "OK keeps the unread start list as Aktuell.Asl.bak" "$(ok cmp "$tmp/original" "$list.bak")"
check "and then writes the (empty) list" "$(ok test ! -s "$list")"

# Configuration OK on the UTF-8 ini: the mark and the other section stay as they were.
gui_click "$main" 549 399
gui_wait Einstellungen
gui_click Einstellungen 208 342
gui_gone Einstellungen
check "the ini keeps its byte order mark" "$(ok cmp -n 3 "$ini" <(printf '\xEF\xBB\xBF'))"
check "the ini keeps the other program's section byte for byte" \
  "$(ok test "$(tail -c "$(printf "$note" | wc -c)" "$ini" | od -An -tx1)" = "$(printf "$note" | od -An -tx1)")"
check "the ini holds the settings" "$(ok grep -q '^CountDown=7' "$ini")"

# Both files read-only: each OK names its file and the reason, and the file stays.
chmod 444 "$list" "$ini"
cp "$ini" "$tmp/ini-before"
gui_click "$main" 697 431
gui_wait Startliste
gui_click Startliste 603 307
text=$(message)
printf '     %s\n' "$text"
gui_gone Startliste
check "start list OK on a read-only file names it" \
  "$(ok grep -q 'Datei .*Aktuell.Asl konnte nicht gespeichert werden' <<<"$text")"
check "and says it is read-only" "$(ok grep -q 'schreibgeschützt' <<<"$text")"
check "the read-only start list keeps its mode" "$(ok test "$(stat -c %a "$list")" = 444)"
gui_click "$main" 549 399
gui_wait Einstellungen
gui_click Einstellungen 208 342
text=$(message)
printf '     %s\n' "$text"
gui_gone Einstellungen
check "configuration OK on a read-only ini names it and says why" \
  "$(ok grep -q 'dravolin.ini konnte nicht gespeichert werden: sie ist schreibgeschützt' <<<"$text")"
check "the read-only ini is unchanged" "$(ok cmp "$tmp/ini-before" "$ini")"
check "the read-only ini keeps its mode" "$(ok test "$(stat -c %a "$ini")" = 444)"

# A folder nothing can be written to, root included (the immutable flag; where it cannot be
# set, this part is left out): both saves fail and say so, and the files stay.
chmod 644 "$list" "$ini"
if chattr +i "$tmp" 2>/dev/null; then
  gui_click "$main" 697 431
  gui_wait Startliste
  gui_click Startliste 603 307
  text=$(message)
  printf '     %s\n' "$text"
  gui_gone Startliste
  check "start list OK in a folder that cannot be written names the file and a reason" \
    "$(ok grep -q 'Aktuell.Asl konnte nicht gespeichert werden: .' <<<"$text")"
  gui_click "$main" 549 399
  gui_wait Einstellungen
  gui_click Einstellungen 208 342
  text=$(message)
  printf '     %s\n' "$text"
  gui_gone Einstellungen
  check "configuration OK there names the ini and a reason" \
    "$(ok grep -q 'dravolin.ini konnte nicht gespeichert werden: .' <<<"$text")"
  check "and no file in the folder changed" "$(ok test -z "$(find "$tmp" -type f -newer "$tmp/ini-before")")"
  chattr -i "$tmp"
else
  echo "skip the folder that cannot be written: chattr +i is not allowed here"
fi

rc=0
gui_close "$main" || rc=$?
check "the program ends normally" "$rc"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
