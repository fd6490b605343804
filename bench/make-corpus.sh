#!/usr/bin/env bash
# The GIF benchmark corpus, written by ImageMagick: single-frame pictures of
# web sizes, interlaced and transparent ones, and animated banners of 10 to
# 50 frames. Names start with the category the harness reports.
set -euo pipefail
out=$1
IM=/usr/bin/convert
mkdir -p "$out"
cd "$out"
rm -f ./*.gif
i=0
for size in 120x60 300x250 468x60 640x480 800x600 1024x768; do
  i=$((i + 1))
  $IM -seed $i -size $size plasma:fractal -colors 256 single_$size.gif
  $IM -seed $i -size $size plasma:fractal -colors 64 -interlace GIF interlaced_$size.gif
  corner=$($IM -seed $i -size $size plasma:fractal -colors 32 -format '%[pixel:p{0,0}]' info:)
  $IM -seed $i -size $size plasma:fractal -colors 32 -transparent "$corner" transparent_$size.gif
done
for frames in 10 25 50; do
  args=()
  for f in $(seq 1 $frames); do args+=(\( -seed $f -size 468x60 plasma:fractal -colors 128 \)); done
  $IM -delay 8 "${args[@]}" -loop 0 -layers Optimize anim_${frames}.gif
done
ls ./*.gif | sed 's|^\./||' > list.txt

# JPEG photographs and PNG graphics of web sizes for the library wrappers.
rm -f ./*.jpg ./*.png
for size in 300x250 640x480 1024x768 1600x1200; do
  convert -seed 3 -size $size plasma:fractal -blur 0x1 -quality 85 photo_$size.jpg
  convert -seed 3 -size $size plasma:fractal -blur 0x1 -quality 85 -interlace JPEG photo_progressive_$size.jpg
  convert -size $size xc:white -fill '#3366cc' -draw "rectangle 10,10 120,60" -fill '#cc3333' \
      -draw "circle 150,120 190,160" -pointsize 24 -fill black -annotate +20+100 'Zema' PNG24:graphic_$size.png
  convert -seed 3 -size $size plasma:fractal -colors 64 PNG8:graphic_palette_$size.png
  convert -size $size xc:none -fill '#3366cc80' -draw "rectangle 10,10 200,120" PNG32:graphic_alpha_$size.png
done
# WebP as the web serves it: lossy photographs, lossless graphics, lossless
# with alpha.
rm -f ./*.webp
for size in 300x250 640x480 1024x768 1600x1200; do
  convert -seed 3 -size $size plasma:fractal -blur 0x1 -quality 80 photo_$size.webp
  convert graphic_$size.png -define webp:lossless=true graphic_$size.webp
  convert graphic_alpha_$size.png -define webp:lossless=true graphic_alpha_$size.webp
  convert -seed 3 -size $size plasma:fractal -blur 0x1 \( +clone -threshold 101% -fill white \
      -draw "circle 150,120 150,10" \) -alpha off -compose copy_opacity -composite -quality 80 photo_alpha_$size.webp
done
ls ./*.jpg ./*.png ./*.webp | sed 's|^\./||' > libraries.txt
