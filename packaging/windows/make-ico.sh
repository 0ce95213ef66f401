#!/bin/sh
# Packs square PNG pictures into one Windows icon file, each picture stored as it is (an ICO entry
# may hold a PNG since Windows Vista), so that no image library is needed:
#
#   make-ico.sh <out.ico> <picture.png>...
#
# Sizes come from each PNG's header; they must be square, from 1 to 256 pixels, one picture a size.
set -eu

fail() {
    echo "make-ico.sh: $*" >&2
    exit 1
}

[ $# -ge 2 ] || fail "usage: make-ico.sh <out.ico> <picture.png>..."
out=$1
shift

# One byte, as printf writes it from an octal escape (hence the format made at run time).
# shellcheck disable=SC2059
byte() { printf "\\$(printf '%03o' "$(($1 & 255))")"; }
le16() {
    byte "$1"
    byte "$(($1 >> 8))"
}
le32() {
    le16 "$(($1 & 65535))"
    le16 "$(($1 >> 16 & 65535))"
}

# The first 24 bytes of a PNG: the signature, then the IHDR chunk's length, name, width and height.
sizes=""
for png in "$@"; do
    [ -f "$png" ] || fail "no such picture: $png"
    head=$(od -An -tx1 -N24 -v "$png" | tr -d ' \n')
    case $head in
    89504e470d0a1a0a0000000d49484452*) ;;
    *) fail "not a PNG picture: $png" ;;
    esac
    width=$((0x$(echo "$head" | cut -c33-40)))
    height=$((0x$(echo "$head" | cut -c41-48)))
    [ "$width" -eq "$height" ] || fail "$png is ${width}x${height}; an icon picture must be square"
    [ "$width" -ge 1 ] && [ "$width" -le 256 ] || fail "$png is ${width} pixels wide; at most 256"
    case " $sizes " in
    *" $width "*) fail "two pictures of ${width} pixels" ;;
    esac
    sizes="$sizes $width"
done

tmp="$out.tmp"
trap 'rm -f "$tmp"' EXIT
{
    # ICONDIR: reserved, type 1 (icon), the count; then a 16-byte entry a picture, the pictures'
    # data after the last entry.
    le16 0
    le16 1
    le16 $#
    offset=$((6 + 16 * $#))
    for png in "$@"; do
        size=$(wc -c <"$png")
        width=$((0x$(od -An -tx1 -j16 -N4 "$png" | tr -d ' \n')))
        byte "$((width & 255))" # 256 is written as 0
        byte "$((width & 255))"
        byte 0 # no palette
        byte 0
        le16 1  # planes
        le16 32 # bits a pixel
        le32 "$size"
        le32 "$offset"
        offset=$((offset + size))
    done
    cat "$@"
} >"$tmp"
mv "$tmp" "$out"
trap - EXIT
