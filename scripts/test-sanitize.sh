#!/usr/bin/env bash
# Builds everything again in Debug with AddressSanitizer and
# UndefinedBehaviorSanitizer (both fatal) in their own build directory and
# runs the whole native suite there: a use after free, an overflow, a leak of
# our own or undefined behaviour anywhere fails the run. Leaks inside the
# system's libraries (fontconfig, Qt's platform plugins) are listed in
# tests/sanitize/lsan.supp.
#
#   RUVOK_SANITIZE_BUILD  the build directory (default build-sanitize)
#   JOBS                  parallel builds and tests (default 2)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build=${RUVOK_SANITIZE_BUILD:-build-sanitize}
jobs=${JOBS:-2}
# -O1 as the sanitizers advise: Debug otherwise (assertions, no inlining
# across files), and fast enough that the suite fits in the time CI has.
flags="-O1 -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
start=$SECONDS

fail() {
    echo "test-sanitize: FAILED: $* ($((SECONDS - start)) s)"
    exit 1
}

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=0:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitize/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$root/tests/sanitize/ubsan.supp"

export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}
# Tests are listed when CTest runs them, under the sanitizers' options above.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST \
    "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" \
    "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined" >"$build.configure.log" 2>&1 ||
    { cat "$build.configure.log"; fail "configuring $build"; }
rm -f "$build.configure.log"
cmake --build "$build" -j"$jobs" || fail "building $build"
built=$((SECONDS - start))

ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600 ||
    fail "the suite under the sanitizers (built in $built s)"
echo "test-sanitize: the whole suite is clean under AddressSanitizer and UBSan" \
    "(built in $built s, $((SECONDS - start)) s in all)"
