# The real program in folders the ANSI code page cannot spell (Greek, Polish) and in one of
# over 300 characters: it starts in German without a word, reads the three files and saves
# them again; a UTF-8 title the code page lacks survives the configuration's OK. And in a
# plain folder: a start list and settings (UTF-8 without a mark) that a sync tool holds while
# sharing them read, and what an interrupted save of the program left is gone after the start,
# except a temporary another process holds and other programs' temporaries.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
main="Kestrune / Software / Dravolin"
participant="Neuen Teilnehmer hinzufügen"
classes="Klassen bearbeiten"
locks=()
trap 'for pid in "${locks[@]}"; do kill_own "$pid"; done; gui_end; rm -rf "$tmp"' EXIT

# hold share|lock FILE: another program holds the file, sharing reading, writing and
# deleting or alone, until its pid (HOLD_PID) is killed.
hold() {
  local out=$tmp/share.$((${#locks[@]} + 1))
  (exec "$WINE64" "$GUI_WINTOOL" "$1" "$2" >"$out" 2>&1) &
  HOLD_PID=$!
  locks+=("$HOLD_PID")
  gui_until 30 grep -q locked "$out" || { echo "cannot hold $2: $(cat "$out")"; exit 1; }
}
inode() { stat -c %i "$1"; }
title=$'Z\xc3\xbcrich \xce\xa9' # "Zürich Ω"

# The program in a folder with its three files, the ini in UTF-8: as EXE (dravolin.exe by
# default; the ini is named after it).
fill() {
  local exe=${2:-dravolin.exe}
  cp "$DRAVOLIN_BIN/dravolin.exe" "$1/$exe"
  printf '[DRAVOLIN1ASLREC]\r\n1\r\nA\r\n17\r\nMiller\r\nJohn\r\nFord\r\nFiesta\r\nLinz\r\nAT\r\n[DRAVOLIN1ASLREC]\r\n2\r\nJunior\r\n18\r\nHuber\r\nAnna\r\nVW\r\nPolo\r\nWels\r\nAT\r\n' >"$1/Aktuell.Asl"
  printf 'A\r\nJunior\r\n' >"$1/Klasse.Lst"
  printf '\xef\xbb\xbf[Einstellungen]\r\nCountDown=7\r\nProtokollTitel=%s\r\n' "$title" >"$1/${exe%.exe}.ini"
}

# Start list and classes editor closed with OK, then the configuration: each in German.
save_all() {
  classes_editor_ok
  gui_click Startliste 603 307
  gui_gone Startliste
  gui_click "$main" 549 399
  gui_wait Einstellungen
  gui_click Einstellungen 208 342
  gui_gone Einstellungen
}

# run_folder WHAT DIR [EXE]
run_folder() {
  local what=$1 dir=$2 exe=${3:-dravolin.exe} told ini before_list before_classes before_ini rc=0
  ini=$dir/${exe%.exe}.ini
  mkdir -p "$dir"
  fill "$dir" "$exe"
  before_list=$(inode "$dir/Aktuell.Asl") before_classes=$(inode "$dir/Klasse.Lst") before_ini=$(inode "$ini")
  if [ "$exe" = dravolin.exe ]; then
    gui_start "$dir/$exe"
  else
    # No program can start one in a folder this long (the system's start takes the short
    # form); Wine's own start from Linux can, on the desktop named for the program's name.
    "$WINE64" reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\Explorer" /v Desktop /d "$GUI_DESKTOP" /f >/dev/null 2>&1
    ("$WINE64" "$dir/$exe" </dev/null >/dev/null 2>&1 &)
    GUI_PID=
  fi
  told=$(messages_until "$main")
  [ -z "$told" ] || printf '     %s\n' "$told"
  check "$what: starts without a message" "$(gui_tool wait "$main" 0 >/dev/null 2>&1 && [ -z "$told" ] && echo 0 || echo 1)"
  save_all
  check "$what: the start list is read and saved" \
    "$(ok bash -c "grep -q Miller '$dir/Aktuell.Asl' && grep -q Huber '$dir/Aktuell.Asl' && [ $(inode "$dir/Aktuell.Asl") != $before_list ]")"
  check "$what: the class list is read and saved" \
    "$(ok bash -c "grep -q Junior '$dir/Klasse.Lst' && [ $(inode "$dir/Klasse.Lst") != $before_classes ]")"
  check "$what: the settings are read and saved, the title as it was" \
    "$(ok bash -c "grep -q 'CountDown=7' '$ini' && grep -qF 'ProtokollTitel=$title' '$ini' && [ $(inode "$ini") != $before_ini ]")"
  gui_close "$main" || rc=$?
  [ "$exe" = dravolin.exe ] || { gui_gone "$main" 20 && rc=0 || rc=1; }
  check "$what: the program ends normally" "$rc"
}

run_folder Greek "$tmp/Αθήνα"
run_folder Polish "$tmp/Łódź"
long=$tmp/$(printf 'Vereinsmeisterschaft der Autocross-Freunde %.0s' 1 2 3)/$(printf 'Lauf Nummer eins bis drei %.0s' 1 2 3 4 5)/$(printf 'Sonntag %.0s' 1 2 3 4 5)
exe=dravolin-$$.exe
run_folder "a folder of $(($(printf '%s' "$long" | wc -m) + 2)) characters" "$long" "$exe"
"$WINE64" reg delete "HKCU\\Software\\Wine\\AppDefaults\\$exe" /f >/dev/null 2>&1 || true

# A plain folder: the start list held by a sync tool, stale temporaries, one of them held.
dir=$tmp/shared
mkdir "$dir"
fill "$dir"
# Ours left by interrupted saves, one still held; other programs' (the system's "drv" scheme).
for name in '~dravolin-save-0001a2b3.tmp' '~DRAVOLIN-SAVE-0000C11A.TMP' '~dravolin-save-00000c0d.tmp' \
  drv1a2b.tmp DRVC11A.TMP drv12345.tmp notes.tmp; do printf 'stale' >"$dir/$name"; done
# The ini as Notepad saves it: UTF-8 without a byte order mark.
printf '[Einstellungen]\r\nCountDown=7\r\nProtokollTitel=%s\r\n' "$title" >"$dir/dravolin.ini"
hold share "$dir/Aktuell.Asl"
list_holder=$HOLD_PID
hold share "$dir/dravolin.ini"
ini_holder=$HOLD_PID
hold lock "$dir/~dravolin-save-00000c0d.tmp"
gui_start "$dir/dravolin.exe"
told=$(messages_until "$main")
[ -z "$told" ] || printf '     %s\n' "$told"
check "a start list and settings held with full sharing read at the start" "$([ -z "$told" ] && echo 0 || echo 1)"
check "the start removes the stale temporaries no program holds, and only the program's" \
  "$(ok bash -c "cd '$dir' && [ ! -e '~dravolin-save-0001a2b3.tmp' ] && [ ! -e '~DRAVOLIN-SAVE-0000C11A.TMP' ] && [ -e '~dravolin-save-00000c0d.tmp' ] && [ -e drv1a2b.tmp ] && [ -e DRVC11A.TMP ] && [ -e drv12345.tmp ] && [ -e notes.tmp ]")"
# The configuration shown while the sync tool holds the ini, OK once it let go.
gui_click "$main" 549 399
gui_wait Einstellungen
kill_own "$ini_holder" && wait "$ini_holder" 2>/dev/null || true
gui_click Einstellungen 208 342
gui_gone Einstellungen
check "the settings shown beside the sync tool are the user's and OK keeps them, in UTF-8 without a mark" \
  "$(ok bash -c "grep -q 'CountDown=7' '$dir/dravolin.ini' && grep -qF 'ProtokollTitel=$title' '$dir/dravolin.ini' && grep -q \$'ProtokollFu\\xc3\\x9fzeile=' '$dir/dravolin.ini' && [ \"\$(head -c 3 '$dir/dravolin.ini')\" = '[Ei' ]")"
kill_own "$list_holder" && wait "$list_holder" 2>/dev/null || true
save_all
check "and the list read beside the sync tool is saved whole" \
  "$(ok bash -c "grep -q Miller '$dir/Aktuell.Asl' && grep -q Huber '$dir/Aktuell.Asl' && [ ! -e '$dir/Aktuell.Asl.bak' ]")"
rc=0
gui_close "$main" || rc=$?
check "the program ends normally" "$rc"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
