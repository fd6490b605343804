#!/usr/bin/env bash
# Runs every test: the host tree natively, then the Windows tree under Wine on a
# private virtual display. Everything started here is ended here.
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/wine-env.sh
source tools/display.sh

status=0
echo "== host tests"
ctest --test-dir build/host --output-on-failure -j 2 || status=1

finish() {
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  zema_stop_display
}
trap finish EXIT

zema_make_prefix
zema_start_display || exit 1
# A persistent server with its system processes already running: otherwise
# every test waits on a pipe that Wine's own processes hold open.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1

echo "== Windows tests under Wine, $ZEMA_WIN_TREE ($WINEARCH, display $DISPLAY)"
ctest --test-dir "$ZEMA_WIN_TREE" --output-on-failure || status=1
exit $status
