#!/usr/bin/env bash
# The long soak: builds the reliability tests (build-rel/) and runs the headless mode over 256
# sites at the shortest interval for SECONDS (default 600), printing its figures.
#   scripts/soak.sh [SECONDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
"$top/scripts/setup.sh"
dir="$top/build-rel"
if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DWEXFOLD_BUILD_APP=OFF -DWEXFOLD_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$dir" --target wexfold_reliability_tests -j"$(nproc)"
cd "$dir/tests"
WEXFOLD_SOAK_SECONDS=$seconds "$dir/bin/wexfold_reliability_tests" --gtest_filter='SoakTest.*'
