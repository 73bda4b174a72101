#!/usr/bin/env bash
# Builds the native benchmark of the bitmap arithmetic with the host's compiler and runs it.
# Usage: bench/run.sh [--tiny]; the table goes to standard output.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../tools/common.sh"
out="$DRAVOLIN_BUILD/bench"
mkdir -p "$out"
root="$DRAVOLIN_ROOT"
g++ -std=c++20 -O2 -Wall -Wextra -I"$root" $(pkg-config --cflags pixman-1) -I/usr/include/stb \
  "$root/bench/bitmap32_bench.cpp" "$root/bitmap32/blend.cpp" "$root/bitmap32/resample.cpp" \
  "$root/bitmap32/convolve.cpp" $(pkg-config --libs pixman-1) -lm -o "$out/bitmap32_bench"
"$out/bitmap32_bench" "$@"
