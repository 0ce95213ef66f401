#!/usr/bin/env bash
# Packs a build folder with CPack and checks the Debian package: its name, its exact file list,
# the computed dependencies, the changelog's version, the desktop entry and AppStream validators,
# the version the manual page and AppStream name, the MIT licence in the copyright file, and that
# lintian finds no errors. Usage: check_deb.sh <build folder> <scratch folder> <version>
set -euo pipefail
build=$1 out=$2 version=$3
for tool in cpack dpkg-shlibdeps desktop-file-validate appstreamcli lintian; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool (tools/install-deps.sh)"; exit 77; }
done
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$out" && mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log" >&2; fail "cpack did not make the package"; }
deb=$out/mkb10_${version}_amd64.deb
[ -f "$deb" ] || fail "no $deb; made: $(ls "$out")"

expected=$(printf './usr/%s\n' bin/mkb10 share/applications/mkb10.desktop \
  share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/mkb10.png \
  share/icons/hicolor/scalable/apps/mkb10.svg share/metainfo/example.verolin.mkb10.metainfo.xml \
  share/doc/mkb10/{copyright,changelog.gz} share/man/man1/mkb10.1.gz | sort)
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
[ "$expected" = "$actual" ] ||
  fail "file list differs (< expected, > packed):$(diff <(echo "$expected") <(echo "$actual"))"

root=$out/root && dpkg-deb -x "$deb" "$root"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libstemmer0d; do
  grep -Eq "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
zcat "$root/usr/share/doc/mkb10/changelog.gz" | head -n 1 | grep -q "^mkb10 ($version) " ||
  fail "the changelog's first entry is not version $version"
zcat "$root/usr/share/man/man1/mkb10.1.gz" | grep -q "^\.TH MKB10 1 .* \"mkb10 $version\"" ||
  fail "the manual page does not name version $version"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/example.verolin.mkb10.metainfo.xml" ||
  fail "the AppStream release is not version $version"
grep -q '^License: MIT$' "$root/usr/share/doc/mkb10/copyright" || fail "copyright names no MIT licence"
desktop-file-validate "$root/usr/share/applications/mkb10.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic \
  "$root/usr/share/metainfo/example.verolin.mkb10.metainfo.xml" || fail "metainfo"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"
