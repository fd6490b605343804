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
$IM -seed 7 -size 120x600 plasma:fractal -monochrome wbmp_tall.wbmp; ref wbmp_tall.wbmp  # sides of two bytes

# The formats of the image libraries. Alpha is all or nothing where a decoder
# composites or premultiplies, so that the visible pixels stay comparable.
alpha="-size 45x33 xc:none +antialias -fill '#c03020' -draw 'circle 22,16 22,3' -fill '#2060e0' -draw 'rectangle 2,2 12,20'"
mk() { eval "$IM $1"; ref "$2"; }

mk "-seed 7 -size 61x37 plasma:fractal -quality 92 jpg_colour.jpg" jpg_colour.jpg
mk "-seed 7 -size 61x37 plasma:fractal -colorspace Gray -quality 92 jpg_grey.jpg" jpg_grey.jpg
mk "-seed 7 -size 61x37 plasma:fractal -colorspace CMYK -quality 92 jpg_cmyk.jpg" jpg_cmyk.jpg
mk "-seed 7 -size 61x37 plasma:fractal -interlace JPEG -quality 92 jpg_progressive.jpg" jpg_progressive.jpg
mk "-seed 7 -size 64x48 plasma:fractal -sampling-factor 2x2 -density 72x72 -units PixelsPerCentimeter jpg_density.jpg" jpg_density.jpg
# A photo large enough for the thumbnail's shrink on load (1/8 of it still
# covers a 120-pixel tile's edge once, 1/4 twice).
mk "-seed 9 -size 1000x750 plasma:fractal -blur 0x1 -quality 88 jpg_photo.jpg" jpg_photo.jpg

for d in 1 2 4 8 16; do
  mk "-seed 7 -size 61x37 plasma:fractal -colorspace Gray -define png:color-type=0 -define png:bit-depth=$d png_grey$d.png" png_grey$d.png
done
for d in 1 2 4 8; do
  n=$((1 << d)); [ $n -gt 200 ] && n=200
  mk "-seed 7 -size 61x37 plasma:fractal -colors $n -define png:color-type=3 -define png:bit-depth=$d png_palette$d.png" png_palette$d.png
done
mk "-seed 7 -size 61x37 plasma:fractal PNG24:png_rgb8.png" png_rgb8.png
mk "-seed 7 -size 61x37 plasma:fractal -depth 16 PNG48:png_rgb16.png" png_rgb16.png
mk "$alpha PNG32:png_rgba8.png" png_rgba8.png
mk "$alpha -interlace PNG PNG32:png_rgba8_interlaced.png" png_rgba8_interlaced.png
mk "$alpha -depth 16 PNG64:png_rgba16.png" png_rgba16.png
mk "$alpha -colorspace Gray -define png:color-type=4 -define png:bit-depth=8 png_greyalpha8.png" png_greyalpha8.png
mk "$alpha -colorspace Gray -define png:color-type=4 -define png:bit-depth=8 -define png:exclude-chunk=bKGD png_greyalpha8_nobkgd.png" png_greyalpha8_nobkgd.png
mk "$alpha -colorspace Gray -define png:color-type=4 -define png:bit-depth=16 png_greyalpha16.png" png_greyalpha16.png
mk "$alpha -colors 16 PNG8:png_palette_trns.png" png_palette_trns.png
mk "-seed 7 -size 61x37 plasma:fractal -interlace PNG PNG24:png_interlaced.png" png_interlaced.png
mk "-seed 7 -size 61x37 plasma:fractal -colors 100 -interlace PNG PNG8:png_interlaced8.png" png_interlaced8.png
mk "$alpha -background '#80ff80' -define png:bit-depth=8 -define png:color-type=2 png_rgb_trns_bkgd.png" png_rgb_trns_bkgd.png
mk "-seed 7 -size 61x37 plasma:fractal -density 300 -units PixelsPerInch PNG24:png_phys.png" png_phys.png

mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -define tiff:rows-per-strip=5 -compress LZW tif_rgb_strips.tif" tif_rgb_strips.tif
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -define tiff:tile-geometry=16x16 -compress Zip tif_rgb_tiles.tif" tif_rgb_tiles.tif
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -colors 200 -type palette -define tiff:rows-per-strip=7 tif_palette8.tif" tif_palette8.tif
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -colors 14 -type palette -depth 4 tif_palette4.tif" tif_palette4.tif
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -colorspace Gray -depth 8 tif_grey8.tif" tif_grey8.tif
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -colorspace Gray -depth 16 tif_grey16.tif" tif_grey16.tif
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -colorspace Gray -depth 8 -define tiff:tile-geometry=16x16 tif_grey_tiles.tif" tif_grey_tiles.tif
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -monochrome -compress Group4 tif_bilevel.tif" tif_bilevel.tif
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -monochrome -compress None tif_bilevel_plain.tif" tif_bilevel_plain.tif
mk "$alpha -compress LZW tif_rgba.tif" tif_rgba.tif
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -colorspace CMYK -depth 8 tif_cmyk.tif" tif_cmyk.tif
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 \( -size 61x37 xc:teal \) tif_pages.tif" tif_pages.tif

mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -quality 100 j2k_rgb.j2k" j2k_rgb.j2k
mk "-seed 7 -size 61x37 plasma:fractal -colorspace Gray -depth 8 -quality 100 j2k_grey.j2k" j2k_grey.j2k
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -quality 100 jp2_rgb.jp2" jp2_rgb.jp2
mk "-seed 7 -size 61x37 plasma:fractal -colorspace Gray -depth 8 -quality 100 jp2_grey.jp2" jp2_grey.jp2
# Samples deeper than 8 bits (blurred, so that their low bytes carry
# detail of their own) and a fourth component as alpha.
mk "-seed 7 -size 61x37 plasma:fractal -blur 0x2 -colorspace Gray -depth 16 -quality 100 jp2_grey16.jp2" jp2_grey16.jp2
mk "-seed 7 -size 61x37 plasma:fractal -blur 0x2 -depth 16 -quality 100 jp2_rgb16.jp2" jp2_rgb16.jp2
mk "$alpha -depth 8 -quality 100 jp2_rgba.jp2" jp2_rgba.jp2
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -quality 100 j2k:jpc_rgb.jpc" jpc_rgb.jpc
mk "-seed 7 -size 61x37 plasma:fractal -colorspace Gray -depth 8 -quality 100 j2k:j2c_grey.j2c" j2c_grey.j2c

mk "-seed 7 -size 61x37 plasma:fractal -monochrome jbg_1.jbg" jbg_1.jbg
mk "$grad -monochrome jbg_grad.jbg" jbg_grad.jbg

mk "-seed 7 -size 61x37 plasma:fractal -colorspace Gray -depth 8 pgx_8.pgx" pgx_8.pgx
mk "-seed 7 -size 61x37 plasma:fractal -monochrome pbm:pnm_bitmap.pnm" pnm_bitmap.pnm
mk "-seed 7 -size 61x37 plasma:fractal -monochrome -compress none pbm:pnm_bitmap_plain.pnm" pnm_bitmap_plain.pnm
mk "-seed 7 -size 61x37 plasma:fractal -colorspace Gray -depth 8 pnm_grey.pgm" pnm_grey.pgm
mk "-seed 7 -size 61x37 plasma:fractal -colorspace Gray -depth 16 pnm_grey16.pgm" pnm_grey16.pgm
mk "-seed 7 -size 61x37 plasma:fractal -colorspace Gray -depth 8 -compress none pnm_grey_plain.pgm" pnm_grey_plain.pgm
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 pnm_rgb.ppm" pnm_rgb.ppm
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 -compress none pnm_rgb_plain.ppm" pnm_rgb_plain.ppm
mk "-seed 7 -size 61x37 plasma:fractal -depth 8 ppm:pnm_any.pnm" pnm_any.pnm
mk "-seed 7 -size 61x37 plasma:fractal ras_24.ras" ras_24.ras
mk "-seed 7 -size 61x37 plasma:fractal -colors 100 -type palette ras_8.ras" ras_8.ras
mk "-seed 7 -size 61x37 plasma:fractal -monochrome ras_1.ras" ras_1.ras
mk "-seed 7 -size 61x37 plasma:fractal -colorspace Gray ras_grey.ras" ras_grey.ras

webp_opt="-define webp:method=4"
mk "-seed 7 -size 61x37 plasma:fractal -quality 80 $webp_opt webp_lossy.webp" webp_lossy.webp
mk "-seed 7 -size 61x37 plasma:fractal -define webp:lossless=true $webp_opt webp_lossless.webp" webp_lossless.webp
mk "$alpha -define webp:lossless=true $webp_opt webp_alpha.webp" webp_alpha.webp
mk "$alpha -quality 80 $webp_opt webp_lossy_alpha.webp" webp_lossy_alpha.webp
# Lossless frames, so that the composed canvas compares exactly: the encoder
# keeps only the changed rectangle of the later frames, drawn over the first.
mk "-delay 10 -size 48x24 xc:yellow \( -size 48x24 xc:yellow -fill blue -draw 'rectangle 5,5 20,20' \) \
    \( -size 48x24 xc:yellow -fill red -draw 'rectangle 30,2 40,20' \) -loop 0 -define webp:lossless=true webp_anim.webp" webp_anim.webp
$IM webp_anim.webp -coalesce -delete 0,2 -depth 8 rgba:webp_anim.webp.frame1.rgba
