#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUB_TESTS=OFF -DZUB_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)"
exec build/Tumbrodemo "$@"
