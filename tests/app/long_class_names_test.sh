# Class names far longer than a line on the screen, on the real program: a class of 600
# characters, one of 1 MiB, and 64 KB of garbage as the class file (long lines of any byte but NUL). The
# start list's "Neu" shows them in the participant editor's class box (the long one chosen
# there), the classes editor
# lists them and its OK writes them back: the program lives on and the file keeps every
# name whole.
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
main="Kestrune / Software / Dravolin"
participant="Neuen Teilnehmer hinzufügen"
classes="Klassen bearbeiten"
alive() { own_running "$GUI_PID"; }
# The window is up and the program still runs.
shown() { gui_wait "$1" 10000 >/dev/null 2>&1 && alive; }

# session NAME: the program in $tmp/NAME with its Klasse.Lst in place; opens the participant
# editor and the classes editor, confirms the classes, leaves without changing the start list.
session() {
  local dir=$tmp/$1 rc=0
  cp "$DRAVOLIN_BIN/dravolin.exe" "$dir/"
  printf '[DRAVOLIN1ASLREC]\r\n1\r\nA\r\n17\r\nMiller\r\nJohn\r\nFord\r\nFiesta\r\nLinz\r\nAT\r\n' >"$dir/Aktuell.Asl"
  cp "$dir/Aktuell.Asl" "$dir/Aktuell.before"
  gui_start "$dir/dravolin.exe"
  gui_wait "$main"
  gui_click "$main" 697 431
  gui_wait Startliste
  gui_key Startliste Insert
  if ! shown "$participant"; then
    check "$1: Startliste → Neu shows the participant editor" 1
    return 0
  fi
  check "$1: Startliste → Neu shows the participant editor" 0
  # The class box takes the long class as its text (the first Down selects "A", the second
  # the long one) and gives it back when its window goes with the editor's.
  gui_click "$participant" 150 52
  gui_key "$participant" Down
  gui_key "$participant" Down
  gui_click "$participant" 290 53
  if ! shown "$classes"; then
    check "$1: the classes editor opens" 1
    return 0
  fi
  gui_click "$classes" 260 203
  gui_until 10 gui_window_gone "$classes" || true
  shown "$participant" || rc=$?
  check "$1: the classes editor's OK closes it and the program lives on" "$rc"
  [ "$rc" = 0 ] || return 0
  touch "$dir/confirmed"
  gui_key "$participant" Escape
  gui_until 10 gui_window_gone "$participant" || true
  gui_click Startliste 603 339
  gui_until 10 gui_window_gone Startliste || true
  gui_close "$main" || rc=$?
  check "$1: the program ends with exit code 0" "$rc"
  rc=0
  cmp -s "$dir/Aktuell.Asl" "$dir/Aktuell.before" || rc=$?
  check "$1: the start list is unchanged" "$rc"
}

# The file as the classes editor writes it back: every line (CR LF, CR or LF ends one)
# followed by CR LF.
mkdir "$tmp/long" "$tmp/huge" "$tmp/garbage"
python3 - "$tmp" <<'PY'
import os, random, re, sys
folder = sys.argv[1]
def write(name, data):
    open(os.path.join(folder, name, "Klasse.Lst"), "wb").write(data)
    lines = re.split(rb"\r\n|\r|\n", data)
    if lines and lines[-1] == b"":
        lines.pop()
    open(os.path.join(folder, name, "expected"), "wb").write(b"".join(l + b"\r\n" for l in lines))
write("long", b"A\r\n" + b"K" * 600 + b"\r\nB\r\n")
write("huge", b"A\r\n" + b"K" * (1 << 20) + b"\r\nB\r\n")
rng = random.Random(25)
garbage = bytes(rng.randrange(1, 256) for _ in range(64 * 1024))
# Long lines: keep a few line ends only.
garbage = bytes(b if b not in (10, 13) or rng.random() < 0.05 else 32 for b in garbage)
write("garbage", garbage)
PY

for name in long huge garbage; do
  session "$name"
  kill_own "$GUI_PID"
  rc=0
  [ -e "$tmp/$name/confirmed" ] && cmp -s "$tmp/$name/Klasse.Lst" "$tmp/$name/expected" || rc=1
  check "$name: Klasse.Lst keeps every class name whole" "$rc"
done

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
