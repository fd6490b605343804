#!/usr/bin/env bash
# The thumbnail benchmark's corpus, written by ImageMagick: web pictures
# (GIF, JPEG and 8-bit PNG of the sizes in web-sizes.txt, the scan
# benchmark's sizes) and photographs of 2 to 24 megapixels (JPEG at quality
# 85, a few PNGs), plasma blurred with grain on top so that they compress
# like camera pictures rather than like flat gradients. Names start with the
# class the benchmark reports; thumbnails.txt lists them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
IM=/usr/bin/convert
mkdir -p "$out"
cd "$out"
rm -f ./*.gif ./*.jpg ./*.png thumbnails.txt

seed=0
for round in 1 2; do
  while read -r size; do
    seed=$((seed + 1))
    $IM -seed $seed -size "$size" plasma:fractal -colors 64 "web-gif_${size}_$round.gif"
    $IM -seed $seed -size "$size" plasma:fractal -quality 85 "web-jpeg_${size}_$round.jpg"
    $IM -seed $seed -size "$size" plasma:fractal -depth 8 "PNG24:web-png_${size}_$round.png"
  done < "$here/web-sizes.txt"
done

# photo SIZE SEED OPTION... OUTPUT: camera-like content, then the options and
# the file to write.
photo() {
  $IM -seed "$2" -size "$1" plasma:fractal -blur 0x1.5 -attenuate 0.5 +noise Gaussian -depth 8 "${@:3}"
}
for size in 1632x1224 2048x1536 3264x2448 4000x3000 4896x3264 6000x4000; do
  seed=$((seed + 1))
  photo $size $seed -quality 85 "photo-jpeg_$size.jpg"
done
for size in 1632x1224 3264x2448; do
  seed=$((seed + 1))
  photo $size $seed "PNG24:photo-png_$size.png"
done
ls ./*.gif ./*.jpg ./*.png | sed 's|^\./||' > thumbnails.txt
