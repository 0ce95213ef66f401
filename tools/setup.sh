#!/usr/bin/env bash
# Installs what is missing, builds, and then either starts the browser (run) or runs every test
# suite (test). Usage: tools/setup.sh run|test [-DMKB_SOURCE=/path/to/source]
# Without -DMKB_SOURCE the source is ../shared/data/mkb10-nsi-2.27.csv, else the checked copy
# that tools/fetch-source.sh keeps in the cache, downloading it first if need be.
set -euo pipefail
caller=$PWD
cd "$(dirname "$0")/.."
mode=${1:-}
case "$mode" in run|test) ;; *) echo "usage: tools/setup.sh run|test [-DMKB_SOURCE=/path]" >&2; exit 2 ;; esac
shift
source_arg=()
for arg in "$@"; do
  case "$arg" in
    -DMKB_SOURCE=*) source_arg=("-DMKB_SOURCE=$(cd "$caller" && realpath -m "${arg#-DMKB_SOURCE=}")") ;;
    *) echo "tools/setup.sh: unknown argument $arg" >&2; exit 2 ;;
  esac
done

tools/install-deps.sh

if [ ${#source_arg[@]} -eq 0 ]; then
  default=$(realpath -m ../shared/data/mkb10-nsi-2.27.csv)
  if [ -f "$default" ]; then
    source_arg=("-DMKB_SOURCE=$default")
  else
    # The converter alone checks a download before anything is built from it.
    cmake -S . -B build/mkbconv -G Ninja -DCMAKE_BUILD_TYPE=Release -DMKB_CONVERTER_ONLY=ON >/dev/null
    cmake --build build/mkbconv --target mkbconv >/dev/null
    found=$(tools/fetch-source.sh build/mkbconv/tools/mkbconv/mkbconv "$default")
    source_arg=("-DMKB_SOURCE=$found")
  fi
fi

jobs=$(nproc 2>/dev/null || echo 2)
if [ "$mode" = run ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMKB_BUILD_TESTS=OFF -DMKB_BUILD_BENCH=OFF \
    "${source_arg[@]}"
  cmake --build build/release -j "$jobs" --target mkb10
  exec build/release/app/mkb10
fi

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${source_arg[@]}"
cmake --build build/test -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build/test --output-on-failure -j "$jobs"

# The same suites once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build/test-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMKB_SANITIZE=ON -DMKB_BUILD_BENCH=OFF \
  "${source_arg[@]}"
cmake --build build/test-asan -j "$jobs"
QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp" \
  ctest --test-dir build/test-asan --output-on-failure -j "$jobs"
