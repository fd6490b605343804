#!/usr/bin/env bash
# Runs the codec and library benchmarks on their generated corpus, built twice:
# optimised with clang (build/bench) and as the programs ship, gcc with the
# Windows tree's flags (build/bench-shipped).
#   tools/run-bench.sh [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for tree in bench bench-shipped; do
  dir=$root/build/$tree/bench
  [ -x "$dir/codec_bench" ] || { echo "run-bench: $dir/codec_bench not built (make bench)" >&2; exit 1; }
  echo "== build/$tree"
  "$dir/codec_bench" "$dir/corpus" "${1:-7}"
  "$dir/library_bench" "$dir/corpus" "${1:-7}"
done
