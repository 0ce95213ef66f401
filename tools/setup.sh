#!/usr/bin/env bash
# Installs what is missing, builds, and then either starts the browser (run), runs every test
# suite (test: the Linux builds, then the Windows build under Wine) or builds and packs the
# Windows program (windows). Usage: tools/setup.sh run|test|windows [-DMKB_SOURCE=/path/to/source]
# Without -DMKB_SOURCE the source is ../shared/data/mkb10-nsi-2.27.csv, else the checked copy
# that tools/fetch-source.sh keeps in the cache, downloading it first if need be.
set -euo pipefail
caller=$PWD
cd "$(dirname "$0")/.."
mode=${1:-}
case "$mode" in run|test|windows) ;; *) echo "usage: tools/setup.sh run|test|windows [-DMKB_SOURCE=/path]" >&2; exit 2 ;; esac
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
toolchain=(--toolchain "$PWD/cmake/toolchain-mingw64.cmake")

# Programs built for Windows run under Wine, in a prefix of this build's own (made on first use)
# and on an X server of their own: a private Xvfb on a free display, stopped on exit with the
# prefix's Wine server. Neither Wine's .NET nor its HTML engine is offered for installation.
export WINEPREFIX=$PWD/build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
stop_wine() {
  if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
start_wine() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  trap stop_wine EXIT
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "tools/setup.sh: Xvfb did not start on :$n" >&2; exit 1; }
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX"
    wineboot --init
  fi
  # Wine's own processes (services, the desktop) start with the first program and inherit its
  # output; were that a test, CTest would wait for them until the last test ends. So they start
  # here, on a Wine server that keeps them until stop_wine.
  wineserver -w
  wineserver -p
  wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1
}

if [ "$mode" = windows ]; then
  cmake -S . -B build/windows -G Ninja "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release "${source_arg[@]}"
  cmake --build build/windows -j "$jobs"
  if ! ninja -C build/windows -t query mkb10 >/dev/null 2>&1; then
    echo "tools/setup.sh: this Windows build has no program mkb10 yet (app/ still needs Qt):" \
      "built the libraries and their test suites only, nothing to pack" >&2
    exit 0
  fi
  if [ -f packaging/windows/pack.sh ]; then
    bash packaging/windows/pack.sh build/windows build/windows/dist
  fi
  exit 0
fi

if [ "$mode" = run ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMKB_BUILD_TESTS=OFF -DMKB_BUILD_BENCH=OFF \
    "${source_arg[@]}"
  cmake --build build/release -j "$jobs" --target mkb10
  exec build/release/app/mkb10
fi

# Line tables only (-g1): a failure's stack names its lines, and the build takes less time.
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  "${source_arg[@]}"
cmake --build build/test -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build/test --output-on-failure -j "$jobs"

# The same suites once more under AddressSanitizer and UndefinedBehaviorSanitizer.
# -O1 as the sanitizers are usually run: it finds the same faults and compiles in less time.
cmake -S . -B build/test-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMKB_SANITIZE=ON -DMKB_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  "${source_arg[@]}"
cmake --build build/test-asan -j "$jobs"
QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp" \
  ctest --test-dir build/test-asan --output-on-failure -j "$jobs"

# The Windows build: the program and the suites under Wine, at -O1, which compiles in some 40 %
# less time than the shipped program's optimisation (tools/setup.sh windows builds that one). It
# runs the converter and the picture generator of the test build above.
cmake -S . -B build/test-windows -G Ninja "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
  -DMKB_HOST_TOOLS_DIR="$PWD/build/test" "${source_arg[@]}"
cmake --build build/test-windows -j "$jobs"
start_wine
# Wine's loader now and then asserts as a test program exits, after every test in it passed
# ("Inconsistency detected by ld.so: dl-fini.c"); a test that fails so runs once more. A test
# that really fails fails twice.
ctest --test-dir build/test-windows --output-on-failure -j "$jobs" --repeat until-pass:2
