#!/usr/bin/env bash
# Peak resident memory of unionbound and unionbound-sharp on the same
# generated probability file, and their ratio (the companion is meant to
# stay within 3x). With BASE_SHARP=path, an earlier unionbound-sharp is run
# on the same file too, and its output is compared with the new one's
# (running times masked). BASE_LIMIT_KB (default 8000000) caps the earlier
# build's address space, so that an old build that needs many gigabytes
# ends as out of memory instead of crowding the machine.
#
#   bench/peak_memory.sh [FAMILY:N:M ...]      (default mixture:300:3 mixture:100:5)
#   BUILD=build/release BASE_SHARP=/tmp/old-sharp bench/peak_memory.sh
#
# Needs /usr/bin/time (GNU time, Debian's `time` package). Files are written
# to a temporary folder (n = 100, m = 5 is 79 million numbers, 1.7 GB) and
# removed afterwards.
set -euo pipefail

BUILD=${BUILD:-build/release}
BASE_LIMIT_KB=${BASE_LIMIT_KB:-8000000}
CASES=("$@")
if [ ${#CASES[@]} -eq 0 ]; then CASES=(mixture:300:3 mixture:100:5); fi

for tool in "$BUILD/unionbound" "$BUILD/unionbound-sharp" \
  "$BUILD/unionbound-generate"; do
  [ -x "$tool" ] || { echo "missing $tool: build it first" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (apt-get install time)" >&2; exit 1; }

root=$(cd "$(dirname "$0")/.." && pwd)
abs() { case "$1" in /*) echo "$1" ;; *) echo "$root/$1" ;; esac; }
UB=$(abs "$BUILD/unionbound")
SHARP=$(abs "$BUILD/unionbound-sharp")
GENERATE=$(abs "$BUILD/unionbound-generate")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs a command in $work, prints "peak_MB wall_s status".
measure() {
  local limit=$1
  shift
  local status=0
  (cd "$work" && ulimit -v "$limit" && /usr/bin/time -f '%M %e' -o time.txt \
    "$@" >out.txt 2>err.txt) || status=$?
  # GNU time puts "Command exited with non-zero status N" before its line.
  read -r kb seconds < <(tail -n 1 "$work/time.txt") || { kb=0; seconds=0; }
  awk -v kb="$kb" -v s="$seconds" -v st="$status" \
    'BEGIN { printf "%.1f %s %d\n", kb / 1024, s, st }'
}

printf '| input | numbers | unionbound | unionbound-sharp | ratio |%s\n' \
  "${BASE_SHARP:+ earlier sharp | output |}"
printf '|---|---|---|---|---|%s\n' "${BASE_SHARP:+---|---|}"
for wanted in "${CASES[@]}"; do
  IFS=: read -r family n m <<<"$wanted"
  "$GENERATE" "$family" "$n" "$m" 1 "$work/prob.txt" >/dev/null
  count=$(awk -v n="$n" -v m="$m" 'BEGIN { c = 0; b = 1;
    for (k = 1; k <= m; ++k) { b = b * (n - k + 1) / k; c += b } print c }')
  read -r ubMb ubS ubSt < <(measure unlimited "$UB" -n "$n" -m "$m" \
    -i prob.txt -o result.txt --quiet)
  read -r shMb shS shSt < <(measure unlimited "$SHARP" -n "$n" -m "$m" \
    -i prob.txt)
  grep -v ' s$' "$work/out.txt" >"$work/new.txt" || true
  ratio=$(awk -v a="$shMb" -v b="$ubMb" 'BEGIN { printf "%.2fx", a / b }')
  line="| $family, n = $n, m = $m | $count | $ubMb MB ($ubS s, status $ubSt) | $shMb MB ($shS s, status $shSt) | $ratio |"
  if [ -n "${BASE_SHARP:-}" ]; then
    read -r baMb baS baSt < <(measure "$BASE_LIMIT_KB" "$(abs "$BASE_SHARP")" \
      -n "$n" -m "$m" -i prob.txt)
    grep -v ' s$' "$work/out.txt" >"$work/base.txt" || true
    same=different
    if [ "$baSt" -ne 0 ]; then
      same="earlier: status $baSt ($(head -c 60 "$work/err.txt"))"
    elif cmp -s "$work/new.txt" "$work/base.txt"; then
      same=identical
    fi
    line="$line $baMb MB ($baS s, status $baSt) | $same |"
  fi
  echo "$line"
  rm -f "$work/prob.txt"
done
echo
echo "peak: maximum resident set size (GNU time %M); wall seconds and exit status in brackets"
