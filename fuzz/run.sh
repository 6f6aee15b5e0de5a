#!/usr/bin/env bash
# Builds every libFuzzer target under fuzz/ with clang++ in build/fuzz and
# runs each for a bounded time over its committed seed corpus plus the inputs
# it finds. A target that crashes (a sanitizer report, a broken property, a
# time-out) fails the script; its crashing input is copied into
# fuzz/corpus/<target>/ as a regression case to commit with the fix.
#
#   FUZZ_SECONDS  time per target (default 60)
#   FUZZ_TARGETS  the targets to run (default: all)
#   FUZZ_BUILD    build folder (default build/fuzz)
set -uo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-60}"
targets="${FUZZ_TARGETS:-probability_reader run_sizes whole_run sharp_bounds}"
build="${FUZZ_BUILD:-build/fuzz}"
jobs="${JOBS:-2}"

# clang++ with the libFuzzer and sanitizer runtimes: a tiny fuzz target must
# link. Installs the Debian packages when missing and running as root.
fuzzer_links() {
  local probe
  probe="$(mktemp -d)"
  printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
    'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' \
    > "$probe/probe.cc"
  clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cc" \
    -o "$probe/probe" >/dev/null 2>&1
  local status=$?
  rm -rf "$probe"
  return $status
}

if ! fuzzer_links; then
  packages=(clang libclang-rt-dev)
  if [ "$(id -u)" -ne 0 ]; then
    echo "fuzz: clang++ with libFuzzer is missing." >&2
    echo "Run: sudo apt-get update && sudo apt-get install -y ${packages[*]}" >&2
    exit 1
  fi
  echo "fuzz: installing ${packages[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  { apt-get update -qq && apt-get install -y -qq "${packages[@]}"; } >&2
  if ! fuzzer_links; then
    echo "fuzz: clang++ still cannot link a libFuzzer target" >&2
    exit 1
  fi
fi

CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DUNIONBOUND_FUZZ=ON -DUNIONBOUND_TESTS=OFF -DUNIONBOUND_PYTHON=OFF >/dev/null || exit 1
# The companion's target exists only where GMP and CLP were found; without
# them it is left out with a note rather than failing the build.
known_targets="$(cmake --build "$build" --target help 2>/dev/null)"
if ! grep -q 'fuzz_sharp_bounds' <<<"$known_targets"; then
  kept=""
  for target in $targets; do
    if [ "$target" = sharp_bounds ]; then
      echo "fuzz: sharp_bounds left out: the companion is not built" \
        "(it needs GMP and CLP)" >&2
    else
      kept="$kept $target"
    fi
  done
  targets="${kept# }"
fi
build_targets=()
for target in $targets; do build_targets+=("fuzz_$target"); done
cmake --build "$build" -j "$jobs" --target "${build_targets[@]}" || exit 1
# Absolute paths: a target may change its working directory.
build="$(cd "$build" && pwd)"
seeds="$(pwd)/fuzz/corpus"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:check_initialization_order=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

failed=()
summary=()
total_executions=0
start_all=$SECONDS
for target in $targets; do
  found="$build/corpus/$target"  # new inputs land here, not in the seeds
  artifacts="$build/artifacts/$target"
  log="$build/logs/$target.log"
  rm -rf "$artifacts"
  mkdir -p "$found" "$artifacts" "$(dirname "$log")"
  start=$SECONDS
  "$build/fuzz/fuzz_$target" "$found" "$seeds/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1
  status=$?
  elapsed=$((SECONDS - start))
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" |
    tail -n 1)
  executions="${executions:-0}"
  total_executions=$((total_executions + executions))
  if [ $status -eq 0 ]; then
    summary+=("$(printf '%-20s %10s executions %5ss  ok' "$target" \
      "$executions" "$elapsed")")
    continue
  fi
  failed+=("$target")
  summary+=("$(printf '%-20s %10s executions %5ss  FAILED (status %s)' \
    "$target" "$executions" "$elapsed" "$status")")
  echo "fuzz: $target failed; the end of $log:" >&2
  tail -n 60 "$log" >&2
  for crash in "$artifacts"/*; do
    [ -f "$crash" ] || continue
    name="regression-$(basename "$crash")"
    cp "$crash" "$seeds/$target/$name"
    echo "fuzz: kept the input as fuzz/corpus/$target/$name" >&2
  done
done

echo "fuzzing summary (${seconds}s per target):"
printf '  %s\n' "${summary[@]}"
echo "  total: $total_executions executions in $((SECONDS - start_all))s"
ran=$(echo $targets | wc -w)
echo "fuzz: $((ran - ${#failed[@]})) passed, ${#failed[@]} failed"
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: failed targets: ${failed[*]}" >&2
  exit 1
fi
