#!/usr/bin/env bash
# imgdump.exe on the demo set's three WebPs (lossy, lossless with alpha,
# animated): the facts line of each, and the lossy picture's pixels against
# ImageMagick's decode of the same file.
set -uo pipefail
imgdump=$1 out=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$out"
python3 "$root/tools/demo/make_demo.py" "$out" >/dev/null || exit 1
files=$out/files
winpath() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }
dump() { "$root/tools/wine-run.sh" "$imgdump" "$@" | tr -d '\r'; }
status=0
expect() {  # expect LINE ARGS...
  local want=$1; shift
  local got; got=$(dump "$@")
  [ "$got" = "$want" ] || { echo "FAIL imgdump $*: $got (expected $want)"; status=1; }
}
facts="bpp=24 colors=0 transparent=-1"
expect "type=18 width=320 height=240 $facts frames=1" "$(winpath "$files/photo.webp")" "$(winpath "$out/photo.bmp")"
expect "type=18 width=160 height=160 $facts frames=1" "$(winpath "$files/sticker.webp")"
expect "type=18 width=120 height=120 $facts frames=4" --frame 3 "$(winpath "$files/spinner.webp")"
# Lossy: within the JPEG tests' three levels of ImageMagick's decode.
peak=$(compare -metric PAE "$files/photo.webp" "$out/photo.bmp" null: 2>&1 | sed 's/ .*//')
[ -n "$peak" ] && [ "${peak%.*}" -le $((3 * 257)) ] || { echo "FAIL photo.webp differs: peak $peak"; status=1; }
exit $status
