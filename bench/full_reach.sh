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
# With BASE_SHARP=/path/to/an/earlier/unionbound-sharp each input is also
# run by that build, right before, and its seconds, bounds and status are
# added. FAMILIES (default "independent shock gaussian rare atoms") picks
# the generated families.
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

base="${BASE_SHARP:-}"
if [ -n "$base" ]; then
  echo "| family | n | m | seconds | lower | upper | status | truth | base seconds | base lower | base upper | base status |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
else
  echo "| family | n | m | seconds | lower | upper | status | truth |"
  echo "|---|---|---|---|---|---|---|---|"
fi

# Runs SHARP on the input in DIR; sets seconds, status and csv.
run_full() {
  local sharp_bin="$1" dir="$2" t0 t1
  t0="$(now)"
  status=0
  (cd "$dir" && "$sharp_bin" "$n" "$m" --full --time-limit "$limit" \
    --csv bounds.csv >out.txt 2>err.txt) || status=$?
  t1="$(now)"
  seconds="$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }')"
  csv="$dir/bounds.csv"
}
for m in ${MS:-2 3}; do
  for n in $sizes; do
    for family in ${FAMILIES:-independent shock gaussian rare atoms}; do
      dir="$work/$family-$n-$m"
      mkdir -p "$dir"
      truth="$("$generate" "$family" "$n" "$m" "$((1000 + n))" \
        "$dir/prob.txt" | awk '{ print $NF }')"
      extra=""
      if [ -n "$base" ]; then
        mkdir -p "$dir/base"
        cp "$dir/prob.txt" "$dir/base/"
        run_full "$base" "$dir/base"
        if [ "$status" -ne 0 ]; then
          extra=" $seconds | - | - | refused ($status) |"
        else
          extra="$(printf ' %s | %.6f | %.6f | %s |' "$seconds" \
            "$(field "$csv" 7)" "$(field "$csv" 11)" \
            "$(field "$csv" 8)/$(field "$csv" 12)")"
        fi
      fi
      run_full "$sharp" "$dir"
      if [ "$status" -ne 0 ]; then
        echo "| $family | $n | $m | $seconds | - | - | refused ($status) | $truth |$extra"
        continue
      fi
      low="$(field "$csv" 7)"
      up="$(field "$csv" 11)"
      st="$(field "$csv" 8)/$(field "$csv" 12)"
      printf '| %s | %s | %s | %s | %.6f | %.6f | %s | %s |%s\n' \
        "$family" "$n" "$m" "$seconds" "$low" "$up" "$st" "$truth" "$extra"
    done
  done
done
