#!/usr/bin/env bash
# imgdump on every fixture: the facts line, the written BMP decoding back to
# the same facts, and the error line with exit status 1 for a junk file.
set -uo pipefail
imgdump=$1 fixtures=$2 tmp=$3
status=0
while read -r name width height; do
  line=$("$imgdump" "$fixtures/$name" "$tmp/$name.bmp") || { echo "FAIL $name: $line"; status=1; continue; }
  [[ $line =~ ^type=[0-9]+\ width=$width\ height=$height\ bpp=(1|4|8|24)\ colors=[0-9]+\ transparent=-?[0-9]+\ frames=[0-9]+$ ]] \
    || { echo "FAIL $name: $line"; status=1; continue; }
  back=$("$imgdump" --type 1 "$tmp/$name.bmp") || { echo "FAIL $name: written BMP: $back"; status=1; continue; }
  [[ $back == "type=1 width=$width height=$height "* ]] || { echo "FAIL $name: written BMP: $back"; status=1; }
done < "$fixtures/index.txt"
head -c 100 /dev/zero | tr '\0' 'x' > "$tmp/junk.dat"
out=$("$imgdump" "$tmp/junk.dat"); rc=$?
[[ $rc == 1 && $out == "error: Decode: Unknown or wrong format" ]] || { echo "FAIL junk: $rc $out"; status=1; }
out=$("$imgdump" --frame 5 "$fixtures/gif_anim.gif"); rc=$?
[[ $rc == 1 && $out == "error: " ]] || { echo "FAIL frame 5: $rc $out"; status=1; }
out=$("$imgdump" --frame 2 "$fixtures/gif_anim.gif") && [[ $out == *"frames=3" ]] || { echo "FAIL frame 2: $out"; status=1; }
exit $status
