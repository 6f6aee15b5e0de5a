#!/usr/bin/env bash
# The rare-event sweep: independent, common-shock and Gaussian-threshold
# systems scaled by 10^-k (k = 3 .. 12, 30, 100, 300), odd m = 1 .. 11 and
# n from 2m to 40 (m = 7 and 9 at n = 2m and 20, m = 11 at n = 22); per
# scale and m the digits of the best bounds that agree with the exact method
# bound before (the procedures in plain double) and after (as unionbound
# prints them), the worst exit status and the number of runs with a bound
# outside the sharp univariate and bivariate bounds.
#
#   bench/rare_events.sh [--quick | --largest N]
#
# N caps n (default 40). BUILD_DIR as quality.sh; needs GMP (the script
# configures the build with -DUNIONBOUND_BENCH=ON).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-build/release}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
cmake -S "$root" -B "$build" -DUNIONBOUND_BENCH=ON >/dev/null
cmake --build "$build" -j 2 --target rare_events >/dev/null
"$build/bench/rare_events" "$@"
