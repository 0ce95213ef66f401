#!/usr/bin/env bash
# Installs what is missing, builds, and then either starts the browser (run) or runs every test
# suite (test). Usage: tools/setup.sh run|test
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-}
case "$mode" in run|test) ;; *) echo "usage: tools/setup.sh run|test" >&2; exit 2 ;; esac

tools/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
if [ "$mode" = run ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMKB_BUILD_TESTS=OFF -DMKB_BUILD_BENCH=OFF
  cmake --build build/release -j "$jobs" --target mkb10
  exec build/release/app/mkb10
fi

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/test -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build/test --output-on-failure -j "$jobs"

# The same suites once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build/test-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMKB_SANITIZE=ON -DMKB_BUILD_BENCH=OFF
cmake --build build/test-asan -j "$jobs"
QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp" \
  ctest --test-dir build/test-asan --output-on-failure -j "$jobs"
