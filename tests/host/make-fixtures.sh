#!/usr/bin/env bash
# Writes the reference pictures of the codec tests into $1: files of every
# format and variant, each with ImageMagick's own decode beside it as raw RGBA
# (FILE.rgba), and an index of name, width and height.
set -euo pipefail
out=$1
IM=/usr/bin/convert
mkdir -p "$out"
cd "$out"
rm -f index.txt

ref() {  # ref FILE: record ImageMagick's decode of FILE
  local f=$1
  $IM "$f[0]" -depth 8 rgba:"$f.rgba"
  echo "$f $($IM identify -format '%w %h' "$f[0]" 2>/dev/null || identify -format '%w %h' "$f[0]")" >> index.txt
}

photo="-size 61x37 plasma:fractal -seed 7"
grad="-size 53x29 gradient:navy-orange"

$IM -seed 7 -size 61x37 plasma:fractal -colors 200 gif_256.gif; ref gif_256.gif
$IM -seed 7 -size 61x37 plasma:fractal -colors 200 -interlace GIF gif_interlaced.gif; ref gif_interlaced.gif
$IM -seed 3 -size 40x30 plasma:fractal -colors 2 gif_1bit.gif; ref gif_1bit.gif
$IM -seed 3 -size 40x30 plasma:fractal -colors 12 gif_4bit.gif; ref gif_4bit.gif
$IM -size 45x33 xc:none -fill red -draw 'circle 22,16 22,4' -fill blue -draw 'rectangle 2,2 12,30' gif_transparent.gif; ref gif_transparent.gif
$IM -delay 10 -size 48x24 xc:yellow \( -size 48x24 xc:green -fill white -draw 'rectangle 5,5 20,20' \) \
    \( -size 48x24 xc:blue \) -loop 0 gif_anim.gif; ref gif_anim.gif

$IM -seed 7 -size 61x37 plasma:fractal bmp3:bmp_24.bmp; ref bmp_24.bmp
$IM -seed 7 -size 61x37 plasma:fractal -colors 180 -type palette bmp3:bmp_8.bmp; ref bmp_8.bmp
$IM -seed 7 -size 61x37 plasma:fractal -colors 180 -type palette -compress RLE bmp3:bmp_rle8.bmp; ref bmp_rle8.bmp
$IM -seed 7 -size 61x37 plasma:fractal -colors 14 -type palette bmp3:bmp_4.bmp; ref bmp_4.bmp
$IM -seed 7 -size 61x37 plasma:fractal -monochrome bmp3:bmp_1.bmp; ref bmp_1.bmp
$IM -seed 7 -size 61x37 plasma:fractal -define bmp:subtype=RGB555 bmp:bmp_16.bmp; ref bmp_16.bmp
$IM -seed 7 -size 61x37 plasma:fractal -define bmp:subtype=RGB565 bmp:bmp_565.bmp; ref bmp_565.bmp
$IM -seed 7 -size 61x37 plasma:fractal -alpha set -define bmp:subtype=ARGB8888 bmp:bmp_32.bmp; ref bmp_32.bmp
$IM -seed 7 -size 61x37 plasma:fractal bmp2:bmp_os2.bmp; ref bmp_os2.bmp
$IM -seed 7 -size 61x37 plasma:fractal -colors 100 -type palette bmp2:bmp_os2_8.bmp; ref bmp_os2_8.bmp

$IM -seed 5 -size 32x32 plasma:fractal -colors 14 ico_4.ico; ref ico_4.ico
$IM -seed 5 -size 48x48 plasma:fractal -colors 200 ico_8.ico; ref ico_8.ico
$IM -size 32x32 xc:none -fill red -draw 'circle 16,16 16,4' -colors 8 ico_masked.ico; ref ico_masked.ico
$IM -size 32x32 xc:none -fill '#3080c0' -draw 'circle 16,16 16,3' -fill '#ffee00' -draw 'rectangle 4,4 10,10' ico_32.ico; ref ico_32.ico

$IM -seed 7 -size 61x37 plasma:fractal -colors 200 pcx_8.pcx; ref pcx_8.pcx
$IM -seed 7 -size 61x37 plasma:fractal pcx_24.pcx; ref pcx_24.pcx
$IM -seed 7 -size 61x37 plasma:fractal -monochrome pcx_1.pcx; ref pcx_1.pcx
$IM -seed 7 -size 61x37 plasma:fractal -colors 12 -type palette pcx_4.pcx; ref pcx_4.pcx

$IM -seed 7 -size 61x37 plasma:fractal -monochrome wbmp_1.wbmp; ref wbmp_1.wbmp
$IM $grad -monochrome wbmp_grad.wbmp; ref wbmp_grad.wbmp
