#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test, then runs each fuzz target for
# a bounded time (FUZZ_SECONDS, default 15; 0 skips fuzzing).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh

jobs=$(nproc)
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUB_SANITIZE=ON -DZUB_BENCH=ON >/dev/null
cmake --build build-test -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-test && ctest --output-on-failure -j "$jobs")

fuzz_seconds=${FUZZ_SECONDS:-15}
if [ "$fuzz_seconds" -gt 0 ] && command -v clang++ >/dev/null; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZUB_FUZZ=ON -DZUB_TESTS=OFF -DZUB_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs"
  for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    seeds=fuzz/seeds/$name
    echo "fuzz: $name for ${fuzz_seconds}s"
    if [ -d "$seeds" ]; then
      "$target" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$corpus" "$seeds" 2>&1 | tail -n 3
    else
      "$target" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$corpus" 2>&1 | tail -n 3
    fi
    test "${PIPESTATUS[0]}" -eq 0
  done
fi
echo "all tests passed"
