# Hostile skin folders beside the real program, each a fresh folder that hostile_skins.py
# writes from the build's GrayPlastic skin under the name of the program's skin, so the start
# loads it. Whatever the folder holds, the main window shows within the bound, the program
# holds no more memory than the bound and ends with exit code 0 when it is closed. A folder
# that no real skin looks like is refused with the skin engine's warning (the internal skin
# stands in), as is one whose Options.dat another program holds unshared; one that is odd but
# sound, or held by a program that shares it, loads without a word.
#   hostile_skins_test.sh BASE_SKIN_FOLDER CASE...
set -euo pipefail
source "$(dirname "$0")/../support/gui.sh"
gui_test
base=$1
shift
title="Kestrune / Software / Dravolin"
box=Warnung # the skin engine's warning, in German like every other text
bound_ms=15000 # the faults took from half a minute to many minutes
bound_kb=$((200 * 1024))

# What each case must give: "refused" (with the warning) or "loads".
declare -A expect=(
  [long_gradient]=refused [long_colour]=refused [long_picture_name]=refused
  [long_key_name]=refused [long_section_name]=refused [long_mask_rectangle]=refused
  [parent_chain]=refused [parent_ring]=refused [many_sections]=refused [many_stops]=refused
  [huge_options]=refused [many_masks]=refused [many_missing_pictures]=refused [scan_bomb]=refused
  [bad_gradients]=loads [many_keys]=loads [deep_sound_skin]=loads [shared_jpeg]=loads
  [shared_bmp]=loads [many_picture_files]=loads [sound_progressive_jpeg]=loads
  [held_options]=refused [shared_options]=loads
)
# Cases whose Options.dat another program holds open while the program starts: with no
# sharing, or sharing reading, writing and deleting (a sync or backup tool).
declare -A hold=([held_options]=lock [shared_options]=share)
holder=
trap '[ -z "$holder" ] || kill_own "$holder"; gui_end; rm -rf "$tmp"' EXIT

# The program's process, found by its folder; the most memory it has held (kB).
program_pid() {
  local pid
  pid=$(pgrep -f "^$tmp/$1/dravolin\.exe" | head -n 1)
  [ -n "$pid" ] && echo "$pid"
}
peak_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

run_case() {
  local name=$1 dir="$tmp/$1" warning pid peak rc=0
  mkdir -p "$dir"
  cp "$DRAVOLIN_BIN/dravolin.exe" "$dir/"
  # A working start list, so that the only box at the start can be the skin's.
  printf '[DRAVOLIN1ASLREC]\r\n1\r\nA\r\n17\r\nMiller\r\nJohn\r\nFord\r\nFiesta\r\nLinz\r\nAT\r\n' >"$dir/Aktuell.Asl"
  python3 "$(dirname "$0")/hostile_skins.py" "$name" "$base" "$dir/GrayPlastic (internal)" || return 1
  if [ -n "${hold[$name]:-}" ]; then
    (exec "$WINE64" "$GUI_WINTOOL" "${hold[$name]}" "$dir/GrayPlastic (internal)/Options.dat" >"$dir/holder.out" 2>&1) &
    holder=$!
    gui_until 30 grep -q locked "$dir/holder.out" || { echo "$name: not held: $(cat "$dir/holder.out")"; return 1; }
  fi

  local started=$(date +%s%N)
  gui_start "$dir/dravolin.exe"
  if [ "${expect[$name]}" = refused ]; then
    gui_tool wait "$box" $bound_ms >/dev/null || { echo "$name: no warning"; return 1; }
    warning=$(gui_tool texts "$box" | tr -d '\r')
    grep -q "Der Skin-Ordner .*GrayPlastic (internal).* wird nicht verwendet: " <<<"$warning" \
      || { echo "$name: warning: $warning"; return 1; }
    # The reason too, not English under a German frame.
    ! sed 's/.* wird nicht verwendet: //' <<<"$warning" | grep -qE "at most|more than|picture|section|chain|scans|Cannot open" \
      || { echo "$name: reason not in German: $warning"; return 1; }
    [ "$name" != held_options ] || grep -q "wird nicht verwendet: Options.dat kann nicht gelesen werden: " <<<"$warning" \
      || { echo "$name: warning: $warning"; return 1; }
    gui_tool close "$box" || return 1
  fi
  gui_wait "$title" $bound_ms || { echo "$name: no main window"; return 1; }
  # Printed for the record; the bound above is the test (a loaded machine is slow).
  echo "$name: main window after $((($(date +%s%N) - started) / 1000000)) ms ($(du -sh "$dir" | cut -f1) folder)"
  if gui_tool wait "$box" 0 >/dev/null 2>&1; then
    echo "$name: a box: $(gui_tool texts "$box" | tr -d '\r')"
    return 1
  fi
  pid=$(program_pid "$name") && peak=$(peak_kb "$pid") || { echo "$name: no process"; return 1; }
  [ "$peak" -le $bound_kb ] || { echo "$name: $peak kB held"; return 1; }
  gui_close "$title" || rc=$?
  [ $rc -eq 0 ] || { echo "$name: exit code $rc"; return 1; }
}

for name in "$@"; do
  [ -n "${expect[$name]:-}" ] || { echo "unknown case $name"; exit 1; }
  status=0
  run_case "$name" || status=1
  [ -z "$holder" ] || { kill_own "$holder"; holder=; }
  # A case that failed must not leave its program for the next one to find.
  if [ $status -ne 0 ] && pid=$(program_pid "$name"); then kill "$pid" 2>/dev/null || true; fi
  check "$name ${expect[$name]}" $status
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
