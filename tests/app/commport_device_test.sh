# The serial ports opened through the names the system finds (Wine finds a COM port only as a
# link in the prefix's dosdevices folder). For this run two ports, one below 10 and one from
# 10 on, are links to the pseudo-terminal multiplexer, and where the machine has a serial
# device that answers the modem-status query a third is a link to it. Ports no other test
# opens; the links are removed afterwards. Nothing is skipped silently: a port that cannot be
# linked fails the test, and a machine without a serial device is said so.
set -euo pipefail
source "$(dirname "$0")/../../tools/common.sh"
ensure_prefix
uart=/dev/ttyS0
declare -A device=([6]=/dev/ptmx [15]=/dev/ptmx)
answers() {
  python3 -c 'import fcntl, os, sys, termios
fd = os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK | os.O_NOCTTY)
fcntl.ioctl(fd, termios.TIOCMGET, b"\0" * 4)' "$1" 2>/dev/null
}
filter=LinkedCommPorts.TerminalsOpenByTheirNumbersButAreNotActive
if answers "$uart"; then
  device[7]=$uart
  filter='LinkedCommPorts.*'
else
  echo "NOTE: no serial device answers here ($uart): only the terminals are opened"
fi
made=()
trap 'rm -f "${made[@]}"' EXIT
for n in "${!device[@]}"; do
  link=$WINEPREFIX/dosdevices/com$n
  # Only a link this test makes (left by a run that was killed) is taken over.
  if [ -e "$link" ] || [ -L "$link" ]; then
    [ "$(readlink "$link")" = "${device[$n]}" ] || { echo "com$n is another device in $WINEPREFIX"; exit 1; }
  else
    ln -s "${device[$n]}" "$link"
  fi
  made+=("$link")
done
DRAVOLIN_LINKED_COM_PORTS=6,15 DRAVOLIN_UART_COM_PORT=7 \
  "$DRAVOLIN_ROOT/tools/wine-run" "$DRAVOLIN_TESTBIN/commport_device_test.exe" --gtest_filter="$filter"
