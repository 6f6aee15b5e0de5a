#!/bin/sh
# Times unionbound-sharp on independent events of equal probability and
# prints each run's wall time beside the estimate it announces (when it
# announces one), to calibrate the cost model of
# src/sharp/analysis/work_estimate.cc. Usage:
#   bench/sharp_work_estimate.sh [BUILD_DIR] ["N:M N:M ..."]
set -eu
build=${1:-build/release}
sizes=${2:-"500:1 1000:1 2000:1 100:2 200:2 300:2 40:3 60:3"}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
for size in $sizes; do
  n=${size%:*}
  m=${size#*:}
  python3 - "$n" "$m" "$dir/p.txt" <<'PY'
import math, sys
n, m, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
p = 1.0 / (10 * n)
with open(path, "w") as f:
    for k in range(1, m + 1):
        f.write(("%.17g\n" % p ** k) * math.comb(n, k))
PY
  start=$(date +%s.%N)
  said=$("$build/unionbound-sharp" "$n" "$m" "$dir/p.txt" 2>&1 >/dev/null |
         grep -o 'about [0-9]* [a-z]*' || true)
  end=$(date +%s.%N)
  printf 'n=%s m=%s: %.1f s (announced: %s)\n' "$n" "$m" \
    "$(echo "$end - $start" | bc)" "${said:-nothing}"
done
