#!/usr/bin/env bash
# Installs what is missing, checks the layout of the code, builds, and runs every test: the
# normal build, its screenshots and its Debian package, the whole suite again under
# AddressSanitizer + UndefinedBehaviorSanitizer and under ThreadSanitizer, a short run of the
# fuzz target, and the long reliability runs: the fault run goes on in the background while the
# sanitizer builds compile, the soak runs alone.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS=suppressions=$top/tests/lsan.supp
export TSAN_OPTIONS="halt_on_error=1 suppressions=$top/tests/tsan.supp"
tests() { ctest --output-on-failure --no-tests=error --timeout 1200 "$@"; }

# Every C++ file is laid out as .clang-format says.
find "$top/src" "$top/tests" "$top/bench" \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 clang-format --dry-run --Werror

"$top/scripts/build.sh" "$top/build"
(cd "$top/build" && tests -j"$(nproc)" -LE reliability)
# The pictures of every page, menu and box, in both languages (build/screenshots).
"$top/build/bin/wexfold-screenshots" "$top/build/screenshots" >/dev/null
# The Debian package of the normal build, held against its installation and the validators.
sh "$top/tests/server/package_check.sh" "$top/build"
reliabilityLog=$top/build/reliability.log
(cd "$top/build" && tests -V -L reliability -E SoakTest >"$reliabilityLog" 2>&1) &
reliability=$!

# The sanitizer runs shorten the long runs; their figures come from the normal build.
for san in address,undefined thread; do
    dir="$top/build-${san%%,*}"
    "$top/scripts/build.sh" "$dir" -DWEXFOLD_SANITIZE=$san -DWEXFOLD_BUILD_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=Debug
    (cd "$dir" && WEXFOLD_FAULT_SECONDS=60 WEXFOLD_SOAK_SECONDS=40 tests -j"$(nproc)")
done

status=0
wait "$reliability" || status=$?
cat "$reliabilityLog"
[ "$status" -eq 0 ] || exit "$status"
# The soak reads the resident size between bursts of fetches, so it runs on a quiet machine.
(cd "$top/build" && tests -V -R SoakTest)

"$top/scripts/fuzz.sh" "${WEXFOLD_FUZZ_SECONDS:-60}"
