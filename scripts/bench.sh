#!/usr/bin/env bash
# Builds the benchmarks (optimised) and runs them; each prints its own figures and ratios.
# Arguments after the script are passed to every benchmark (e.g. a duration in seconds).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
dir="$top/build-bench"
"$top/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=Release \
    -DWEXFOLD_BUILD_TESTS=OFF -DWEXFOLD_BUILD_BENCH=ON -DWEXFOLD_BUILD_APP=ON
for bench in "$dir"/bin/*_bench; do
    echo "== $(basename "$bench")"
    "$bench" "$@"
done
