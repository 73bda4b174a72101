# A race official's session on the real program in a folder of its own: first start with
# the missing start list reported once, classes and participants entered through the
# dialogs and kept in the German-named files, a restart that brings them back, two lanes
# assigned, a heat run by keys, both file exports, the configuration written to the ini
# file in the ANSI code page, and screenshots of all nine forms for the German texts.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
main="Kestrune / Software / Dravolin"
shots=${DRAVOLIN_SCREENSHOT_DIR:-$tmp}
mkdir -p "$shots"

# A screenshot of a window once it is painted: a blank rectangle has only a few colours.
painted_shot() {
  gui_screenshot "$1" "$shots/$2.png" 2>/dev/null && [ "$(identify -format '%k' "$shots/$2.png")" -gt 8 ]
}
shot() { gui_until 4 painted_shot "$1" "$2" || gui_fail "no painted screenshot of \"$1\""; }

# Clicks a field of a dialog and replaces its text.
field() {
  gui_click "$1" "$2" "$3"
  gui_key "$1" End shift+Home
  gui_type "$1" "$4"
}

keys() {
  local title=$1 k
  shift
  for k in "$@"; do gui_key "$title" "$k"; done
}

cp "$DRAVOLIN_BIN/dravolin.exe" "$tmp/"

# ---- 1. First start ---------------------------------------------------------------------
gui_start "$tmp/dravolin.exe"
check "first start reports the missing start list" "$(ok gui_tool wait dravolin 10000)"
gui_tool close dravolin >/dev/null 2>&1 || true
gui_gone dravolin
gui_wait "$main"
shot "$main" main-first-start
# btnStart sits at the bottom left; disabled, it is drawn without the lime caption.
crop() { convert "$shots/$1.png" -crop "$2" +repage "$tmp/$3.png"; }
# The title bar's height: client coordinates below are turned into window image ones.
frame_x=$((GUI_CLIENT[0] - GUI_WINDOW[0]))
frame_y=$((GUI_CLIENT[1] - GUI_WINDOW[1]))
start_button="253x38+$((frame_x + 6))+$((frame_y + 450))"
crop main-first-start "$start_button" start-disabled

# ---- 2. Classes and participants through the dialogs --------------------------------------
participant="Neuen Teilnehmer hinzufügen"
# participant CLASS NUMBER LAST FIRST MAKE TYPE CITY LAND: the editor is open; Enter confirms.
participant() {
  field "$participant" 180 52 "$1"
  field "$participant" 200 82 "$2"
  field "$participant" 200 112 "$3"
  field "$participant" 200 142 "$4"
  field "$participant" 200 172 "$5"
  field "$participant" 200 202 "$6"
  field "$participant" 200 232 "$7"
  field "$participant" 200 262 "$8"
  gui_key "$participant" Return
  gui_gone "$participant"
}
new_class() {
  gui_click "Klassen bearbeiten" 260 20
  gui_wait "Neue Klasse"
  [ -z "${2:-}" ] || shot "Neue Klasse" "$2"
  gui_type "Neue Klasse" "$1"
  gui_key "Neue Klasse" Return
  gui_gone "Neue Klasse"
}

gui_click "$main" 711 431
gui_wait Startliste
gui_key Startliste Insert
gui_wait "$participant"
shot "$participant" participant-editor
gui_click "$participant" 290 53
gui_wait "Klassen bearbeiten"
new_class Serie new-class
new_class Offen
shot "Klassen bearbeiten" classes-editor
# A double click on a class opens its name for editing; Escape leaves it as it is.
gui_wait "Klassen bearbeiten" && gui_activate "Klassen bearbeiten"
xdotool mousemove --sync $((GUI_DESKTOP_X + GUI_CLIENT[0] + 60)) $((GUI_DESKTOP_Y + GUI_CLIENT[1] + 14)) click --repeat 2 --delay 80 1
gui_wait "Klasse bearbeiten"
shot "Klasse bearbeiten" edit-class
gui_key "Klasse bearbeiten" Escape
gui_gone "Klasse bearbeiten"
gui_click "Klassen bearbeiten" 260 203
gui_gone "Klassen bearbeiten"
participant Serie 17 Miller John Ford Fiesta Linz AT
gui_key Startliste Insert
gui_wait "$participant"
participant Offen 23 Berger Anna Opel Corsa Graz AT
gui_key Startliste Insert
gui_wait "$participant"
participant Serie 5 Novak Petr Skoda Fabia Brno CZ
shot Startliste start-list
gui_click Startliste 603 307
gui_gone Startliste

python3 - "$tmp" <<'PY' && check "classes and participants kept in Klasse.Lst and Aktuell.Asl" 0 || check "classes and participants kept in Klasse.Lst and Aktuell.Asl" 1
import sys, os
folder = sys.argv[1]
classes = open(os.path.join(folder, "Klasse.Lst"), "rb").read()
assert classes.split(b"\r\n")[:2] == [b"Serie", b"Offen"], classes
data = open(os.path.join(folder, "Aktuell.Asl"), "rb").read()
records = [r.split(b"\r\n")[:9] for r in data.split(b"[DRAVOLIN1ASLREC]\r\n")[1:]]
assert data.startswith(b"[DRAVOLIN1ASLREC]\r\n") and len(records) == 3, data
assert records[0] == b"1 Serie 17 Miller John Ford Fiesta Linz AT".split(), records
assert records[1] == b"2 Offen 23 Berger Anna Opel Corsa Graz AT".split(), records
assert records[2] == b"3 Serie 5 Novak Petr Skoda Fabia Brno CZ".split(), records
PY

