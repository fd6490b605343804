#!/usr/bin/env bash
# Writes the body decoder's inputs into $1: a text-like and a barely
# compressible body, each compressed by the gzip, brotli and zstd programs and
# by Python's zlib (zlib-wrapped and raw deflate), plus stacked codings,
# concatenated gzip members, an oversized zstd window and decompression bombs.
# The same files serve the fuzz targets' seeds and the decode benchmark.
#   make-body-fixtures.sh OUT [SCALE]   (SCALE multiplies the body sizes; 1 by default)
set -euo pipefail
out=$1 scale=${2:-1}
mkdir -p "$out"
cd "$out"
rm -f list.txt

python3 - "$scale" <<'PY'
import sys
scale = int(sys.argv[1])
rows, i = [], 0
size = 0
while size < 700_000 * scale:
    row = f'<tr><td class="n">{i * 7919 % 100003}</td><td>row {i} of the listing</td></tr>\n'
    rows.append(row); size += len(row); i += 1
open("text", "w").write("".join(rows))
x, out = 2463534242, bytearray()
for _ in range(300_000 * scale):
    x ^= (x << 13) & 0xFFFFFFFF; x ^= x >> 17; x ^= (x << 5) & 0xFFFFFFFF
    out.append((x >> 11) & 0xFF)
open("binary", "wb").write(out)
PY

deflate() {  # deflate WBITS < IN > OUT: 15 zlib-wrapped, -15 raw
  python3 -c 'import sys, zlib
c = zlib.compressobj(6, zlib.DEFLATED, int(sys.argv[1]))
sys.stdout.buffer.write(c.compress(sys.stdin.buffer.read()) + c.flush())' "$1"
}

for f in text binary; do
  gzip -9 -c $f > $f.gz
  brotli -c $f > $f.br
  zstd -q -c $f > $f.zst
  deflate 15 < $f > $f.zlib
  deflate -15 < $f > $f.deflate
done
cat text.gz binary.gz > members.gz
brotli -c text.gz > text.gz.br
# A frame asking for a 128 MiB window, sixteen times what HTTP allows.
zstd -q --long=27 -c < binary > long-window.zst
# 200 MB of zeros each: a few hundred kilobytes at most.
head -c 200000000 /dev/zero | gzip -c > bomb.gz
head -c 200000000 /dev/zero | brotli -q 5 -c > bomb.br
head -c 200000000 /dev/zero | zstd -q -c > bomb.zst
ls > list.txt
