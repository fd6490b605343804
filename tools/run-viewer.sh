#!/usr/bin/env bash
# `make run`: starts the viewer under Wine in the project's prefix. Without a
# usable display it runs on a virtual one, saves a screenshot of the Launcher
# window, prints its path and ends the viewer again.
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/wine-env.sh
source tools/display.sh

viewer=build/win/ZEMA.exe
zema_make_prefix

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec wine "$viewer"
fi

trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; zema_stop_display' EXIT
zema_start_display || exit 1
wine "$viewer" >/dev/null 2>&1 &
viewer_pid=$!
if ! window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Zema$' | head -n 1); then
  echo "run: the Launcher window did not appear" >&2
  exit 1
fi
sleep 1
mkdir -p build/screenshots
shot=build/screenshots/run-launcher.png
import -window root "$shot"
echo "The viewer runs on the virtual display $DISPLAY; its Launcher window is in $PWD/$shot"
kill "$viewer_pid" 2>/dev/null
wait "$viewer_pid" 2>/dev/null
exit 0
