# tools/wine-run, ctest's emulator, tells a passed test program from one that crashed or ended
# partway (with status 0 too), and runs a test that wants a desktop on one of its own.
set -uo pipefail
source "$(dirname "$0")/gui.sh"
probe=$DRAVOLIN_TESTBIN/wine_run_probe.exe
run=$DRAVOLIN_ROOT/tools/wine-run
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# expect WHAT STATUS PATTERN FILTER [ENV...]: the probe's test FILTER run through the wrapper
# ends with status 0 (STATUS 0) or not (STATUS 1), and its output matches PATTERN.
expect() {
  local what=$1 want=$2 pattern=$3 filter=$4 rc=0
  shift 4
  env "$@" "$run" "$probe" "--gtest_filter=$filter" >"$tmp/out" 2>&1 || rc=$?
  local got=0
  [ "$rc" -eq 0 ] || got=1
  if [ "$got" = "$want" ] && grep -qE "$pattern" "$tmp/out"; then
    check "$what" 0
  else
    check "$what (status $rc)" 1
    sed 's/^/    /' "$tmp/out"
  fi
}

expect "a passing test passes" 0 'PASSED' 'Probe.Passes'
expect "an end with status 0 before the success line fails" 1 'without the test framework' \
  'Probe.EndsWithStatusZeroHalfway'
expect "a filter that matches no test fails" 1 'ran no test' 'Probe.NoSuchTest'
expect "a test that skips itself and ends cleanly is reported as skipped" 0 \
  '^wine-run: the test skipped itself and ended cleanly' 'Probe.SkipsItself'
expect "a skip followed by a crash fails" 1 'ended with exit status [1-9]' 'Probe.SkipsAndThenCrashes'
! grep -qE 'skipped itself|\[  SKIPPED \]' "$tmp/out"
check "a skip followed by a crash is not reported as skipped" $?
rc=0
"$run" --min-tests=999 "$probe" --gtest_list_tests >"$tmp/out" 2>&1 || rc=$?
[ "$rc" -ne 0 ] && grep -q 'fewer than the 999' "$tmp/out"
check "a listing of fewer tests than the sources define fails" $?
"$run" --min-tests=3 "$probe" --gtest_list_tests >"$tmp/out" 2>&1
check "a listing of as many tests as the sources define passes" $?
expect "a crash fails with its status" 1 'ended with exit status [1-9]' 'Probe.Crashes'
expect "on a desktop of its own a crash still fails" 1 'ended with exit status [1-9]' 'Probe.Crashes' \
  DRAVOLIN_OWN_DESKTOP=1
expect "on a desktop of its own a test runs there, in front" 0 '^desktop: dravolin-run-' \
  'Probe.ShowsAWindowOnItsDesktop' DRAVOLIN_OWN_DESKTOP=1
expect "on a desktop of its own the status-0 end still fails" 1 'without the test framework' \
  'Probe.EndsWithStatusZeroHalfway' DRAVOLIN_OWN_DESKTOP=1

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
