#!/usr/bin/env bash
# unionbound-sharp's row of unionbound's bounds on rare events: generated
# independent, common-shock and Gaussian-threshold systems at n = 12 and 20,
# m = 1, 3, 5, every number multiplied by 10^-k (its decimal exponent
# shifted, exactly) for k = 3 .. 12, 30, 100, 300. On genuine data no row
# may be marked invalid (a bound of the method beyond a proven sharp one by
# more than rounding); prints one line per run with its exit status and the
# unionbound row ("(r)": across a proven bound by its last digits), and fails
# when a row is marked invalid, the table's note says unionbound's numbers
# contradict the sharp bounds, or a run does not exit 0.
#
#   bench/rare_sharp_rows.sh   (BUILD_DIR defaults to build/release; needs
#                               the companion, built with GMP and CLP)
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-build/release}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j 2 --target unionbound-sharp unionbound-generate \
  >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# shellcheck source=bench/scale_numbers.sh
. "$root/bench/scale_numbers.sh"

runs=0
bad=0
for family in independent shock gaussian; do
  for n in 12 20; do
    for m in 1 3 5; do
      "$build/unionbound-generate" "$family" "$n" "$m" 7 "$work/base.txt" \
        >/dev/null
      for k in 3 4 5 6 7 8 9 10 11 12 30 100 300; do
        scale "$work/base.txt" "$k" >"$work/prob.txt"
        status=0
        "$build/unionbound-sharp" "$n" "$m" "$work/prob.txt" \
          >"$work/out.txt" 2>"$work/err.txt" || status=$?
        row="$(grep '^unionbound ' "$work/out.txt" | head -1 || true)"
        runs=$((runs + 1))
        mark=""
        if [[ "$row" == *invalid* ]] || [ "$status" != 0 ] ||
          grep -q "^Note: unionbound's numbers contradict" "$work/out.txt"; then
          mark="  <-- FAULT"
          bad=$((bad + 1))
        fi
        echo "$family n=$n m=$m k=$k exit=$status | $row$mark"
      done
    done
  done
done
echo "$runs runs, $bad with an invalid mark or a non-zero exit"
[ "$bad" = 0 ]
