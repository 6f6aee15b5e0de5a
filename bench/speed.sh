#!/usr/bin/env bash
# Whole-run wall time of unionbound-sharp beside unionbound's on the same
# generated file, for all l, and a check of both outputs (unionbound's best
# bounds must appear in unionbound-sharp's table, every sharp bound sharp).
#
#   bench/speed.sh [N:M ...]   (default 100:3 300:1; BUILD_DIR as quality.sh)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-build/release}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
cmake --build "$build" -j 2 --target unionbound unionbound-sharp \
  unionbound-generate >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }
best_of_3() {  # the fastest of three runs of "$@" in $work, in seconds
  local best=""
  for _ in 1 2 3; do
    local t0 t1
    t0="$(now)"; "$@" >/dev/null 2>&1 || true; t1="$(now)"
    best="$(awk -v a="$t0" -v b="$t1" -v c="$best" 'BEGIN { d = b - a; if (c == "" || d < c) c = d; printf "%.3f", c }')"
  done
  echo "$best"
}
echo "| n | m | unionbound (s) | unionbound-sharp (s) | ratio | outputs |"
echo "|---:|---:|---:|---:|---:|---|"
for nm in "${@:-100:3 300:1}"; do
  for pair in $nm; do
    n="${pair%%:*}"; m="${pair##*:}"
    "$build/unionbound-generate" independent "$n" "$m" 7 "$work/prob.txt" >/dev/null
    cd "$work"
    ub="$(best_of_3 sh -c "printf '%s\n%s\n\n' $n $m | '$build/unionbound'")"
    sh="$(best_of_3 "$build/unionbound-sharp" "$n" "$m")"
    printf '%s\n%s\n\n' "$n" "$m" | "$build/unionbound" >console.txt
    "$build/unionbound-sharp" "$n" "$m" --csv s.csv >sharp.txt
    low="$(awk '/Lower bound on the probability/ { getline; print; exit }' console.txt)"
    check="ok"
    awk -F, '$5 == "univariate" || $5 == "bivariate" || $5 == "bivariate_l" { if ($8 != "sharp" || $12 != "sharp") bad++ } END { exit bad > 0 }' s.csv || check="not all sharp"
    awk -F, -v x="$low" '$5 == "unionbound" { d = $7 - x; if (d < 0) d = -d; exit !(d < 1e-9 || $8 == "invalid") }' s.csv || check="unionbound differs"
    cd - >/dev/null
    echo "| $n | $m | $ub | $sh | $(awk -v a="$sh" -v b="$ub" 'BEGIN { printf "%.1f", a / b }') | $check |"
  done
done
