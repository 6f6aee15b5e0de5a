#!/usr/bin/env bash
# Runs unionbound of an earlier revision and of the working tree side by side
# on the same large genuine inputs, checks that both give the same output
# byte for byte (running-time values masked) and prints, per input, the time
# of each, the ratio and the peak memory of each; for the largest input also
# the time the working tree needs just to read prob.txt (the floor).
#
#   bench/compare_revisions.sh BASE_REV [FAMILY:N:M[:K] ...]
#
# Without inputs it uses the four of bench/README.md:
#   independent:100:3  mixture:60:5  mixture:22:11  mixture:30:7
# With K every number of the generated file is multiplied by 10^-K (its
# decimal exponent shifted, exactly): rare events. Where a revision changed
# the bounds of rare events their outputs may differ; such an input is
# marked "differs (rare)" and does not make the script fail.
# BASE_REV is built from `git archive` in a temporary folder, the working
# tree (with uncommitted changes) in build/compare (or HEAD_BUILD); both
# Release, -j2.
# REPEAT (default 3) runs of each program are made and the fastest counts;
# a base run that takes longer than 20 s is made once. Times are wall
# seconds; "cpu" is user + system time of the process.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: bench/compare_revisions.sh BASE_REV [FAMILY:N:M ...]" >&2
  exit 1
