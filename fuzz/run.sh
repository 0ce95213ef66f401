#!/usr/bin/env bash
# Runs a libFuzzer target for a given time: fuzz/run.sh <target> <seconds> [libFuzzer options]
# The target is a folder under fuzz/ (xml, html) or its executable's name (fuzz_xml). The fuzz
# build lives in build-fuzz/ and is configured on first use; the run works on a copy of the seeds
# (corpus/ and the fixed crashes in crashes/) in fuzz/corpus-work/<target>/ and leaves crash and
# slow inputs in fuzz/corpus-work/<target>-artifacts/. A <target>.dict beside the seeds is used.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
  echo "usage: fuzz/run.sh <target> <seconds> [libFuzzer options]" >&2
  exit 2
fi
target=${1#fuzz_}
seconds=$2
shift 2
if [ ! -d "fuzz/$target/corpus" ]; then
  echo "fuzz/run.sh: no target '$target' (expected fuzz/$target/corpus)" >&2
  exit 2
fi
case "$seconds" in ''|*[!0-9]*) echo "fuzz/run.sh: '$seconds' is not a number of seconds" >&2; exit 2 ;; esac

build=build-fuzz
if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMKB_BUILD_FUZZ=ON -DMKB_BUILD_TESTS=OFF -DMKB_BUILD_BENCH=OFF
fi
cmake --build "$build" -j2 --target "fuzz_$target"

work=fuzz/corpus-work/$target
artifacts=fuzz/corpus-work/$target-artifacts
mkdir -p "$work" "$artifacts"
cp -n fuzz/"$target"/corpus/* "$work"/
if [ -d "fuzz/$target/crashes" ]; then
  cp -n fuzz/"$target"/crashes/* "$work"/
fi
dict=()
[ -f "fuzz/$target/$target.dict" ] && dict=(-dict="fuzz/$target/$target.dict")
exec "$build/fuzz/$target/fuzz_$target" -max_total_time="$seconds" -timeout=10 -max_len=8192 \
  -artifact_prefix="$artifacts/" -print_final_stats=1 "${dict[@]}" "$@" "$work"
