#!/usr/bin/env bash
# `make run`: fills the project prefix's Internet cache with the demo set,
# places a Chromium and a Firefox cache made by the real browsers where Edge
# and Firefox keep theirs, and starts the viewer under Wine. Without a usable
# display it runs on a virtual one, opens the Caches window, then the Image,
# Text, Other-files and Movies browsers in turn, saves screenshots and the
# pictures' contact sheet as Chromium shows it (written by ZEMA /export),
# prints their paths and ends the viewer again. The placed caches are taken away
# when the viewer ends.
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/wine-env.sh
source tools/display.sh
source tools/demo/browser-caches.sh

viewer=${ZEMA_WIN_TREE:-build/win}/ZEMA.exe
zema_make_prefix

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  trap zema_remove_browser_caches EXIT
  tools/demo/fill-demo-cache.sh
  zema_place_browser_caches || echo "run: going on without the browser caches" >&2
  "$WINELOADER" "$viewer"
  exit
fi

trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; zema_stop_display
      zema_remove_browser_caches' EXIT
zema_start_display || exit 1
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
tools/demo/fill-demo-cache.sh
zema_place_browser_caches || echo "run: going on without the browser caches" >&2

wine "$viewer" >/dev/null 2>&1 &
viewer_pid=$!
shots=build/screenshots
mkdir -p "$shots"
if ! timeout 60 xdotool search --sync --onlyvisible --name '^Zema$' >/dev/null; then
  echo "run: the Launcher window did not appear" >&2
  exit 1
fi
sleep 1
import -window root "$shots/run-launcher.png"
probe=${ZEMA_WIN_TREE:-build/win}/tests/e2e/probe.exe
# The Caches window once every row's entries are counted; Cancel keeps the
# choice as it was.
python3 tools/demo/click.py "$probe" Zema 1047
sleep 4
import -window root "$shots/run-caches.png"
python3 tools/demo/click.py "$probe" Caches 2
sleep 1
# Images, then OK on the Options dialog's defaults, as a user would click them.
python3 tools/demo/click.py "$probe" Zema 1000
python3 tools/demo/click.py "$probe" Options 1
sleep 8
import -window root "$shots/run-images.png"
python3 tools/demo/click.py "$probe" Images 2
sleep 2
# Images of the web's picture types only, in a window large enough for all
# of them: the demo set's from the Internet cache, then the gallery's from
# Edge's and from Firefox's cache.
python3 tools/demo/click.py "$probe" Zema 1000
python3 tools/demo/click.py "$probe" Options 1015
python3 tools/demo/click.py "$probe" Options 1016
xdotool key End shift+Home BackSpace
xdotool type --delay 30 'GIF;JPG;JPEG;PNG;WEBP'
python3 tools/demo/click.py "$probe" Options 1
wine "${ZEMA_WIN_TREE:-build/win}/tools/demo/window_size.exe" Images 1190 600
sleep 8
import -window root "$shots/run-images-caches.png"
python3 tools/demo/click.py "$probe" Images 2
sleep 2
# The Text browser searching for a text the demo's readme holds, its first row
# shown in the content pane.
python3 tools/demo/click.py "$probe" Zema 1007
python3 tools/demo/click.py "$probe" Options 1036
xdotool type --delay 30 shop
python3 tools/demo/click.py "$probe" Options 1
sleep 4
python3 tools/demo/click.py "$probe" "Text Files" row:0
sleep 1
import -window root "$shots/run-text.png"
python3 tools/demo/click.py "$probe" "Text Files" 2
sleep 2
# The Other-files browser listing the demo's PDF.
python3 tools/demo/click.py "$probe" Zema 1005
python3 tools/demo/click.py "$probe" Options 1045
xdotool key End shift+Home BackSpace
xdotool type --delay 30 '*.pdf'
python3 tools/demo/click.py "$probe" Options 1
sleep 4
import -window root "$shots/run-other.png"
python3 tools/demo/click.py "$probe" "Other Files" 2
sleep 2
# The Movies browser with its first row selected: the preview pane is
# navigated to the row's player page (Wine draws nothing in it here).
python3 tools/demo/click.py "$probe" Zema 1002
python3 tools/demo/click.py "$probe" Options 1
sleep 4
python3 tools/demo/click.py "$probe" Movies row:0
sleep 1
import -window root "$shots/run-movies.png"
# The Image browser's list of every found cache as an HTML contact sheet,
# written by the command line and shown by Chromium.
sheet=$shots/run-contact-sheet.html
sheet_profile=$(mktemp -d)
if wine "$viewer" /export images "$(winepath -w "$sheet" 2>/dev/null)" </dev/null >/dev/null 2>&1 &&
   chromium --headless --no-sandbox --disable-gpu --no-first-run --user-data-dir="$sheet_profile" \
     --window-size=1200,900 --hide-scrollbars --screenshot="$shots/run-contact-sheet.png" \
     "file://$PWD/$sheet" >/dev/null 2>&1; then
  echo "Contact sheet of the pictures, in Chromium: $PWD/$shots/run-contact-sheet.png"
else
  echo "run: the contact sheet could not be made" >&2
fi
rm -rf "$sheet_profile"
echo "The viewer runs on the virtual display $DISPLAY."
echo "Launcher window: $PWD/$shots/run-launcher.png"
echo "Caches window: $PWD/$shots/run-caches.png"
echo "Image browser on the demo cache: $PWD/$shots/run-images.png"
echo "Image browser, web pictures of all three caches: $PWD/$shots/run-images-caches.png"
echo "Text browser searching for \"shop\": $PWD/$shots/run-text.png"
echo "Other-files browser with *.pdf: $PWD/$shots/run-other.png"
echo "Movies browser with a row selected: $PWD/$shots/run-movies.png"
kill "$viewer_pid" 2>/dev/null
wait "$viewer_pid" 2>/dev/null
exit 0