fi
base_rev="$1"
shift
inputs=("$@")
if [ ${#inputs[@]} -eq 0 ]; then
  inputs=(independent:100:3 mixture:60:5 mixture:22:11 mixture:30:7)
fi
repeat="${REPEAT:-3}"

root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/unionbound-compare-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench/scale_numbers.sh
. "$root/bench/scale_numbers.sh"

echo "building $base_rev and the working tree ..." >&2
mkdir -p "$work/base"
git -C "$root" archive "$base_rev" | tar -x -C "$work/base"
cmake -S "$work/base" -B "$work/base/build" -DCMAKE_BUILD_TYPE=Release \
  -DUNIONBOUND_TESTS=OFF >/dev/null
cmake --build "$work/base/build" -j 2 --target unionbound >/dev/null
head_build="${HEAD_BUILD:-$root/build/compare}"
cmake -S "$root" -B "$head_build" -DCMAKE_BUILD_TYPE=Release \
  -DUNIONBOUND_TESTS=OFF -DUNIONBOUND_BENCH=ON >/dev/null
cmake --build "$head_build" -j 2 --target unionbound read_floor \
  unionbound-generate run_measured >/dev/null
base_bin="$work/base/build/unionbound"
head_bin="$head_build/unionbound"
measure="$head_build/bench/run_measured"

mask() { perl -0pe 's/(Running time: \n?)[0-9.]+/$1T/g'; }

# run_once BINARY DIR N M LABEL: one run in DIR; leaves LABEL.out, LABEL.err,
# LABEL.result, LABEL.status and LABEL.measure (wall cpu rss) in DIR.
run_once() {
  local binary="$1" dir="$2" n="$3" m="$4" label="$5" status=0
  rm -f "$dir/result.txt" "$dir/$label.result"
  (cd "$dir" && printf '%s\n%s\n\n' "$n" "$m" |
    "$measure" "$label.measure" "$binary" >"$label.out" 2>"$label.err") ||
    status=$?
  echo "$status" >"$dir/$label.status"
  if [ -f "$dir/result.txt" ]; then mv "$dir/result.txt" "$dir/$label.result"; fi
}

# best_of BINARY DIR N M LABEL: the fastest of REPEAT runs (one when a run
# takes more than 20 s); prints "wall cpu rss".
best_of() {
  local binary="$1" dir="$2" n="$3" m="$4" label="$5" best="" i
  for ((i = 0; i < repeat; i++)); do
    run_once "$binary" "$dir" "$n" "$m" "$label"
    local this
    this="$(cat "$dir/$label.measure")"
    if [ -z "$best" ] || awk -v a="$this" -v b="$best" \
      'BEGIN { split(a, x, " "); split(b, y, " "); exit !(x[1] < y[1]) }'; then
      best="$this"
    fi
    if awk -v a="$this" 'BEGIN { split(a, x, " "); exit !(x[1] > 20) }'; then
      break
    fi
  done
  echo "$best"
}

same_output() {
  local dir="$1"
  local report
  for report in base.result head.result; do touch "$dir/$report"; done
  cmp -s <(mask <"$dir/base.out") <(mask <"$dir/head.out") &&
    cmp -s <(mask <"$dir/base.result") <(mask <"$dir/head.result") &&
    cmp -s "$dir/base.err" "$dir/head.err" &&
    cmp -s "$dir/base.status" "$dir/head.status"
}

printf '| input | numbers | base s (cpu) | head s (cpu) | ratio wall (cpu) | base peak MB | head peak MB | output |\n'
printf '|---|---|---|---|---|---|---|---|\n'
all_same=1
for input in "${inputs[@]}"; do
  IFS=: read -r family n m k <<<"$input"
  dir="$work/$family-$n-$m-${k:-0}"
  mkdir -p "$dir"
  "$head_build/unionbound-generate" "$family" "$n" "$m" 1 "$dir/prob.txt" \
    >/dev/null
  label="$family n=$n m=$m"
  if [ -n "${k:-}" ]; then
    scale "$dir/prob.txt" "$k" >"$dir/scaled.txt"
    mv "$dir/scaled.txt" "$dir/prob.txt"
    label="$label x 1e-$k"
  fi
  numbers="$(wc -w <"$dir/prob.txt")"
  echo "running $label ($numbers numbers) ..." >&2
  read -r bw bc br <<<"$(best_of "$base_bin" "$dir" "$n" "$m" base)"
  read -r hw hc hr <<<"$(best_of "$head_bin" "$dir" "$n" "$m" head)"
  verdict=identical
  if ! same_output "$dir"; then
    if [ -n "${k:-}" ]; then
      verdict="differs (rare)"
    else
      verdict=DIFFERENT
      all_same=0
    fi
  fi
  awk -v i="$label" -v k="$numbers" -v bw="$bw" -v bc="$bc" \
    -v br="$br" -v hw="$hw" -v hc="$hc" -v hr="$hr" -v v="$verdict" 'BEGIN {
      printf "| %s | %d | %.3f (%.3f) | %.3f (%.3f) | %.2fx (%.2fx) | %.1f | %.1f | %s |\n",
        i, k, bw, bc, hw, hc, bw / hw, bc / (hc > 0 ? hc : 0.001),
        br / 1024, hr / 1024, v }'

  if { [ "$family:$n:$m" = "mixture:60:5" ] && [ -z "${k:-}" ]; } ||
    [ "${FLOOR_ALL:-0}" = 1 ]; then
    floor=""
    for ((i = 0; i < repeat; i++)); do
      (cd "$dir" && "$measure" floor.measure "$head_build/bench/read_floor" \
        "$n" "$m" >/dev/null)
      this="$(cat "$dir/floor.measure")"
      if [ -z "$floor" ] || awk -v a="$this" -v b="$floor" \
        'BEGIN { split(a, x, " "); split(b, y, " "); exit !(x[1] < y[1]) }'; then
        floor="$this"
      fi
    done
    read -r fw fc fr <<<"$floor"
    awk -v i="$family n=$n m=$m" -v k="$numbers" -v fw="$fw" -v fc="$fc" \
      -v hw="$hw" -v hc="$hc" -v hr="$hr" 'BEGIN {
        budget = (8 * k) / 1048576 + 32
        printf "|   floor: read only | | | %.3f (%.3f) | run / floor %.2fx (%.2fx) | | limit %.1f | peak %s limit |\n",
          fw, fc, hw / fw, hc / fc, budget, (hr / 1024 <= budget ? "within" : "OVER") }'
  fi
done
if [ "$all_same" != 1 ]; then
  echo "outputs differ" >&2
  exit 1
fi
