#!/usr/bin/env bash
# Builds Snowball's stemmer library for the Windows program from Debian's own source package of
# it (snowball, the source of libstemmer-dev): the Snowball compiler natively, then the runtime
# and the Russian stemmer alone with MinGW-w64. Usage: tools/stemmer-windows.sh <out dir>
# Leaves <out dir>/include/libstemmer.h and <out dir>/lib/libstemmer.a; does nothing when they
# are there already.
set -euo pipefail
out=${1:?usage: tools/stemmer-windows.sh <out dir>}
mkdir -p "$out"
out=$(cd "$out" && pwd)
[ -f "$out/lib/libstemmer.a" ] && [ -f "$out/include/libstemmer.h" ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
# apt-get source needs the archive's source lists, which a default installation leaves out.
if ! apt-get source --print-uris snowball >/dev/null 2>&1; then
  echo "Enabling Debian's source package lists to fetch snowball's sources"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    "${sudo_cmd[@]}" sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  fi
  if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/mkb10-sources.list >/dev/null
  fi
  "${sudo_cmd[@]}" apt-get update -qq
fi

work="$out/src"
rm -rf "$work"
mkdir -p "$work"
(cd "$work" && apt-get source -qq snowball >/dev/null 2>&1) || {
  echo "tools/stemmer-windows.sh: could not fetch Debian's snowball sources (apt-get source snowball)" >&2
  exit 1
}
src=$(find "$work" -maxdepth 1 -type d -name 'snowball-*' | head -n 1)
[ -n "$src" ] || { echo "tools/stemmer-windows.sh: no snowball source folder in $work" >&2; exit 1; }
# Only the stemmer the program uses, in the one encoding it uses.
printf 'russian UTF_8 russian,ru,rus\n' >"$src/libstemmer/modules.txt"
make -C "$src" -s -j2 snowball >/dev/null
make -C "$src" -s -j2 libstemmer.a CC=x86_64-w64-mingw32-gcc-posix AR=x86_64-w64-mingw32-ar \
  >/dev/null 2>&1
mkdir -p "$out/include" "$out/lib"
cp "$src/include/libstemmer.h" "$out/include/"
cp "$src/libstemmer.a" "$out/lib/"
echo "Snowball's Russian stemmer for Windows: $out/lib/libstemmer.a"
