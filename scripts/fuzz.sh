#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer into
# build-fuzz/ and runs each for SECONDS (default 60), two at a time, over a copy of its seed
# corpus from tests/fuzz/corpus/. Exits 1 naming the target and the input when one crashes.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir=$top/build-fuzz
"$top/scripts/setup.sh"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ "$top/scripts/build.sh" "$dir" -DWEXFOLD_FUZZ=ON -DWEXFOLD_BUILD_APP=OFF \
    -DWEXFOLD_BUILD_TESTS=OFF -DWEXFOLD_BUILD_BENCH=OFF -DWEXFOLD_SANITIZE=address,undefined \
    "${launcher[@]}"

# Target and the longest input it is given: three site records.
targets=(site_list:15500)

run() {
    local name=$1 max_len=$2 work=$dir/fuzz-run/$1
    rm -rf "$work"
    mkdir -p "$work/corpus"
    cp "$top/tests/fuzz/corpus/$name/"* "$work/corpus/"
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
        "$dir/bin/${name}_fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" \
        >"$work/log" 2>&1
}

pids=()
for target in "${targets[@]}"; do
    if [ ${#pids[@]} -ge 2 ]; then
        wait "${pids[0]}" || true
        pids=("${pids[@]:1}")
    fi
    run "${target%%:*}" "${target##*:}" &
    pids+=($!)
done
wait || true

failed=0
passed=0
for target in "${targets[@]}"; do
    name=${target%%:*}
    work=$dir/fuzz-run/$name
    found=$(find "$work" -maxdepth 1 -type f \
        \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | sort)
    stats=$(grep -E '^#[0-9]+.*(DONE|pulse|NEW|REDUCE|INITED)' "$work/log" | tail -1 || true)
    if [ -n "$found" ] || ! grep -q '^Done [0-9]* runs' "$work/log"; then
        failed=$((failed + 1))
        echo "FAILED: ${name}_fuzzer: ${found:-no crash file, see $work/log}"
        grep -E 'ERROR|SUMMARY|runtime error|fuzz property' "$work/log" | head -5 || true
    else
        passed=$((passed + 1))
        echo "ok ${name}_fuzzer: $stats"
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
