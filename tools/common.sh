# Shared by the build, run and test scripts: where the caches live and how missing
# Debian packages are installed. Source it; it defines functions and variables only.

DRAVOLIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
DRAVOLIN_CACHE=${DRAVOLIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/dravolin}
DRAVOLIN_BUILD=${DRAVOLIN_BUILD:-$DRAVOLIN_ROOT/build}
export DRAVOLIN_ROOT DRAVOLIN_CACHE DRAVOLIN_BUILD

# Everything the build, the program and the tests need from Debian.
DRAVOLIN_PACKAGES=(
  g++ g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-x86-64-dev cmake ninja-build nasm googletest gettext python3
  wine64 fonts-wine xvfb xauth x11-utils xdotool imagemagick
  dpkg-dev xz-utils ca-certificates file
  pkg-config libpixman-1-dev libstb-dev
)

log() { printf '[dravolin] %s\n' "$*" >&2; }
die() { printf '[dravolin] error: %s\n' "$*" >&2; exit 1; }

# Installs whatever of DRAVOLIN_PACKAGES is missing; does nothing when all are there.
ensure_packages() {
  local missing=() p
  for p in "${DRAVOLIN_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  [ "$(id -u)" -eq 0 ] || die "missing packages (run as root to install): ${missing[*]}"
  log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null || die "apt-get update failed"
  apt-get install -y -qq "${missing[@]}" >/dev/null \
    || die "apt-get install failed: ${missing[*]}"
}

# Configures (once) and builds the cross-compiled tree; extra arguments go to the build.
build_tree() {
  mkdir -p "$DRAVOLIN_CACHE"
  "$DRAVOLIN_ROOT/tools/build-libjpeg.sh"
  if [ ! -f "$DRAVOLIN_BUILD/build.ninja" ]; then
    cmake -S "$DRAVOLIN_ROOT" -B "$DRAVOLIN_BUILD" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$DRAVOLIN_ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release \
      -DDRAVOLIN_JPEG_DIR="$(jpeg_dir)" >/dev/null || die "cmake configure failed"
  fi
  cmake --build "$DRAVOLIN_BUILD" "$@" || die "build failed"
}

# The cross-built libjpeg (6b interface) lives outside the repo, built once.
jpeg_dir() { printf '%s\n' "$DRAVOLIN_CACHE/libjpeg"; }

# --- Wine -------------------------------------------------------------------------------

WINE64=${WINE64:-$DRAVOLIN_ROOT/tools/wine}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
export WINEPREFIX=${DRAVOLIN_WINEPREFIX:-$DRAVOLIN_CACHE/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers, no desktop menu entries.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
# ANSI code page 1252 inside Wine, whatever the caller's locale.
export LANG=C.UTF-8
unset LC_ALL LC_CTYPE LC_MESSAGES

# Creates the private prefix once (under a lock): Wine's virtual desktop on, so hiding
# and showing top-level windows does not wait for a window manager that is not there.
ensure_prefix() {
  [ -f "$WINEPREFIX/.dravolin-ready-2" ] && return 0
  mkdir -p "$DRAVOLIN_CACHE"
  (
    flock 8
    [ -f "$WINEPREFIX/.dravolin-ready-2" ] && exit 0
    log "creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    with_display create_prefix || exit 1
    touch "$WINEPREFIX/.dravolin-ready-2"
  ) 8>"$DRAVOLIN_CACHE/wineprefix.lock" || die "cannot create the Wine prefix $WINEPREFIX"
}

create_prefix() {
  "$WINE64" wineboot -i >/dev/null 2>&1 || return 1
  # Wine's own fonts (Marlett draws the caption buttons, Tahoma and MS Sans Serif the
  # dialogs) are not found in Debian's data folder by this Wine: give them to the prefix.
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" || return 1
  "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || return 1
  "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f \
    >/dev/null 2>&1 || return 1
  # A program that crashes ends at once with Wine's report: the debugger Wine would start
  # for it (also when none is set) waits for ever, and a test would hang until its time-out.
  "$WINE64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
    /d 'cmd.exe /c exit' /f >/dev/null 2>&1 || return 1
  "$WINESERVER" -w
}

display_usable() { [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; }

# Starts a private Xvfb on a free display; sets DISPLAY and DRAVOLIN_XVFB_PID.
start_xvfb() {
  local fifo display
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  DRAVOLIN_XVFB_LOG=$(mktemp "${TMPDIR:-/tmp}/xvfb.XXXXXX")
  Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp -noreset 7>"$fifo" >"$DRAVOLIN_XVFB_LOG" 2>&1 &
  DRAVOLIN_XVFB_PID=$!
  read -r -t 20 display <"$fifo" || {
    rm -f "$fifo"
    cat "$DRAVOLIN_XVFB_LOG" >&2
    die "Xvfb did not start"
  }
  rm -f "$fifo"
  export DISPLAY=":$display"
}

# own_running PID: whether PID is a background process of this shell that still runs. Process
# ids are used again within a minute or two on a busy machine (the ids wrap at 32768), so the id
# of a process that has ended may name another test's process by now: never signal it by id
# alone. kill_own PID ends such a process only while it is still ours.
own_running() {
  local pid
  # A subshell's list of jobs is a copy that never hears of their end: ask the system too.
  kill -0 "$1" 2>/dev/null || return 1
  for pid in $(jobs -pr); do [ "$pid" = "$1" ] && return 0; done
  return 1
}
kill_own() {
  own_running "$1" && kill "$1" 2>/dev/null
  return 0
}

stop_xvfb() {
  [ -n "${DRAVOLIN_XVFB_PID:-}" ] || return 0
  kill_own "$DRAVOLIN_XVFB_PID"
  wait "$DRAVOLIN_XVFB_PID" 2>/dev/null || true
  DRAVOLIN_XVFB_PID=
  rm -f "${DRAVOLIN_XVFB_LOG:-}"
}

# When the X server that start_xvfb started has ended before its time: says so, with its exit
# status and its last words, so a test that lost its display tells why.
xvfb_report() {
  [ -n "${DRAVOLIN_XVFB_PID:-}" ] || return 0
  own_running "$DRAVOLIN_XVFB_PID" && return 0
  local status=0
  wait "$DRAVOLIN_XVFB_PID" 2>/dev/null || status=$?
  printf 'the X server of %s (process %s) has ended, exit status %s; its output:\n' \
    "${DISPLAY:-}" "$DRAVOLIN_XVFB_PID" "$status" >&2
  tail -n 20 "${DRAVOLIN_XVFB_LOG:-/dev/null}" >&2
}

# Runs a command with a usable display, starting a private Xvfb only when needed.
with_display() {
  if display_usable; then
    "$@"
  else
    local rc=0
    (
      start_xvfb
      trap stop_xvfb EXIT
      "$@"
    ) || rc=$?
    return $rc
  fi
}

# The wineserver of a prefix listens on a socket in a folder named after the prefix's device
# and inode, under /tmp/.wine-UID or (Debian's Wine) a /tmp/wine-XXXXXX folder. Sessions that
# run at the same time should use different prefixes (DRAVOLIN_WINEPREFIX): the session that
# started a server stops it when it ends.
wineserver_running() {
  local id socket
  [ -d "$WINEPREFIX" ] || return 1
  id=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for socket in /tmp/.wine-"$(id -u)"/"$id"/socket /tmp/wine-*/"$id"/socket; do
    [ -S "$socket" ] && return 0
  done
  return 1
}
