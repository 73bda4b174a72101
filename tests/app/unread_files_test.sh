# The real program with files it could not read whole at the start: the working start list
# and the settings held open by another program, and a class list with zero bytes in its
# names. Each is told at the start with the reason, and none is written over unread (the
# start list and class list are kept as .bak first, the settings not at all). And a full
# disk during a save: the message gives that reason and the file stays whole.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
main="Kestrune / Software / Dravolin"
participant="Neuen Teilnehmer hinzufügen"
classes="Klassen bearbeiten"
disk=
locks=()
trap 'for pid in "${locks[@]}"; do kill_own "$pid"; done
      [ -z "$disk" ] || umount -l "$disk" || true; gui_end; rm -rf "$tmp"' EXIT

# lock FILE: another program holds the file open with no sharing until unlock; its pid is
# LOCK_PID.
lock() {
  local out=$tmp/lock.$((${#locks[@]} + 1))
  (exec "$WINE64" "$GUI_WINTOOL" lock "$1" >"$out" 2>&1) &
  LOCK_PID=$!
  locks+=("$LOCK_PID")
  gui_until 30 grep -q locked "$out" || { echo "cannot lock $1: $(cat "$out")"; exit 1; }
}
unlock() { kill_own "$1" && wait "$1" 2>/dev/null || true; }
# message: the next message box's text in UTF-8 (empty when none comes); it is closed.
message() {
  gui_tool wait dravolin 20000 >/dev/null || return 0
  gui_tool texts dravolin | tr -d '\r' | tr '\n' ' ' | iconv -f CP1252 -t UTF-8
  gui_tool dismiss dravolin >/dev/null 2>&1 || true
}
start_list_ok() {
  gui_click "$main" 697 431
  gui_wait Startliste
  gui_click Startliste 603 307
}
config_ok() {
  gui_click "$main" 549 399
  gui_wait Einstellungen
  [ -z "${1:-}" ] || "$@"
  gui_click Einstellungen 208 342
}

dir=$tmp/held
mkdir "$dir"
cp "$DRAVOLIN_BIN/dravolin.exe" "$dir/"
list=$dir/Aktuell.Asl
ini=$dir/dravolin.ini
printf '[DRAVOLIN1ASLREC]\r\n1\r\nA\r\n17\r\nMiller\r\nJohn\r\nFord\r\nFiesta\r\nLinz\r\nAT\r\n[DRAVOLIN1ASLREC]\r\n2\r\nA\r\n18\r\nHuber\r\nAnna\r\nVW\r\nPolo\r\nWels\r\nAT\r\n' >"$list"
printf '[Einstellungen]\r\nCountDown=77\r\nRundenzahl=-1\r\nProtokollTitel=Clubrennen\r\n' >"$ini"
printf 'Open\r\nJun\0ior\r\nA\0\r\n' >"$dir/Klasse.Lst"
for f in "$list" "$ini" "$dir/Klasse.Lst"; do cp "$f" "$f.orig"; done
lock "$list"
list_lock=$LOCK_PID
lock "$ini"
ini_lock=$LOCK_PID

gui_start "$dir/dravolin.exe"
told=$(messages_until "$main")
printf '     %s\n' "$told"
check "the start tells the held start list, the reason, and the copy it will keep" \
  "$(ok grep -q 'Startliste .*Aktuell.Asl konnte nicht gelesen werden: .*Aktuell.Asl.bak' <<<"$told")"
check "the start tells the held settings file and that OK will not write over it" \
  "$(ok grep -q 'Einstellungsdatei .*dravolin.ini konnte nicht gelesen werden: .*überschreibt' <<<"$told")"
check "the start tells the class names cut at a zero byte and the copy it will keep" \
  "$(ok grep -q 'Klassenliste .*Klasse.Lst enthält Null-Bytes.*Klasse.Lst.bak' <<<"$told")"
check "and the start list says more than a bare FEHLER" "$(ok bash -c '! grep -q FEHLER' <<<"$told")"

# Start list OK while the file is still held: refused with the reason; it stays whole.
start_list_ok
text=$(message)
printf '     %s\n' "$text"
gui_gone Startliste
check "start list OK on the held file refuses, naming it and its copy" \
  "$(ok grep -q 'Aktuell.Asl wurde nicht gespeichert: .*Aktuell.Asl.bak' <<<"$text")"
unlock "$list_lock"
check "the held start list is whole" "$(ok cmp "$list.orig" "$list")"
# Let go: OK keeps it as .bak first.
start_list_ok
gui_gone Startliste
check "once free, OK keeps the start list as Aktuell.Asl.bak" "$(ok cmp "$list.orig" "$list.bak")"

# Configuration shown while the ini is held, OK pressed after it is free: still not written.
config_ok unlock "$ini_lock"
text=$(message)
printf '     %s\n' "$text"
gui_gone Einstellungen
check "configuration OK on the settings it never read refuses, naming the file" \
  "$(ok grep -q 'Einstellungsdatei .*dravolin.ini wurde nicht gespeichert' <<<"$text")"
check "the user's settings stay in the file" "$(ok cmp "$ini.orig" "$ini")"

# Classes editor's OK: the file with the zero bytes is kept whole first.
classes_editor_ok
gui_click Startliste 603 339
gui_gone Startliste
check "the classes editor's OK keeps the class list with its zero bytes as Klasse.Lst.bak" \
  "$(ok cmp "$dir/Klasse.Lst.orig" "$dir/Klasse.Lst.bak")"
rc=0
gui_close "$main" || rc=$?
check "the program ends normally" "$rc"

# A disk that fills up while the program runs (a small memory disk; left out where none can
# be mounted): one page is left, less than the start list needs, so the write stops half-way.
# OK says the disk is full and the file stays whole.
disk=$tmp/disk
mkdir "$disk"
if mount -t tmpfs -o size=$(($(stat -c %s "$DRAVOLIN_BIN/dravolin.exe") / 1024 + 512))k tmpfs "$disk" 2>/dev/null; then
  cp "$DRAVOLIN_BIN/dravolin.exe" "$disk/"
  for n in $(seq 1 100); do
    printf '[DRAVOLIN1ASLREC]\r\n%d\r\nA\r\n%d\r\nMiller\r\nJohn\r\nFord\r\nFiesta\r\nLinz\r\nAT\r\n' "$n" "$n"
  done >"$disk/Aktuell.Asl"
  cp "$disk/Aktuell.Asl" "$tmp/full.orig"
  gui_start "$disk/dravolin.exe"
  gui_wait "$main"
  dd if=/dev/zero of="$disk/filler" bs=4096 >/dev/null 2>&1 || true
  truncate -s -4096 "$disk/filler"
  start_list_ok
  text=$(message)
  printf '     %s\n' "$text"
  gui_gone Startliste
  check "OK on a full disk gives the full disk as the reason" \
    "$(ok grep -q 'Aktuell.Asl konnte nicht gespeichert werden: .*\(Disk full\|Speicherplatz\)' <<<"$text")"
  check "and the start list stays whole" "$(ok cmp "$tmp/full.orig" "$disk/Aktuell.Asl")"
  rc=0
  gui_close "$main" || rc=$?
  check "the program ends normally" "$rc"
else
  disk=
  echo "skip the full disk: no memory disk can be mounted here"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
