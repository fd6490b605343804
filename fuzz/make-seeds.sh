#!/usr/bin/env bash
# The seed corpus: the test fixtures, truncated copies of them, and every file
# that once made a decoder fail badly (kept as hex text in regressions/).
set -euo pipefail
fixtures=$1 regressions=$2 out=$3
rm -rf "$out"; mkdir -p "$out"
while read -r name _; do
  cp "$fixtures/$name" "$out/$name"
  size=$(stat -c %s "$fixtures/$name")
  head -c $((size / 2)) "$fixtures/$name" > "$out/half_$name"
  head -c $((size * 9 / 10)) "$fixtures/$name" > "$out/most_$name"
done < "$fixtures/index.txt"
for hex in "$regressions"/*.hex; do
  [ -e "$hex" ] || continue
  grep -v '^#' "$hex" | xxd -r -p > "$out/regression_$(basename "$hex" .hex)"
done
(cd "$out" && ls | grep -v '^list.txt$' > list.txt)
