#!/bin/bash
# The real program with a damaged catalog, on disk beside it or appended to it: it says once
# what is wrong, then runs with its main window (in English unless the German catalog still
# works) and ends with exit code 0 when that window is closed.
set -uo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
work=$tmp
main="Kestrune / Software / Dravolin"
box=dravolin

# plant FOLDER VARIANT: the program and the damage. A damaged default.mo on disk goes with a
# program whose file table is cut off, since the embedded catalog would be found first.
plant() {
  python3 - "$DRAVOLIN_BIN/dravolin.exe" "$1" "$2" <<'PY'
import os, struct, sys
exe, folder, variant = sys.argv[1:]
data = bytearray(open(exe, "rb").read())
sig = data.find(b"6637DB2E-62E1-4A60-AC19-C23867046A89") + 36
(table,) = struct.unpack_from("<Q", data, sig)
following, offset, size = struct.unpack_from("<QQQ", data, table)
catalog = bytes(data[offset:offset + size])
where, damage = variant.split(":")
if where == "default":
    struct.pack_into("<Q", data, sig, 0)
elif where == "appended":
    if damage == "size":
        struct.pack_into("<Q", data, table + 16, size // 2)
    elif damage == "image":
        struct.pack_into("<Q", data, table + 8, 0)

def word(bytes_, at, value):
    bytes_ = bytearray(bytes_)
    struct.pack_into("<I", bytes_, at, value)
    return bytes(bytes_)

(keys,) = struct.unpack_from("<I", catalog, 12)
damaged = {
    "empty": lambda c: b"",
    "cut": lambda c: c[:len(c) // 2],
    "magic": lambda c: word(c, 0, 0x12345678),
    "table": lambda c: word(c, 12, len(c) + 100),
    "string": lambda c: word(c, keys + 8 + 4, 0xFFFFFF00),
    "count": lambda c: word(c, 8, 0x7FFFFFFF),
    "charset": lambda c: c.replace(b"charset=UTF-8", b"charset=UTF-7"),
}
open(os.path.join(folder, "dravolin.exe"), "wb").write(data)
if where != "appended":
    mo = os.path.join(folder, "locale", "de", "LC_MESSAGES", where + ".mo")
    os.makedirs(os.path.dirname(mo))
    open(mo, "wb").write(damaged[damage](catalog))
# Empty start lists under both languages' names, so no start-list report comes between.
for name in ("Aktuell.Asl", "Current.Asl"):
    open(os.path.join(folder, name), "wb").close()
PY
}

# next_window FOLDER: waits while the program runs for its next message box or its main
# window and prints "box" or "main"; prints nothing when the program ends or crashes first
# (Wine's crash dialog would keep it running) or 20 s pass.
next_window() {
  local tries=0
  while ! grep -q 'Unhandled' "$1/stderr"; do
    gui_tool wait "$box" 0 >/dev/null 2>&1 && { echo box; return; }
    gui_tool wait "$main" 500 >/dev/null 2>&1 && { echo main; return; }
    own_running "$GUI_PID" && [ $((tries += 1)) -lt 40 ] || return 0
  done
}

# ended FOLDER: how a program that did not show its main window ended.
ended() {
  local rc=0
  if grep -q 'Unhandled' "$1/stderr"; then
    grep -m1 'Unhandled' "$1/stderr"
    kill_own "$GUI_PID"
    return
  fi
  own_running "$GUI_PID" && { kill_own "$GUI_PID"; echo "still running"; return; }
  wait "$GUI_PID" || rc=$?
  echo "ended with code $rc: $(cat "$1/stderr")"
}

# run VARIANT MESSAGE LANGUAGE: starts the program, checks its one report, its window and its
# exit code; prints what went wrong.
run() {
  local variant=$1 message=$2 language=$3 folder="$work/${1/:/-}" window texts rc boxes=0 failed=
  local file=${variant%%:*}.mo
  [ "$file" = appended.mo ] && file=default.mo
  mkdir -p "$folder"
  plant "$folder" "$variant" || { echo "$variant: cannot plant the damage"; return 1; }
  gui_start "$folder/dravolin.exe" </dev/null >"$folder/stdout" 2>"$folder/stderr"
  while window=$(next_window "$folder") && [ "$window" = box ] && [ $((boxes += 1)) -le 3 ]; do
    texts=$(gui_tool texts "$box" | tr -d '\r' | tr '\n' ' ')
    gui_tool dismiss "$box"
    if [ $boxes -gt 1 ]; then
      failed+=" box $boxes: $texts;"
    elif ! grep -qF "$message" <<<"$texts" || ! grep -qF "$file" <<<"$texts"; then
      failed+=" the box does not name \"$message\" and $file: $texts;"
    fi
  done
  [ $boxes -gt 0 ] || failed+=" no message box;"
  if [ "$window" != main ]; then
    printf '%s:%s no main window; ' "$variant" "$failed"
    ended "$folder"
    return 1
  fi
  texts=$(gui_tool texts "$main" | tr -d '\r')
  case $language in
    German) grep -qx Einstellungen <<<"$texts" || failed+=" not German: $(tr '\n' ' ' <<<"$texts");" ;;
    English) grep -qx Configuration <<<"$texts" || failed+=" not English: $(tr '\n' ' ' <<<"$texts");" ;;
  esac
  rc=0
  gui_close "$main" 2>/dev/null || rc=$?
  [ $rc -eq 0 ] || failed+=" exit code $rc;"
  [ -z "$failed" ] || { echo "$variant:$failed"; return 1; }
}

not_mo="This file is not a valid GNU gettext mo file"
no_map="Cannot create memory map on file"
damaged="This GNU gettext mo file is damaged"
charset="does not have charset=utf-8"
passed=0 failed=0
while read -r -u 3 variant message language; do
  if run "$variant" "${!message}" "$language"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done 3<<'EOF'
default:empty no_map English
default:cut damaged English
default:magic not_mo English
default:table damaged English
default:string damaged English
default:count damaged English
default:charset charset English
vorlen:empty no_map German
vorlen:cut damaged German
vorlen:magic not_mo German
vorlen:table damaged German
vorlen:string damaged German
vorlen:count damaged German
vorlen:charset charset German
appended:size damaged English
appended:image not_mo English
EOF
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