rc=0
gui_close "$main" || rc=$?
check "the program ends with exit code 0" "$rc"

# ---- 3. Second start: the participants are back --------------------------------------------
gui_start "$tmp/dravolin.exe"
gui_wait "$main"
gui_click "$main" 711 431
gui_wait Startliste
# The start list opened by a click: the start is behind the program, and a box it had shown
# would still be open.
check "no error box at the second start" "$(gui_tool wait dravolin 0 >/dev/null 2>&1 && echo 1 || echo 0)"
shot Startliste start-list-reopened
gui_click Startliste 603 339
gui_gone Startliste
# Lane 1 switched on shows its participant in the title line, which was empty before.
colours() { identify -format '%k' "$tmp/$1.png"; }
title_line="438x20+$((frame_x + 6))+$((frame_y + 4))"
crop main-first-start "$title_line" title-empty
gui_click "$main" 460 14
shot "$main" main-lane-1
crop main-lane-1 "$title_line" title-lane-1
check "lane 1 shows a participant after the restart" "$([ "$(colours title-lane-1)" -gt "$(colours title-empty)" ] && echo 0 || echo 1)"

# ---- 4. Lanes, the car selection, a heat and both exports ----------------------------------
# Lane 2 on, then one step up to the second participant.
gui_click "$main" 460 162
gui_click "$main" 484 155
gui_click "$main" 484 7 3
gui_wait Teilnehmerauswahl
shot Teilnehmerauswahl select-car
gui_key Teilnehmerauswahl Escape
gui_gone Teilnehmerauswahl

# The configuration: no start count-down, and a protocol footer of our own.
gui_click "$main" 592 399
gui_wait Einstellungen
field Einstellungen 50 159 0
field Einstellungen 190 298 "Zeitnahme Kestrune"
shot Einstellungen configuration
gui_click Einstellungen 208 342
gui_gone Einstellungen

shot "$main" main-lanes
crop main-lanes "$start_button" start-enabled
check "btnStart disabled at the first start, enabled with lanes" \
  "$([ "$(compare -metric AE "$tmp/start-disabled.png" "$tmp/start-enabled.png" null: 2>&1)" != 0 ] && echo 0 || echo 1)"

# Both lanes start and drive three laps each, the triggers taking the lanes in turn.
keys "$main" F5 F8 F8 F8 F8 F8 F8 F8 F8
shot "$main" main-after-heat

export_to() {
  gui_click "$main" "$1" 357
  gui_wait "HTML Protokoll"
  gui_sync "HTML Protokoll"
  gui_type "HTML Protokoll" "Z:$(printf '%s' "$2" | tr / '\\')"
  gui_key "HTML Protokoll" Return
  gui_until 5 test -s "$2" || true
  gui_gone "HTML Protokoll"
}
export_to 568 "$tmp/protocol.htm"
export_to 736 "$tmp/protocol.txt"

gui_click "$main" 711 399
gui_wait Info
shot Info info
gui_key Info Return
gui_gone Info
rc=0
gui_close "$main" || rc=$?
check "the program ends with exit code 0 after the heat" "$rc"

python3 - "$tmp" >"$tmp/files.out" <<'PY' || true
import os, re, sys
folder = sys.argv[1]
failed = 0
def check(what, ok):
    global failed
    print(("ok   " if ok else "FAIL ") + what)
    failed += not ok
time = re.compile(r"^\d\d:\d\d\.\d\d$")
page = open(os.path.join(folder, "protocol.htm"), encoding="cp1252").read()
rows = [re.findall(r"<td>(.*?)</td>", m) for m in re.findall(r"<td>\d+</td>.*?</tr>", page, re.S)]
check("HTML: one row per lane", len(rows) == 2)
check("HTML: the two lanes' participants", sorted(r[3] for r in rows if len(r) > 3) == ["Berger", "Miller"])
check("HTML: three laps and the best for both", all(all(time.match(c) for c in r[-4:]) for r in rows))
check("HTML: the footer from the configuration", "Zeitnahme Kestrune" in page)
text = open(os.path.join(folder, "protocol.txt"), encoding="cp1252").read()
check("text: both participants", "Miller" in text and "Berger" in text)
check("text: lap times", len(re.findall(r"\d\d:\d\d\.\d\d", text)) >= 8)
check("text: the footer", "Zeitnahme Kestrune" in text)
ini = open(os.path.join(folder, "dravolin.ini"), "rb").read()
check("ini: the German section", b"[Einstellungen]" in ini)
check("ini: ProtokollFu\\xdfzeile in CP1252", b"ProtokollFu\xdfzeile=Zeitnahme Kestrune" in ini)
check("ini: the other German keys",
      all(k in ini for k in (b"Konakte=", b"Algorithmus=", b"Rundenzahl=", b"ProtokollTitel=")))
check("ini: no count-down", re.search(rb"=0\r\n", ini) is not None)
sys.exit(1 if failed else 0)
PY

cat "$tmp/files.out"
passed=$((passed + $(grep -c '^ok' "$tmp/files.out" || true)))
failed=$((failed + $(grep -c '^FAIL' "$tmp/files.out" || true)))
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
