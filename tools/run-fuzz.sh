#!/usr/bin/env bash
# Runs the codec fuzz targets one after another (the machine's other cores
# belong to builds), sharing SECONDS (default 300) among them. Each target
# first replays its seeds and regressions once, whole, then grows its working
# corpus from them with inputs bounded as fuzz/targets.txt says. Prints per
# target its executions per second and what it found; exits non-zero when
# any target crashed, leaked, failed a check, or ran out of time or memory.
#   tools/run-fuzz.sh [SECONDS] [DIR] [TARGET...]
#   tools/run-fuzz.sh --per-target SECONDS [DIR] [TARGET...]
# DIR holds the built targets (default build/host/fuzz); no TARGET means all.
# Logs go to DIR/logs, findings to DIR/artifacts/TARGET.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
per_target=
if [ "${1:-}" = --per-target ]; then
  per_target=${2:?--per-target needs seconds}
  shift 2
  dir=${1:-$root/build/host/fuzz}
  shift $(( $# < 1 ? $# : 1 ))
else
  seconds=${1:-300}
  dir=${2:-$root/build/host/fuzz}
  shift $(( $# < 2 ? $# : 2 ))
fi

declare -A max_len
names=()
while read -r name len _; do
  case $name in '' | '#'*) continue ;; esac
  max_len[$name]=$len
  names+=("$name")
done < "$root/fuzz/targets.txt"
[ $# -gt 0 ] && names=("$@")
for name in "${names[@]}"; do
  [ -n "${max_len[$name]:-}" ] || { echo "run-fuzz: no target $name in fuzz/targets.txt" >&2; exit 1; }
  [ -x "$dir/${name}_fuzzer" ] || { echo "run-fuzz: $dir/${name}_fuzzer not built" >&2; exit 1; }
done
[ -n "$per_target" ] && seconds=$(( per_target * ${#names[@]} ))

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
limits=(-timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=512)
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# What a failed run found: libFuzzer's or a sanitizer's first error line.
finding() {
  grep -m1 -oE 'ERROR: (libFuzzer|AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer): [a-z-]+|runtime error: .{0,60}' "$1" \
    || echo "exit $2"
}

mkdir -p "$dir/logs"
echo "run-fuzz: ${#names[@]} targets in ${seconds}s, one at a time"
printf '%-9s %7s %6s %10s %8s %7s  %s\n' target max_len secs units execs/s corpus found
deadline=$(( $(now_ms) + seconds * 1000 ))
failed=0
for i in "${!names[@]}"; do
  name=${names[$i]}
  fuzzer=$dir/${name}_fuzzer seeds=$dir/seeds-by-target/$name
  work=$dir/corpus/$name artifacts=$dir/artifacts/$name log=$dir/logs/$name.log
  mkdir -p "$seeds" "$work" "$artifacts"
  start=$(now_ms)
  share=$(( (deadline - start) / (${#names[@]} - i) ))
  # The seeds whole, without the bound of the fuzzing below.
  "$fuzzer" "${limits[@]}" -artifact_prefix="$artifacts/" -runs=0 "$seeds" > "$dir/logs/$name.replay.log" 2>&1
  rc=$?
  if [ $rc -ne 0 ]; then
    printf '%-9s %7s %6s %10s %8s %7s  %s (replaying %s)\n' "$name" "${max_len[$name]}" - - - - \
      "$(finding "$dir/logs/$name.replay.log" $rc)" "$dir/logs/$name.replay.log"
    failed=1
    continue
  fi
  fuzz_s=$(( (share - ($(now_ms) - start)) / 1000 ))
  [ $fuzz_s -ge 1 ] || fuzz_s=1
  begin=$(now_ms)
  "$fuzzer" "${limits[@]}" -artifact_prefix="$artifacts/" -max_len="${max_len[$name]}" \
    -max_total_time=$fuzz_s -print_final_stats=1 "$work" "$seeds" > "$log" 2>&1
  rc=$?
  ms=$(( $(now_ms) - begin ))
  units=$(awk '/^stat::number_of_executed_units/ {print $2}' "$log")
  units=${units:-0}
  found=none
  if [ $rc -ne 0 ]; then
    found="$(finding "$log" $rc) ($(grep -m1 -oE 'Test unit written to [^ ]+' "$log" | cut -d' ' -f5))"
    failed=1
  fi
  printf '%-9s %7s %6s %10s %8s %7s  %s\n' "$name" "${max_len[$name]}" $(( (ms + 500) / 1000 )) "$units" \
    $(( units * 1000 / (ms > 0 ? ms : 1) )) "$(ls "$work" | wc -l)" "$found"
done
exit $failed
