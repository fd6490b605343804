#!/usr/bin/env bash
# The seed corpus: the test fixtures, truncated copies of them, and every file
# that once made a decoder fail badly (kept as hex text in regressions/); then
# one folder per fuzz target with the part of it that target reads.
#   make-seeds.sh FIXTURES REGRESSIONS OUT TARGETS BY_TARGET
set -euo pipefail
fixtures=$1 regressions=$2 out=$3 targets=$4 by_target=$5
rm -rf "$out" "$by_target"; mkdir -p "$out" "$by_target"
seed() {  # seed FILE: the file and its half and nine tenths
  local name
  name=$(basename "$1") size=$(stat -c %s "$1")
  [ "$1" -ef "$out/$name" ] || cp "$1" "$out/$name"
  head -c $((size / 2)) "$1" > "$out/half_$name"
  head -c $((size * 9 / 10)) "$1" > "$out/most_$name"
}
while read -r name _; do
  seed "$fixtures/$name"
done < "$fixtures/index.txt"
# Targa has no fixture among the tests' references, so its seeds are a few of
# the others converted: plain and run-length, true colour, mapped and grey.
IM=/usr/bin/convert
$IM "$fixtures/bmp_24.bmp" "$out/tga_24.tga"
$IM "$fixtures/bmp_24.bmp" -compress RLE "$out/tga_rle24.tga"
$IM "$fixtures/bmp_32.bmp" -compress RLE "$out/tga_rle32.tga"
$IM "$fixtures/bmp_8.bmp" -type palette "$out/tga_palette.tga"
$IM "$fixtures/bmp_8.bmp" -type palette -compress RLE "$out/tga_rle_palette.tga"
$IM "$fixtures/bmp_24.bmp" -colorspace Gray "$out/tga_grey.tga"
for tga in "$out"/tga_*.tga; do seed "$tga"; done
# Cached bodies for the body targets: a short page and a few binary bytes in
# every coding, as the compression tools write them, two codings stacked, and
# the page's gzip members one after another.
printf '<!doctype html><title>%s</title>\n' cached > "$out/body_page"
for i in $(seq 1 60); do echo "<p class=\"row\">row $i of the cached page</p>" >> "$out/body_page"; done
head -c 700 "$fixtures/bmp_24.bmp" > "$out/body_binary"
deflate() {  # deflate WBITS < IN > OUT: 15 zlib-wrapped, -15 raw
  python3 -c 'import sys, zlib
c = zlib.compressobj(6, zlib.DEFLATED, int(sys.argv[1]))
sys.stdout.buffer.write(c.compress(sys.stdin.buffer.read()) + c.flush())' "$1"
}
for body in body_page body_binary; do
  gzip -9 -n -c "$out/$body" > "$out/$body.gz"
  brotli -c "$out/$body" > "$out/$body.br"
  zstd -q -c "$out/$body" > "$out/$body.zst"
  deflate 15 < "$out/$body" > "$out/$body.zlib"
  deflate -15 < "$out/$body" > "$out/$body.deflate"
  for f in "$out/$body".*; do seed "$f"; done
done
cat "$out/body_page.gz" "$out/body_page.gz" > "$out/body_members.gz"
brotli -c "$out/body_page.gz" > "$out/body_page.gz.br"
# body_list's first byte picks the header value (see body_list_fuzzer.cpp).
listed() {  # listed INDEX FILE NAME
  { printf "\\x$(printf %02x "$1")"; cat "$2"; } > "$out/list_$3"
}
listed 0 "$out/body_page.zst" unlabelled_zstd
listed 1 "$out/body_page" identity
listed 2 "$out/body_page.gz.br" gzip_br
listed 10 "$out/body_page.gz.br" spaced_gzip_br
for hex in "$regressions"/*.hex; do
  [ -e "$hex" ] || continue
  grep -v '^#' "$hex" | xxd -r -p > "$out/regression_$(basename "$hex" .hex)"
done
(cd "$out" && ls | grep -v '^list.txt$' > list.txt)
shopt -s nullglob
grep -v '^#' "$targets" | while read -r name _ patterns; do
  [ -n "$name" ] || continue
  mkdir -p "$by_target/$name"
  (cd "$out" && for f in $patterns regression_"$name"-*; do [ "$f" = list.txt ] || cp "$f" "$by_target/$name/"; done)
done
