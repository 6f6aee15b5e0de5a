#!/usr/bin/env bash
# The full program over atoms on rare events: a probability file times
# 10^-k (every number shifted exactly in its decimal exponent) for each k,
# run with --full. Prints a Markdown table of the wall time, the full
# bounds with their statuses (sharp, certified, partial), the best
# bivariate bounds and the exit status; the bounds should be the unscaled
# ones times 10^-k with the same statuses.
#
#   bench/full_scale.sh [FILE N M] [K...]   (BUILD_DIR defaults to
#                                            build/release)
#
# FILE N M defaults to examples/prob.txt 12 3, K to 0 5 9 12 30 200 300.
# With BASE_SHARP=/path/to/an/earlier/unionbound-sharp each input is also
# run by that build, right after, and its seconds and statuses are added.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-build/release}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
file="$root/examples/prob.txt"
n=12
m=3
if [ $# -ge 3 ] && [ -f "$1" ]; then
  file="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
  n="$2"
  m="$3"
  shift 3
fi
scales="${*:-0 5 9 12 30 200 300}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target unionbound-sharp >/dev/null
sharp="$build/unionbound-sharp"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench/scale_numbers.sh
. "$root/bench/scale_numbers.sh"

# run BINARY INPUT: "seconds|status|full row|bivariate row"
run() {
  local start end status=0
  start=$(date +%s.%N)
  "$1" "$n" "$m" "$2" --full >"$work/out.txt" 2>"$work/err.txt" || status=$?
  end=$(date +%s.%N)
  printf '%.2f|%s|%s|%s\n' "$(echo "$end - $start" | bc)" "$status" \
    "$(grep '^full (atoms)' "$work/out.txt" | awk '{print $3, $4, $5, $6}')" \
    "$(grep '^bivariate sharp' "$work/out.txt" | awk '{print $3, $5}')"
}

header="| k | seconds | exit | full lower | status | full upper | status | bivariate lower, upper |"
rule="|---|---|---|---|---|---|---|---|"
if [ -n "${BASE_SHARP:-}" ]; then
  header="$header base seconds | base statuses |"
  rule="$rule---|---|"
fi
echo "$header"
echo "$rule"
for k in $scales; do
  scale "$file" "$k" >"$work/in.txt"
  IFS='|' read -r seconds status full bivariate <<<"$(run "$sharp" "$work/in.txt")"
  read -r lower lowerStatus upper upperStatus <<<"${full:-- - - -}"
  row="| $k | $seconds | $status | $lower | $lowerStatus | $upper | $upperStatus | $bivariate |"
  if [ -n "${BASE_SHARP:-}" ]; then
    IFS='|' read -r bs _ bfull _ <<<"$(run "$BASE_SHARP" "$work/in.txt")"
    read -r _ bl _ bu <<<"${bfull:-- - - -}"
    row="$row $bs | $bl/$bu |"
  fi
  echo "$row"
done
