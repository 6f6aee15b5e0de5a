#!/usr/bin/env bash
# How the full program over atoms (unionbound-sharp --full) grows with n at
# m = 2 and m = 3 on genuine systems of five families: wall time, whether
# each bound is sharp (the optimum, proven), certified (every atom priced
# exactly, pricing converged) or partial, the bounds and the true union
# probability. Prints a Markdown table.
#
#   bench/full_reach.sh [TIME_LIMIT] [N...]   (BUILD_DIR defaults to
#                                              build/release, MS to "2 3")
#
# TIME_LIMIT (seconds, default 60) goes to --time-limit; N defaults to
# 8 12 16 20. Data that are inconsistent as typed are listed as refused.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-build/release}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
limit="${1:-60}"
shift || true
sizes="${*:-8 12 16 20}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target unionbound-sharp unionbound-generate \
  >/dev/null
sharp="$build/unionbound-sharp"
generate="$build/unionbound-generate"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
field() { awk -F, -v f="$2" '$5 == "full" { print $f }' "$1"; }

echo "| family | n | m | seconds | lower | upper | status | truth |"
echo "|---|---|---|---|---|---|---|---|"
for m in ${MS:-2 3}; do
  for n in $sizes; do
    for family in independent shock gaussian rare atoms; do
      dir="$work/$family-$n-$m"
      mkdir -p "$dir"
      truth="$("$generate" "$family" "$n" "$m" "$((1000 + n))" "$dir/prob.txt")"
      t0="$(now)"
      status=0
      (cd "$dir" && "$sharp" "$n" "$m" --full --time-limit "$limit" \
        --csv bounds.csv >out.txt 2>err.txt) || status=$?
      t1="$(now)"
      seconds="$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }')"
      if [ "$status" -ne 0 ]; then
        echo "| $family | $n | $m | $seconds | - | - | refused ($status) | $truth |"
        continue
      fi
      csv="$dir/bounds.csv"
      low="$(field "$csv" 7)"
      up="$(field "$csv" 11)"
      st="$(field "$csv" 8)/$(field "$csv" 12)"
      printf '| %s | %s | %s | %s | %.6f | %.6f | %s | %s |\n' \
        "$family" "$n" "$m" "$seconds" "$low" "$up" "$st" "$truth"
    done
  done
done
