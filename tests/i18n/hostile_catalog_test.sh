#!/bin/bash
# The real program with a catalog from anyone beside it: the working start list's name
# translated as "..\..\Aktuell.Asl" and the class list's as "NUL", two ini key names as
# names no ini file can hold, and the messages of an unread start list and of a failed save
# translated with '%' directives that do not fit their arguments. The program keeps its files
# in its own folder under their original names, its settings under the original keys, and
# each message comes in its original words instead of a complaint about the format.
set -uo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
main="Kestrune / Software / Dravolin"
prog=$tmp/a/b/prog
mkdir -p "$prog/locale/de/LC_MESSAGES"

# The program with its file table cut off, so the catalog on disk is the one it reads: the
# shipped German catalog with six translations replaced (the keys stay sorted).
python3 - "$DRAVOLIN_BIN/dravolin.exe" "$prog" <<'PY'
import os, struct, sys
exe, folder = sys.argv[1:]
data = bytearray(open(exe, "rb").read())
sig = data.find(b"6637DB2E-62E1-4A60-AC19-C23867046A89") + 36
(table,) = struct.unpack_from("<Q", data, sig)
_, offset, size = struct.unpack_from("<QQQ", data, table)
catalog = bytes(data[offset:offset + size])
struct.pack_into("<Q", data, sig, 0)
open(os.path.join(folder, "dravolin.exe"), "wb").write(data)

magic, revision, count, keys, values = struct.unpack_from("<5I", catalog)
def text(table, i):
    length, at = struct.unpack_from("<2I", catalog, table + 8 * i)
    return catalog[at:at + length]
pairs = [(text(keys, i), text(values, i)) for i in range(count)]
hostile = {
    b"Current.Asl": b"..\\..\\Aktuell.Asl",
    b"Classes.Lst": b"NUL",
    b"The file %s could not be saved: %s.": b"Die Datei %d konnte nicht gespeichert werden: %s.",
    b"LapNum": b"Runden=zahl",
    b"ProtocolTitle": b"[ProtokollTitel",
}
unread = [k for k, _ in pairs if k.startswith(b"No participant could be read") and b"does not start" in k]
assert len(unread) == 1 and all(k in dict(pairs) for k in hostile)
hostile[unread[0]] = b"Startliste %s %s %s"
pairs = [(k, hostile.get(k, v)) for k, v in pairs]
# Header, the two tables, no hash table, then the strings.
out = bytearray(struct.pack("<7I", 0x950412DE, 0, count, 28, 28 + 8 * count, 0, 28 + 16 * count))
strings = bytearray()
base = 28 + 16 * count
for column in (0, 1):
    for pair in pairs:
        s = pair[column]
        out += struct.pack("<2I", len(s), base + len(strings))
        strings += s + b"\0"
open(os.path.join(folder, "locale", "de", "LC_MESSAGES", "default.mo"), "wb").write(bytes(out + strings))
PY
# Under its original name, a working start list whose first header line is lost.
printf '1\r\nA\r\n17\r\nMiller\r\nJohn\r\nFord\r\nFiesta\r\nLinz\r\nAT\r\n' >"$prog/Current.Asl"
cp "$prog/Current.Asl" "$tmp/original"

# The message boxes until the main window is up, a line each in UTF-8.
told_at_start() {
  local texts=
  for _ in $(seq 60); do
    gui_tool wait "$main" 0 >/dev/null 2>&1 && break
    if gui_tool wait dravolin 500 >/dev/null 2>&1; then
      texts+="$(gui_tool texts dravolin | tr -d '\r' | tr '\n' ' ' | iconv -f CP1252 -t UTF-8)"$'\n'
      gui_tool dismiss dravolin >/dev/null 2>&1
    fi
  done
  printf '%s' "$texts"
}
gui_start "$prog/dravolin.exe"
told=$(told_at_start)
printf '     %s\n' "$told"
check "the unread start list is told in the original words, naming Current.Asl in the program's folder" \
  "$(ok grep -q "No participant could be read from the working start list .*prog.Current.Asl: it does not start" <<<"$told")"
check "and not as a bad format" "$(ok bash -c '! grep -qi format' <<<"$told")"

# OK: the copy and the list go to the program's folder, nothing to the folders above.
gui_wait "$main"
gui_click "$main" 697 431
gui_wait Startliste
gui_click Startliste 603 307
gui_gone Startliste
check "OK keeps the unread list as prog/Current.Asl.bak" "$(ok cmp "$tmp/original" "$prog/Current.Asl.bak")"
check "and writes prog/Current.Asl" "$(ok test ! -s "$prog/Current.Asl")"
check "and nothing outside the program's folder" \
  "$(ok test -z "$(find "$tmp" -name 'Aktuell.Asl*' -o -name NUL)")"

# A save that fails: its message in the original words with the German reason.
chmod 444 "$prog/Current.Asl"
gui_click "$main" 697 431
gui_wait Startliste
gui_click Startliste 603 307
gui_tool wait dravolin 20000 >/dev/null
text=$(gui_tool texts dravolin | tr -d '\r' | tr '\n' ' ' | iconv -f CP1252 -t UTF-8)
gui_tool dismiss dravolin >/dev/null 2>&1
printf '     %s\n' "$text"
gui_gone Startliste
check "a failed save names the file and the reason in the original words" \
  "$(ok grep -q 'The file .*prog.Current.Asl could not be saved: sie ist schreibgeschützt' <<<"$text")"
# The configuration's OK: the two keys under their original names, and no complaint.
gui_click "$main" 549 399
gui_wait Einstellungen
gui_click Einstellungen 208 342
gui_gone Einstellungen
# Once the main window has answered a message, whatever the OK had to say stands on the screen.
gui_sync "$main"
text=$(gui_tool wait dravolin 0 >/dev/null 2>&1 && gui_tool texts dravolin | tr -d '\r' | tr '\n' ' ')
[ -z "$text" ] || gui_tool dismiss dravolin >/dev/null 2>&1
check "configuration OK saves without a message" "$(ok test -z "$text")"
for line in LapNum=1 ProtocolTitle=Dravolin; do
  check "the settings hold $line under a key name no ini file could hold translated" \
    "$(ok grep -qx "$line"$'\r' "$prog/dravolin.ini")"
done
rc=0
gui_close "$main" || rc=$?
check "the program ends normally" "$rc"

# Started again with no file under the original name (the day's list lies in Aktuell.Asl,
# where the catalog cannot lead): not a bare "FEHLER" but the file looked for and why.
rm -f "$prog/Current.Asl" "$prog/Current.Asl.bak"
gui_start "$prog/dravolin.exe"
told=$(told_at_start)
printf '     %s\n' "$told"
named=1
grep -qF 'prog\Current.Asl' <<<"$told" && grep -qF '..\..\Aktuell.Asl' <<<"$told" && named=0
check "a missing list under the original name is told with the file and the name refused" "$named"
rc=0
gui_close "$main" || rc=$?
check "the program ends normally" "$rc"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
