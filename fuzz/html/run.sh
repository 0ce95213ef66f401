#!/usr/bin/env bash
# Builds the HTML reader fuzzer in build-fuzz/ (clang) and runs it for the given seconds:
#   fuzz/html/run.sh [seconds]
# New inputs go to fuzz/corpus-work/html (git-ignored); crashes to fuzz/corpus-work/html-crashes.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-600}"
build="$root/build-fuzz"
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DMKB_BUILD_FUZZ=ON \
    -DMKB_BUILD_TESTS=OFF -DMKB_BUILD_BENCH=OFF
fi
cmake --build "$build" -j2 --target fuzz_html_reader
work="$root/fuzz/corpus-work/html"
crashes="$root/fuzz/corpus-work/html-crashes"
mkdir -p "$work" "$crashes"
cd "$crashes"
"$build/fuzz/html/fuzz_html_reader" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
  -print_final_stats=1 "$work" "$root/fuzz/html/corpus"
