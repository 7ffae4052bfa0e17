#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, then the engine
# and core tests again under AddressSanitizer + UndefinedBehaviorSanitizer and under
# ThreadSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen

"$top/scripts/build.sh" "$top/build"
(cd "$top/build" && ctest --output-on-failure --no-tests=error -j"$(nproc)" --timeout 600)

for san in address,undefined thread; do
    dir="$top/build-${san%%,*}"
    "$top/scripts/build.sh" "$dir" -DWEXFOLD_SANITIZE=$san -DWEXFOLD_BUILD_APP=OFF \
        -DWEXFOLD_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
    (cd "$dir" && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        TSAN_OPTIONS=halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
        ctest --output-on-failure -j"$(nproc)" --timeout 600 -R "${WEXFOLD_SANITIZED_TESTS:-.}")
done
