#!/usr/bin/env bash
# Sets whole runs of unionbound against a bare std::from_chars parse of the
# same prob.txt (bare_parse) and the project's own read floor (read_floor),
# measured side by side in one run: for every input the three programs (and
# the base program, if given) take turns REPEAT times and the fastest of
# each counts. Prints a markdown table of wall seconds, the ratio run /
# parse, peak memory and the limit of 8 bytes per probability plus 32 MB.
#
#   bench/run_vs_parse.sh [FAMILY:N:M ...]
#
# Without inputs: mixture at n = 100, 300, 600, 1000 with m = 3 and n = 60,
# 100 with m = 5. The inputs are generated into a temporary folder (removed
# at the end; the n = 1000 file takes 3.7 GB). BUILD (default build/bench)
# is a Release build with -DUNIONBOUND_BENCH=ON of the working tree; it is
# built first. BASE_BIN, if set, is a unionbound of an earlier revision that
# is run as well, with its ratio to the parse; it must give the same output.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$root/build/bench}"
repeat="${REPEAT:-3}"
inputs=("$@")
if [ ${#inputs[@]} -eq 0 ]; then
  inputs=(mixture:100:3 mixture:300:3 mixture:600:3 mixture:1000:3
    mixture:60:5 mixture:100:5)
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DUNIONBOUND_BENCH=ON \
  >/dev/null
cmake --build "$build" -j 2 --target unionbound unionbound-generate \
  bare_parse read_floor run_measured >/dev/null
measure="$build/bench/run_measured"
work="$(mktemp -d "${TMPDIR:-/tmp}/unionbound-parse-XXXXXX")"
trap 'rm -rf "$work"' EXIT

mask() { perl -0pe 's/(Running time: \n?)[0-9.]+/$1T/g'; }

# timed LABEL DIR CMD...: one run of CMD in DIR with the answers n, m on
# standard input; appends "wall cpu rss" to DIR/LABEL.times.
timed() {
  local label="$1" dir="$2"
  shift 2
  (cd "$dir" && printf '%s\n%s\n\n' "$n" "$m" |
    "$measure" "$label.measure" "$@" >"$label.out" 2>"$label.err") || true
  cat "$dir/$label.measure" >>"$dir/$label.times"
}

# fastest LABEL DIR: "wall cpu rss" of the fastest run.
fastest() { sort -g -k1,1 "$2/$1.times" | head -1; }

printf '| input | numbers | bare parse s | read floor s | run s (cpu) | run / parse |'
[ -n "${BASE_BIN:-}" ] && printf ' base run s | base / parse |'
printf ' peak MB | limit MB |\n|---|---|---|---|---|---|'
[ -n "${BASE_BIN:-}" ] && printf '%s' '---|---|'
printf '%s\n' '---|---|'
status=0
for input in "${inputs[@]}"; do
  IFS=: read -r family n m <<<"$input"
  dir="$work/$family-$n-$m"
  mkdir -p "$dir"
  "$build/unionbound-generate" "$family" "$n" "$m" 1 "$dir/prob.txt" >/dev/null
  numbers="$(wc -w <"$dir/prob.txt")"
  echo "measuring $family n=$n m=$m ($numbers numbers) ..." >&2
  for ((i = 0; i < repeat; i++)); do
    timed parse "$dir" "$build/bench/bare_parse" "$n" "$m"
    timed floor "$dir" "$build/bench/read_floor" "$n" "$m"
    timed run "$dir" "$build/unionbound"
    if [ -n "${BASE_BIN:-}" ]; then timed base "$dir" "$BASE_BIN"; fi
  done
  read -r pw _ _ <<<"$(fastest parse "$dir")"
  read -r fw _ _ <<<"$(fastest floor "$dir")"
  read -r rw rc rr <<<"$(fastest run "$dir")"
  base=""
  if [ -n "${BASE_BIN:-}" ]; then
    read -r bw _ _ <<<"$(fastest base "$dir")"
    base="$bw"
    if ! cmp -s <(mask <"$dir/base.out") <(mask <"$dir/run.out") ||
      ! cmp -s "$dir/base.err" "$dir/run.err"; then
      echo "$input: the base program's output differs" >&2
      status=1
    fi
  fi
  awk -v i="$family n=$n m=$m" -v k="$numbers" -v pw="$pw" -v fw="$fw" \
    -v rw="$rw" -v rc="$rc" -v rr="$rr" -v bw="$base" 'BEGIN {
      printf "| %s | %d | %.3f | %.3f | %.3f (%.3f) | %.2fx |", i, k, pw, fw,
        rw, rc, rw / pw
      if (bw != "") printf " %.3f | %.2fx |", bw, bw / pw
      printf " %.1f | %.1f |\n", rr / 1024, (8 * k) / 1048576 + 32 }'
  rm -f "$dir/prob.txt"
done
exit "$status"
