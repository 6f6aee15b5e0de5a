#!/usr/bin/env bash
# Wall and processor time of the multivariate sharp bounds (t = 3 and 4,
# every partition the rules choose) on generated systems: three families
# (independent, shock, gaussian) at n = 20, 40, 100 with m = 3 and 4, and
# n = 300 with m = 3. One line per system: the bivariate splits the
# multivariate programs refine, then the multivariate bounds themselves,
# each as wall and cpu seconds, and the bounds. The exact optima of every
# program go to EXACT_DIR (default: a fresh temporary folder, named at the
# end), one file per system, to compare two builds with diff -r.
#
#   bench/multivariate_speed.sh [OUT.md]   (BUILD_DIR defaults to
#                                           build/release)
#
# Environment: CASES (default "20:3 20:4 40:3 40:4 100:3 100:4 300:3"),
# FAMILIES ("independent shock gaussian"), EXACT_DIR, LIMIT (600: seconds
# of wall time per system, past which it is stopped and shown as "> LIMIT"),
# SPEED_BIN (a multivariate_speed of another build, to time that one on the
# same systems). Seeds are fixed (1000 + n), so the systems are the same on
# every run.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-build/release}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
out="${1:-}"
cases="${CASES:-20:3 20:4 40:3 40:4 100:3 100:4 300:3}"
families="${FAMILIES:-independent shock gaussian}"
exact_dir="${EXACT_DIR:-$(mktemp -d)}"
limit="${LIMIT:-600}"
mkdir -p "$exact_dir"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DUNIONBOUND_BENCH=ON \
  >/dev/null
cmake --build "$build" -j 2 --target unionbound-generate multivariate_speed \
  >/dev/null

speed="${SPEED_BIN:-$build/bench/multivariate_speed}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
report="$work/report.md"
{
  echo "| family | n | m | bivariate wall | bivariate cpu | multivariate wall | multivariate cpu | bounds |"
  echo "| --- | --- | --- | --- | --- | --- | --- | --- |"
} >"$report"
for c in $cases; do
  n="${c%%:*}"
  m="${c##*:}"
  for f in $families; do
    file="$work/$f-$n-$m.txt"
    "$build/unionbound-generate" "$f" "$n" "$m" "$((1000 + n))" "$file" \
      >/dev/null
    log="$work/$f-$n-$m.log"
    if timeout "$limit" "$speed" "$file" "$n" "$m" "$exact_dir/$f-$n-$m.txt" \
      >"$log"; then
      read -r _ _ bw _ _ bc _ < <(grep '^bivariate' "$log")
      read -r _ _ mw _ _ mc _ < <(grep '^multivariate ' "$log")
      bounds="$(grep -E '^(widened )?\[' "$log" | sed 's/ over.*//')"
    else
      read -r _ _ bw _ _ bc _ < <(grep '^bivariate' "$log" || echo "- - - - - - -")
      mw="> $limit"
      mc="-"
      bounds="stopped"
    fi
    echo "| $f | $n | $m | $bw | $bc | $mw | $mc | $bounds |" >>"$report"
    rm -f "$file"
  done
done
{
  echo
  echo "Seconds; cpu is the processor time of the whole process (both"
  echo "threads). Exact optima in $exact_dir. Commands (each stopped"
  echo "after $limit s):"
  echo "unionbound-generate FAMILY N M \$((1000 + N)) FILE;"
  echo "$speed FILE N M EXACT_OUT."
} >>"$report"
if [ -n "$out" ]; then cp "$report" "$out"; fi
cat "$report"
