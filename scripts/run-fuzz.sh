#!/usr/bin/env bash
# Fuzzes the conversion routines for a bounded time: builds conv_fuzz and the
# library with clang, AddressSanitizer and UndefinedBehaviorSanitizer (both
# fatal) in their own build directory, runs libFuzzer, and exits non-zero on
# any finding: a crash, a sanitizer report, a leak, a timeout or a mismatch
# between the fast and the plain routines.
#
#   RUVOK_FUZZ_SECONDS  how long to fuzz (default 60)
#   RUVOK_FUZZ_BUILD    the build directory (default build-fuzz)
set -uo pipefail
cd "$(dirname "$0")/.."

build=${RUVOK_FUZZ_BUILD:-build-fuzz}
seconds=${RUVOK_FUZZ_SECONDS:-60}
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fsanitize=fuzzer-no-link"

fail() {
    echo "run-fuzz: FAILED: $*"
    exit 1
}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DRUVOK_BUILD_FUZZ=ON -DRUVOK_BUILD_VIEWER=OFF -DRUVOK_BUILD_TESTS=ON \
    -DRUVOK_BUILD_BENCH=OFF \
    "-DCMAKE_C_FLAGS=$sanitize" "-DCMAKE_CXX_FLAGS=$sanitize" >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log"; fail "configuring $build"; }
rm -f "$build.configure.log"
cmake --build "$build" --target conv_fuzz -j2 || fail "building conv_fuzz"

fuzzer=$build/tests/conv/fuzz/conv_fuzz
corpus=$build/fuzz-corpus      # grows from run to run; the seeds stay as they are
artifacts=$build/fuzz-findings
mkdir -p "$corpus" "$artifacts"
log=$build/fuzz.log

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

echo "run-fuzz: fuzzing the conversion routines for ${seconds} s (log: $log)"
"$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" tests/conv/fuzz/seeds >"$log" 2>&1
status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$log"; then
    # Show the report itself, not the whole log.
    grep -E -A40 'ERROR: |runtime error:|conv_fuzz: |==[0-9]+==' "$log" | head -80
    ls "$artifacts" 2>/dev/null | sed 's/^/run-fuzz: finding: /'
    fail "conv_fuzz exited with $status after ${runs:-?} runs; the input is in $artifacts"
fi
echo "run-fuzz: clean: ${runs:-?} runs in ${seconds} s, corpus of $(ls "$corpus" | wc -l) inputs, no findings"
