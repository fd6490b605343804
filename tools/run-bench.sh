#!/usr/bin/env bash
# Runs the codec benchmark of the optimised tree on its generated corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=$root/build/bench/bench/codec_bench
[ -x "$bench" ] || { echo "run-bench: $bench not built (make bench)" >&2; exit 1; }
"$bench" "$root/build/bench/bench/corpus" "${1:-7}"
