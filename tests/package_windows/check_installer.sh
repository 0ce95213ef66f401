#!/usr/bin/env bash
# Packs the Windows program with packaging/windows/pack.sh, checks the portable zip, installs the
# installer silently under Wine in a prefix of its own, checks what it installed and registered,
# uninstalls silently and checks that all of it is gone.
#
#   check_installer.sh <windows build dir> <mkb10.exe> <work dir>
#
# The work folder is emptied first and kept when a check fails.
set -euo pipefail
[ $# -eq 3 ] || {
    echo "usage: check_installer.sh <windows build dir> <mkb10.exe> <work dir>" >&2
    exit 2
}
build=$1
exe=$2
work=$3
root=$(cd "$(dirname "$0")/../.." && pwd)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
"$root/packaging/windows/pack.sh" "$build" "$work/out" --exe "$exe" >/dev/null
version=$(sed -n 's/^#define MKB_VERSION "\(.*\)"$/\1/p' "$build/version/mkb_version.h")
setup=$work/out/mkb10-$version-setup.exe
zip=$work/out/mkb10-$version-portable.zip
[ -f "$setup" ] || fail "pack.sh made no $setup"

# The portable zip: one folder with the three files; the texts in Windows form.
unzip -q "$zip" -d "$work/portable"
[ "$(cd "$work/portable" && find . -type f | sort | tr '\n' ' ')" = \
    "./mkb10-$version/LICENSE.txt ./mkb10-$version/README.txt ./mkb10-$version/mkb10.exe " ] ||
    fail "the portable zip holds: $(cd "$work/portable" && find . -type f | tr '\n' ' ')"
portable=$work/portable/mkb10-$version
[ "$(head -c 3 "$portable/README.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
    fail "README.txt does not start with a UTF-8 byte order mark"
for text in README.txt LICENSE.txt; do
    if grep -q $'[^\r]$' "$portable/$text"; then fail "$text has a line without CRLF"; fi
done
grep -q "МКБ-10 $version" "$portable/README.txt" || fail "README.txt does not name version $version"

export WINEPREFIX=$work/prefix WINEDEBUG=-all
# No Wine menu entries or icons on the host's desktop, no Mono or Gecko prompts.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
unset DISPLAY
wineboot -i >/dev/null 2>&1 || fail "wineboot could not make the prefix $WINEPREFIX"
wineserver -w

windows() { wine cmd /c "echo $1" | tr -d '\r'; }
localappdata=$(windows '%LOCALAPPDATA%')
dir=$(winepath -u "$localappdata")/Programs/МКБ-10
startmenu=$(winepath -u "$(windows '%APPDATA%')")/Microsoft/Windows/Start\ Menu/Programs/МКБ-10.lnk
desktop=$(winepath -u "$(windows '%USERPROFILE%')")/Desktop/МКБ-10.lnk
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\mkb10'

wine "$setup" /S || fail "setup.exe /S exited with $?"
wineserver -w
for file in mkb10.exe LICENSE.txt uninstall.exe; do
    [ -f "$dir/$file" ] || fail "not installed: $dir/$file"
done
cmp -s "$dir/mkb10.exe" "$portable/mkb10.exe" || fail "the installed program differs from the zip's"
[ -f "$startmenu" ] || fail "no Start menu shortcut $startmenu"
[ -f "$desktop" ] || fail "no desktop shortcut $desktop"

# The key as regedit writes it: UTF-16, each backslash and quote in a value escaped.
wine reg export "$key" "$work/key.reg" >/dev/null || fail "no uninstall key $key"
reg=$(iconv -f UTF-16 -t UTF-8 "$work/key.reg" | tr -d '\r')
esc() { sed 's/[\\"]/\\&/g' <<<"$1"; }
windir="$localappdata\Programs\МКБ-10"
for entry in "DisplayName=МКБ-10" "DisplayVersion=$version" "Publisher=Verolin" \
    "DisplayIcon=$windir\mkb10.exe,0" "UninstallString=\"$windir\uninstall.exe\""; do
    line="\"${entry%%=*}\"=\"$(esc "${entry#*=}")\""
    grep -qxF -- "$line" <<<"$reg" || fail "the uninstall key has no $line; it holds:"$'\n'"$reg"
done
size=$(sed -n 's/^"EstimatedSize"=dword:\([0-9a-f]\{8\}\)$/\1/p' <<<"$reg")
[ -n "$size" ] && [ $((16#$size)) -ge $(($(stat -c %s "$dir/mkb10.exe") / 1024)) ] ||
    fail "EstimatedSize (${size:-none}) is not the installed size in kilobytes"

# The uninstaller runs from a copy in the temporary folder; wineserver -w waits for that too.
wine "$dir/uninstall.exe" /S || fail "uninstall.exe /S exited with $?"
wineserver -w
[ ! -e "$dir" ] || fail "the program's folder is left: $(ls -A "$dir" | tr '\n' ' ')"
[ ! -e "$startmenu" ] || fail "the Start menu shortcut is left"
[ ! -e "$desktop" ] || fail "the desktop shortcut is left"
if wine reg query "$key" >/dev/null 2>&1; then fail "the uninstall key is left"; fi

rm -rf "$work"
echo "windows_installer: mkb10-$version-setup.exe installed and removed under Wine"
