#!/usr/bin/env bash
# Runs the Image browser's scan benchmark (bench/scan/scan_rate_bench) under
# Wine in the project's prefix, on a private virtual display: its list is a
# shown window that draws its rows as they come, as on a user's screen.
#   tools/run-scan-bench.sh [ROUNDS]   (default 5)
# The caches are build/scan-caches (make-caches.py --pictures, made by the
# scan_bench target of the Windows tree).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source tools/wine-env.sh
source tools/display.sh
exe=$ZEMA_WIN_TREE/bench/scan/scan_rate_bench.exe
caches=$root/build/scan-caches
[ -x "$exe" ] || { echo "run-scan-bench: $exe not built (make bench)" >&2; exit 1; }
[ -f "$caches/manifest.tsv" ] || { echo "run-scan-bench: no caches in $caches (make bench)" >&2; exit 1; }
finish() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  zema_stop_display
}
trap finish EXIT
zema_make_prefix
zema_start_display
echo "== scan_rate_bench ($ZEMA_WIN_TREE, under Wine)"
wine "$exe" "Z:${caches//\//\\}" "${1:-5}" </dev/null
