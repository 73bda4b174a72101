#!/usr/bin/env bash
# Runs the whole suite N times in a row, each run as the README's test command runs it (its
# own Wine session and display), to find tests that fail by chance. Prints every failure with
# its output as it happens and a summary at the end; exits non-zero when any run failed.
# Usage: tools/test-repeat.sh N [ctest arguments...]; the logs stay in build/test-repeat/.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

runs=${1:-}
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || die "usage: tools/test-repeat.sh N [ctest arguments...]"
shift

ensure_packages
build_tree
logs="$DRAVOLIN_BUILD/test-repeat"
rm -rf "$logs"
mkdir -p "$logs"
jobs=$(nproc)

# The output block of each failed test in one ctest log: from its result line to the next
# test's start or result line.
failure_blocks() {
  awk '
    / Test +#[0-9]+: .*(\*\*\*|Not Run)/ { keep = 1; print; next }
    keep && (/^ +Start +[0-9]+: / || /^ *[0-9]+\/[0-9]+ Test +#/ || /^[0-9]+% tests passed/) { keep = 0 }
    keep { print }
  ' "$1"
}

declare -A failed_count=()
green=0
total_seconds=0
for run in $(seq "$runs"); do
  log_file="$logs/run-$run.log"
  started=$(date +%s)
  rc=0
  "$DRAVOLIN_ROOT/tools/wine-session" \
    ctest --test-dir "$DRAVOLIN_BUILD" --output-on-failure --no-tests=error -j "$jobs" "$@" \
    >"$log_file" 2>&1 || rc=$?
  seconds=$(($(date +%s) - started))
  total_seconds=$((total_seconds + seconds))
  if [ "$rc" -eq 0 ]; then
    green=$((green + 1))
    log "run $run of $runs: green in ${seconds} s"
    continue
  fi
  names=$(sed -n 's/^[[:space:]]*[0-9]\+ - \(.*\) (.*)$/\1/p' "$log_file")
  log "run $run of $runs: FAILED in ${seconds} s (exit $rc): ${names:-no test named, see $log_file}"
  failure_blocks "$log_file" | sed 's/^/    /' >&2
  for name in $names; do failed_count[$name]=$((${failed_count[$name]:-0} + 1)); done
done

printf '\nSummary: %d of %d runs green, %d s in all (%d s a run on average)\n' \
  "$green" "$runs" "$total_seconds" $((total_seconds / runs))
for name in "${!failed_count[@]}"; do
  printf '  %s failed in %d run(s)\n' "$name" "${failed_count[$name]}"
done
printf 'logs: %s\n' "$logs"
[ "$green" -eq "$runs" ]
