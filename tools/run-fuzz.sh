#!/usr/bin/env bash
# Runs the codec fuzz target for SECONDS (default 300), first over every seed
# and regression file once, then growing a working corpus from the seeds.
#   tools/run-fuzz.sh [SECONDS] [FUZZER] [SEEDS]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
fuzzer=${2:-$root/build/host/fuzz/codec_fuzzer}
seeds=${3:-$root/build/host/fuzz/seeds}
[ -x "$fuzzer" ] || { echo "run-fuzz: $fuzzer not built" >&2; exit 1; }
work=$(dirname "$seeds")/corpus
artifacts=$(dirname "$seeds")/artifacts
mkdir -p "$work" "$artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
limits=(-timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512 -artifact_prefix="$artifacts/")
echo "run-fuzz: replaying $(ls "$seeds" | wc -l) seeds"
"$fuzzer" "${limits[@]}" -runs=0 "$seeds" 2>&1 | tail -3 || exit 1
echo "run-fuzz: fuzzing for ${seconds}s (every decoder sees every input)"
start=$(date +%s)
"$fuzzer" "${limits[@]}" -max_total_time="$seconds" -print_final_stats=1 "$work" "$seeds" 2>&1 \
  | grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY|INFO: Running)' \
  ; rc=${PIPESTATUS[0]}
echo "run-fuzz: exit $rc after $(( $(date +%s) - start ))s; corpus $(ls "$work" | wc -l) files"
exit $rc
