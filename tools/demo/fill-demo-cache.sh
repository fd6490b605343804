#!/usr/bin/env bash
# Fills the project prefix's Internet cache with the demo set: the files are
# drawn on the host, then committed through WinINet as a browser would, so
# that Drill... finds their source URLs. Expects tools/wine-env.sh sourced.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
demo=$root/build/demo
cachefill=$root/${ZEMA_WIN_TREE:-build/win}/tools/demo/cachefill.exe

rm -rf "$demo"
python3 "$root/tools/demo/make_demo.py" "$demo"

# Wine's registry knows few "Content Type" values; the browsers look them up.
classes=(.gif=image/gif .jpg=image/jpeg .jpeg=image/jpeg .png=image/png .bmp=image/bmp
         .ico=image/x-icon .tif=image/tiff .tga=image/x-tga .pcx=image/x-pcx
         .wbmp=image/vnd.wap.wbmp .pgm=image/x-portable-graymap .ppm=image/x-portable-pixmap
         .ras=image/x-cmu-raster .jp2=image/jp2 .j2k=image/jp2 .webp=image/webp
         .txt=text/plain .htm=text/html .html=text/html .js=application/x-javascript
         .vbs=text/vbscript .pdf=application/pdf .wav=audio/wav .avi=video/avi
         .swf=application/x-shockwave-flash)
for entry in "${classes[@]}"; do
  wine reg add "HKCR\\${entry%%=*}" /v "Content Type" /d "${entry#*=}" /f >/dev/null 2>&1
done

wine "$cachefill" --clear >/dev/null 2>&1 || true
wine "$cachefill" "$(winepath -w "$demo/manifest.txt" 2>/dev/null)" > "$demo/committed.txt"
echo "demo cache: $(wc -l < "$demo/committed.txt") entries committed"
