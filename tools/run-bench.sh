#!/usr/bin/env bash
# Runs the codec, library, body, thumbnail and cache listing benchmarks on
# their generated corpus (the thumbnail one where libvips was found at
# configure time; the listing one on build/list-caches, real browser caches),
# built twice:
# optimised with clang (build/bench) and as the programs ship, gcc with the
# Windows tree's flags (build/bench-shipped); then the Image browser's scan of
# a Chromium cache against the WinINet walk (tools/run-scan-bench.sh).
#   tools/run-bench.sh [ROUNDS]   (default 7; 21 for the library benchmark)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for tree in bench bench-shipped; do
  dir=$root/build/$tree/bench
  [ -x "$dir/codec_bench" ] || { echo "run-bench: $dir/codec_bench not built (make bench)" >&2; exit 1; }
  echo "== build/$tree"
  "$dir/codec_bench" "$dir/corpus" "${1:-7}"
  # The overhead is a median of per-round ratios, which takes more rounds
  # than a best time to settle within a point.
  "$dir/library_bench" "$dir/corpus" "${1:-21}"
  "$dir/body_bench" "$dir/corpus/bodies" "${1:-21}"
  if [ -x "$dir/thumbnail_bench" ]; then
    "$dir/thumbnail_bench" "$dir/corpus/thumbnails" "${1:-7}"
  else
    echo "(thumbnail benchmark not built: libvips-dev missing when build/$tree was configured)"
  fi
  if [ -x "$dir/cache_list_bench" ]; then
    "$dir/cache_list_bench" "$root/build/list-caches" "${1:-5}"
  fi
done
# The Image browser's scan as it ships (the Windows build under Wine), once;
# a round scans 10,000 pictures four times, near a minute each.
"$root/tools/run-scan-bench.sh" "${1:-3}"
