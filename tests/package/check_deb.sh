#!/usr/bin/env bash
# Packs a build folder with CPack and checks the Debian package: its name, its exact file list,
# the icon sizes, the computed dependencies, the desktop entry and AppStream validators, and
# that lintian finds no errors.
# Usage: check_deb.sh <build folder> <scratch folder> <version>
set -euo pipefail
build=$1 out=$2 version=$3

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian file; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is missing (tools/install-deps.sh installs it)"
    exit 77
  fi
done

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out"
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log" >&2
  fail "cpack did not make the package"
fi
deb=$out/mkb10_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb; made: $(ls "$out")"

# Every file, no more and no fewer; directories are left to dpkg.
expected=$(
  {
    echo ./usr/bin/mkb10
    echo ./usr/share/applications/mkb10.desktop
    for size in 16 32 48 64 128 256; do
      echo "./usr/share/icons/hicolor/${size}x${size}/apps/mkb10.png"
    done
    echo ./usr/share/icons/hicolor/scalable/apps/mkb10.svg
    echo ./usr/share/metainfo/example.verolin.mkb10.metainfo.xml
    echo ./usr/share/doc/mkb10/copyright
    echo ./usr/share/doc/mkb10/changelog.gz
    echo ./usr/share/man/man1/mkb10.1.gz
  } | sort
)
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
if [ "$expected" != "$actual" ]; then
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  fail "the package's file list differs (< expected, > packed)"
fi

root=$out/root
dpkg-deb -x "$deb" "$root"
for size in 16 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/mkb10.png" |
    grep -q "PNG image data, $size x $size," || fail "the ${size}-pixel icon is not $size x $size"
done
file "$root/usr/share/icons/hicolor/scalable/apps/mkb10.svg" | grep -q "SVG Scalable Vector Graphics" ||
  fail "the scalable icon is not SVG"
file "$root/usr/bin/mkb10" | grep -q ", stripped" || fail "the program is not stripped"
zcat "$root/usr/share/doc/mkb10/changelog.gz" | head -n 1 | grep -q "^mkb10 ($version) " ||
  fail "the changelog's first entry is not version $version"

# dpkg-shlibdeps found the toolkit and the C library the program links.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6gui6 libqt6core6; do
  grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

desktop-file-validate "$root/usr/share/applications/mkb10.desktop" ||
  fail "desktop-file-validate rejects the desktop entry"
appstreamcli validate --no-net --pedantic \
  "$root/usr/share/metainfo/example.verolin.mkb10.metainfo.xml" ||
  fail "appstreamcli rejects the metainfo file"

lintian --fail-on error --tag-display-limit 0 "$deb" >"$out/lintian.log" 2>&1 || {
  cat "$out/lintian.log" >&2
  fail "lintian reports errors"
}
cat "$out/lintian.log"
echo "ok: $deb"
