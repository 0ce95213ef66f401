#!/usr/bin/env bash
# Packs the Windows program for delivery:
#
#   packaging/windows/pack.sh <windows build dir> <out dir> [--exe <mkb10.exe>]
#
# writes <out dir>/mkb10-<version>-setup.exe (the NSIS installer, installer.nsi) and
# <out dir>/mkb10-<version>-portable.zip (a folder mkb10-<version>/ with mkb10.exe, README.txt and
# LICENSE.txt). The build folder is one configured for Windows (cmake/toolchain-mingw64.cmake)
# in which mkb10 is built: the program is <build>/app/mkb10.exe unless --exe names another, the
# version comes from <build>/version/mkb_version.h, the icon file and the installer's side picture
# from <build>/packaging/windows/ (packaging/windows/windows.cmake puts them there with the
# program).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

die() {
    echo "pack.sh: $*" >&2
    exit 1
}
usage() {
    echo "usage: packaging/windows/pack.sh <windows build dir> <out dir> [--exe <mkb10.exe>]" >&2
    exit 2
}

[ $# -ge 2 ] || usage
build=$1
out=$2
shift 2
exe=""
while [ $# -gt 0 ]; do
    case $1 in
    --exe)
        [ $# -ge 2 ] || usage
        exe=$2
        shift 2
        ;;
    --exe=*)
        exe=${1#--exe=}
        shift
        ;;
    *) usage ;;
    esac
done

[ -d "$build" ] || die "no build folder $build"
build=$(cd "$build" && pwd)
[ -n "$exe" ] || exe=$build/app/mkb10.exe
[ -f "$exe" ] || die "no program at $exe: build the target mkb10 in $build first, or name the program with --exe"
[ "$(head -c 2 "$exe")" = MZ ] || die "$exe is not a Windows program"

header=$build/version/mkb_version.h
[ -f "$header" ] || die "no $header: $build is not a configured build folder of this project"
version=$(sed -n 's/^#define MKB_VERSION "\([0-9][0-9.]*\)"$/\1/p' "$header")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "no version of the form 1.2.3 in $header"

icon=$build/packaging/windows/mkb10.ico
panel=$build/packaging/windows/installer.bmp
for file in "$icon" "$panel"; do
    [ -f "$file" ] || die "no $file: it is made with mkb10 when app/CMakeLists.txt calls mkb_windows_resources (packaging/windows/windows.cmake)"
done

command -v makensis >/dev/null || die "makensis not found: install the Debian package nsis"
command -v zip >/dev/null || die "zip not found: install the Debian package zip"

# The holder of the copyright is the publisher, as in the program's version information.
publisher=$(sed -n 's/^Copyright (c) [0-9]\{4\} \(.*\)$/\1/p' "$root/LICENSE" | head -n 1)
[ -n "$publisher" ] || die "LICENSE has no line \"Copyright (c) <year> <holder>\""

mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d "$out/.pack.XXXXXX")
trap 'rm -rf "$stage"' EXIT
folder=$stage/mkb10-$version
mkdir "$folder"

# The build type's symbols are for debugging, not for the delivered program.
cp "$exe" "$folder/mkb10.exe"
strip=x86_64-w64-mingw32-strip
if command -v "$strip" >/dev/null; then
    "$strip" --strip-all "$folder/mkb10.exe"
else
    echo "pack.sh: $strip not found; the program is packed with its symbols" >&2
fi

# Windows text: CRLF, and UTF-8 with a byte order mark so that Notepad of Windows 7 reads the
# Russian text right too.
crlf() { sed 's/\r$//; s/$/\r/'; }
bom() { printf '\357\273\277'; }
crlf <"$root/LICENSE" >"$folder/LICENSE.txt"
{
    bom
    sed "s/@VERSION@/$version/g" "$here/README.txt.in" | crlf
} >"$folder/README.txt"
# The licence page wraps its text itself: one line a paragraph.
awk 'NF { line = line (line == "" ? "" : " ") $0; next }
     { if (line != "") print line; print ""; line = "" }
     END { if (line != "") print line }' "$root/LICENSE" | crlf >"$stage/license-page.txt"

setup=$out/mkb10-$version-setup.exe
portable=$out/mkb10-$version-portable.zip
rm -f "$setup" "$portable"

makensis -V2 -WX -INPUTCHARSET UTF8 \
    "-DVERSION=$version" "-DPUBLISHER=$publisher" "-DEXE=$folder/mkb10.exe" "-DICON=$icon" \
    "-DPANEL=$panel" \
    "-DLICENSE_PAGE=$stage/license-page.txt" "-DLICENSE_TXT=$folder/LICENSE.txt" \
    "-DOUTFILE=$setup" "$here/installer.nsi" ||
    die "makensis failed"

(cd "$stage" && zip -q -X -9 -r "$portable" "mkb10-$version") || die "zip failed"

echo "$setup"
echo "$portable"
