#!/usr/bin/env bash
# Builds the benchmarks in Release in build-bench and runs them: the
# conversion library against memcpy, then ruvok-conv against nkf, iconv and uconv.
# (make bench installs what is missing first.) RUVOK_BUILD_VIEWER=OFF leaves the
# viewer and its benchmarks out.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-bench

# The start-up and key benchmarks measure FeatherPad and Mousepad (Debian's
# featherpad and mousepad) beside ruvok; they are a benchmark's need only,
# not the tests'.
if [ "${RUVOK_BUILD_VIEWER:-ON}" = ON ]; then
  peers=()
  for p in featherpad mousepad; do command -v "$p" >/dev/null || peers+=("$p"); done
  if [ ${#peers[@]} -gt 0 ]; then
    sudo=; [ "$(id -u)" -ne 0 ] && sudo=sudo
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${peers[@]}" >/dev/null || true
  fi
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DRUVOK_BUILD_BENCH=ON -DRUVOK_BUILD_TESTS=OFF -DRUVOK_BUILD_VIEWER=${RUVOK_BUILD_VIEWER:-ON} >/dev/null
cmake --build "$build" --target benchmarks -j2

echo "== conversion library (32 MiB texts)"
"$build/bench/bench_conv" --benchmark_min_time=0.5
echo
echo "== detection on manpages-ja, beside nkf -g"
"$build/bench/bench_detect"
echo
echo "== whole programs"
"$build/bench/bench_programs"

if [ -x "$build/bench/keys/bench_keys" ]; then
  echo
  echo "== bench_keys"
  "$build/bench/keys/bench_keys"
fi

if [ -x "$build/bench/start/bench_start" ]; then
  echo
  echo "== bench_start"
  "$build/bench/start/bench_start"
fi

for b in "$build"/bench/viewer/bench_*; do
  [ -x "$b" ] || continue
  echo
  echo "== $(basename "$b")"
  "$b"
done
