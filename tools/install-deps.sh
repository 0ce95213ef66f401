#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests, benchmarks and packages with (for Linux
# and for Windows), only those missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev qt6-translations-l10n qt6-svg-dev libgl-dev libjpeg62-turbo-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libexpat1-dev libpugixml-dev libstemmer-dev
  fonts-liberation fonts-dejavu-core
  dpkg-dev file desktop-file-utils appstream lintian
  curl ca-certificates python3
  # The Windows build: MinGW-w64 (its posix thread model), GoogleTest's sources to compile with
  # it, Wine and a virtual X server to run the suites, NSIS and zip to pack the program.
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix googletest wine wine64 xvfb nsis zip unzip
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
