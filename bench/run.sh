#!/usr/bin/env bash
# Runs every benchmark side by side and prints its figures. Speed is measured here, never
# asserted in tests.
set -euo pipefail
build=${1:-build}
found=0
for bench in bench/*.bench.sh; do
    [ -e "$bench" ] || continue
    found=1
    echo "== $bench"
    bash "$bench" "$build"
done
[ "$found" = 1 ] || echo "no benchmarks yet"
