#!/usr/bin/env bash
# Builds everything and runs every test under Wine (README: "run every test").
# Installs what is missing first; safe to run again. Arguments go to ctest.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages
build_tree
jobs=$(nproc)
"$DRAVOLIN_ROOT/tools/wine-session" \
  ctest --test-dir "$DRAVOLIN_BUILD" --output-on-failure --no-tests=error -j "$jobs" "$@"
