#!/usr/bin/env bash
# The classification source for a build that was given none: the verified copy in the cache
# (${XDG_CACHE_HOME:-~/.cache}/mkb10/), else the НСИ portal's export, downloaded, checked and kept
# there. Prints the copy's path; on failure says what it tried and what to do by hand, and exits
# 1 without leaving a copy. Nothing is built from a file that failed a check: the one kept in the
# cache is the converter's canonical form of the export, whose SHA-256 is that of the file the
# project is checked against.
#
#   tools/fetch-source.sh <mkbconv> [<path looked at before>...]
#
# MKB_SOURCE_URL replaces the portal's address (a file:// address of a copy at hand, or a test's
# server).
set -euo pipefail
conv=$1
shift
looked=("$@")

dataset=1.2.643.5.1.13.13.11.1005
version=2.27
name=mkb10-nsi-$version.csv
expected_sha=3b0a2ff314b3a1e1489338ae9e83c15fbdf4f98250f7b886c27edb60ef507509
expected_header='ID;REC_CODE;MKB_CODE;MKB_NAME;ID_PARENT;ADDL_CODE;ACTUAL;DATE'
expected_records=14937 # current records, as mkbconv counts them in this version
# The portal's public download address for this version's CSV export (a zip). It follows the
# portal's file naming (<identifier>_<version>_<format>.zip under /api/dataFiles/), which is known
# from its XML exports; the CSV name has not been confirmed against the portal from here. If the
# portal moves it, MKB_SOURCE_URL gives the address without a change here.
portal_url=https://nsi.rosminzdrav.ru/api/dataFiles/${dataset}_${version}_csv.zip
page_url=https://nsi.rosminzdrav.ru/dictionaries/$dataset
url=${MKB_SOURCE_URL:-$portal_url}

cache_root=${XDG_CACHE_HOME:-}
[[ $cache_root == /* ]] || cache_root=$HOME/.cache
cache=$cache_root/mkb10
dest=$cache/$name

fail() {
  local reason=$1
  {
    echo "tools/setup.sh: no classification source; nothing was built."
    local label="Looked for:"
    for path in "${looked[@]}"; do
      printf '  %-12s %s (not there)\n' "$label" "$path"
      label=""
    done
    printf '  %-12s %s (%s)\n' "$label" "$dest" "$cached"
    echo "  Download:    $url"
    echo "               $reason"
    echo "  Get the НСИ dataset $dataset, version $version (\"Международная статистическая"
    echo "  классификация болезней и проблем, связанных со здоровьем (10-й пересмотр)\"), as CSV,"
    echo "  from $page_url, then either"
    echo "    MKB_SOURCE_URL=file:///path/to/the/download tools/setup.sh run"
    echo "  (the file as the portal gives it, zip, CSV or JSON; it is checked, then kept in"
    echo "  $cache),"
    echo "  or put the CSV at ${looked[0]:-../shared/data/$name},"
    echo "  or name it: tools/setup.sh run -DMKB_SOURCE=/path/to/$name (cmake takes the same)."
  } >&2
  exit 1
}

cached="not there"
mkdir -p "$cache" || fail "cannot create the cache folder $cache"
if [ -f "$dest" ]; then
  if [ "$(sha256sum <"$dest" | cut -d' ' -f1)" = "$expected_sha" ]; then
    echo "$dest"
    exit 0
  fi
  # Damaged since it was checked: kept aside for a look, and fetched again.
  mv -f "$dest" "$dest.damaged"
  cached="damaged: its checksum changed; set aside as $name.damaged"
  echo "tools/setup.sh: the copy in the cache no longer matches its checksum; downloading again" >&2
fi

work=$(mktemp -d "$cache/.download.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Whatever fails a check is kept beside the cache's copy, never in its place.
reject() {
  cp -f "$work/export" "$cache/$name.rejected" 2>/dev/null || true
  fail "$1
               (the file is kept as $cache/$name.rejected)"
}

command -v curl >/dev/null || fail "curl is missing (tools/install-deps.sh installs it)"
echo "tools/setup.sh: downloading the classification source from $url" >&2
if ! curl -fsSL --connect-timeout 20 --max-time 600 -o "$work/export" "$url" 2>"$work/curl.log"; then
  fail "failed: $(tail -n 1 "$work/curl.log")"
fi
[ -s "$work/export" ] || reject "the address gave an empty file"

export_file=$work/export
if [ "$(head -c 4 "$export_file" | od -An -tx1 | tr -d ' \n')" = 504b0304 ]; then
  mkdir "$work/zip"
  (cd "$work/zip" && cmake -E tar xf ../export) >/dev/null 2>&1 || reject "the zip does not open"
  mapfile -t inside < <(find "$work/zip" -type f \( -iname '*.csv' -o -iname '*.json' \) | sort)
  [ ${#inside[@]} -eq 1 ] ||
    reject "the zip holds ${#inside[@]} CSV or JSON files, expected one"
  export_file=${inside[0]}
fi
if head -c 1024 "$export_file" | grep -qiE '<(!doctype|html|head|body)'; then
  reject "the address answered with an HTML page (an error or log-in page?), not the dataset"
fi

canonical=$work/$name
if ! "$conv" --normalise "$export_file" "$canonical" >"$work/conv.log" 2>&1; then
  problem=$(tail -n 1 "$work/conv.log")
  reject "the converter cannot read it: ${problem#"mkbconv: $export_file: "}"
fi
header=$(head -n 1 "$canonical")
[ "$header" = "$expected_header" ] ||
  reject "its header is \"$header\", expected \"$expected_header\""
records=$(sed -n 's/^mkbconv: \([0-9]*\) current records.*/\1/p' "$work/conv.log")
[ "$records" = "$expected_records" ] ||
  reject "it holds ${records:-no} current records, expected $expected_records (cut short, or another version?)"
sha=$(sha256sum <"$canonical" | cut -d' ' -f1)
[ "$sha" = "$expected_sha" ] ||
  reject "its content's SHA-256 is $sha, expected $expected_sha (altered, or another version?)"

mv -f "$canonical" "$dest"
rm -f "$cache/$name.rejected"
echo "tools/setup.sh: checked and kept as $dest" >&2
echo "$dest"
