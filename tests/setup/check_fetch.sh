#!/usr/bin/env bash
# tools/fetch-source.sh against exports served by file:// and by a server on 127.0.0.1 that stops
# by itself. Usage: check_fetch.sh <fetch-source.sh> <mkbconv> <source csv> <scratch folder>
set -euo pipefail
fetch=$1 conv=$2 source=$3 out=$4
for tool in python3 curl sha256sum; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool (tools/install-deps.sh)"; exit 77; }
done
fail() { echo "FAIL: $*" >&2; exit 1; }
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY ALL_PROXY all_proxy no_proxy NO_PROXY
rm -rf "$out" && mkdir -p "$out/www"
name=mkb10-nsi-2.27.csv sha=$(sha256sum <"$source" | cut -d' ' -f1)
[ "$sha" = "$(sed -n 's/^expected_sha=//p' "$fetch")" ] ||
  { echo "skipped: $source is not the file the download is checked against"; exit 77; }

# The good file in other forms (a zip of a ","-separated, quoted, CR LF, BOM-marked CSV; JSON),
# and bad ones: cut mid-record, cut at a record, one title altered, an error page.
python3 - "$source" "$out/www" <<'EOF'
import csv, io, json, sys, zipfile
raw, www = open(sys.argv[1], 'rb').read(), sys.argv[2]
rows = list(csv.reader(io.StringIO(raw.decode(), newline=''), delimiter=';'))
text = io.StringIO()
csv.writer(text, quoting=csv.QUOTE_ALL, lineterminator='\r\n').writerows(rows)
with zipfile.ZipFile(www + '/export.zip', 'w') as z:
    z.writestr('readme.txt', 'not the data')
    z.writestr('data.csv', b'\xef\xbb\xbf' + text.getvalue().encode())
records = [{k: (int(v) if k == 'ID' else v or None) for k, v in zip(rows[0], r)} for r in rows[1:]]
json.dump({'result': 'OK', 'list': records}, open(www + '/export.json', 'w'))
files = {'cut.csv': raw[:len(raw) // 2], 'short.csv': b'\n'.join(raw.split(b'\n')[:-500]),
         'altered.csv': raw.replace('Холера неуточненная'.encode(), 'Холера неуточнённая'.encode()),
         'error.csv': b'<!DOCTYPE html>\n<html><body>502 Bad Gateway</body></html>\n'}
for name, data in files.items():
    open(www + '/' + name, 'wb').write(data)
EOF

: >"$out/server.log"
PYTHONUNBUFFERED=1 timeout 60 python3 -m http.server --bind 127.0.0.1 --directory "$out/www" 0 \
  >"$out/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  port=$(sed -n 's/.*port \([0-9]*\).*/\1/p' "$out/server.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || fail "the test server did not start: $(cat "$out/server.log")"
http=http://127.0.0.1:$port

# fetch <case> <address> [<cache root>]: status and output kept; the cache is the case's own
# unless given ("" leaves XDG_CACHE_HOME empty, so ~/.cache serves).
fetch() {
  case=$1 cache=${3-$out/$1/cache}
  mkdir -p "$out/$case"
  status=0
  XDG_CACHE_HOME=$cache HOME=$out/$case/home MKB_SOURCE_URL=$2 "$fetch" "$conv" /nowhere/$name \
    >"$out/$case/stdout" 2>"$out/$case/stderr" || status=$?
}
succeeds() { # <copy expected>
  [ $status -eq 0 ] && [ "$(cat "$out/$case/stdout")" = "$1" ] ||
    fail "$case: exit $status, printed '$(cat "$out/$case/stdout")': $(cat "$out/$case/stderr")"
  [ "$(sha256sum <"$1" | cut -d' ' -f1)" = "$sha" ] || fail "$case: the copy is not the file"
}
fails() { # <words the message must hold>...; no copy left, no path printed
  [ $status -ne 0 ] && [ ! -s "$out/$case/stdout" ] || fail "$case: exit $status"
  [ ! -e "$cache/mkb10/$name" ] || fail "$case: left a copy in the cache"
  for words in "no classification source" "/nowhere/$name (not there)" "MKB_SOURCE_URL=file://" \
    "-DMKB_SOURCE=" "1.2.643.5.1.13.13.11.1005" "$@"; do
    grep -qF -- "$words" "$out/$case/stderr" || fail "$case: no '$words': $(cat "$out/$case/stderr")"
  done
}

kept=$out/plain/cache/mkb10/$name
fetch plain "file://$source" && succeeds "$kept"
fetch again "file://$out/none" "$out/plain/cache" && succeeds "$kept" # no download needed
echo damage >>"$kept"
fetch damaged "$http/export.zip" "$out/plain/cache" && succeeds "$kept"
[ -f "$kept.damaged" ] || fail "damaged: the damaged copy was not set aside"
fetch json "$http/export.json" "" && succeeds "$out/json/home/.cache/mkb10/$name"

fetch cut "$http/cut.csv" && fails "the converter cannot read it: line " "$name.rejected"
fetch short "$http/short.csv" && fails "current records, expected 14937"
fetch altered "$http/altered.csv" && fails "SHA-256 is " "expected $sha"
fetch html "$http/error.csv" && fails "HTML page"
fetch missing "$http/gone.csv" && fails "404"
fetch nofile "file://$out/none.csv" && fails "file://$out/none.csv"
echo "all cases as expected"
