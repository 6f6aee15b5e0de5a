// What the multivariate benches share: the processor clock and the best
// exact bivariate bounds over every split l = m .. n - m.
#ifndef UNIONBOUND_BENCH_BEST_SPLIT_H_
#define UNIONBOUND_BENCH_BEST_SPLIT_H_

#include <time.h>

#include <cstdint>

#include "sharp/exact/rational.h"
#include "sharp/moments/moment_programs.h"
#include "sharp/moments/sharp_bound.h"

namespace unionbound::sharp {

// Processor seconds of the whole process (every thread) so far: on a
// shared machine a fairer measure than the wall clock.
inline double Cpu() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

struct BestSplit {
  Rational lower = -1;
  Rational upper = 2;
  int32_t lowerL = -1;
  int32_t upperL = -1;
  bool infeasible = false;  // some split's program has no solution
};

// Solves every split in order, each warm-started from its neighbour.
inline BestSplit AllSplits(const ProgramData& data, int32_t n, int32_t m) {
  BestSplit best;
  WarmStart warm;
  for (int32_t l = m; l <= n - m; ++l) {
    const SharpInterval in = ComputeSharpInterval(data, l, &warm);
    if (in.lower.status == SharpStatus::kInfeasible) best.infeasible = true;
    if (IsUsable(in.lower) && in.lower.exact > best.lower) {
      best.lower = in.lower.exact;
      best.lowerL = l;
    }
    if (IsUsable(in.upper) && in.upper.exact < best.upper) {
      best.upper = in.upper.exact;
      best.upperL = l;
    }
  }
  return best;
}

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_BENCH_BEST_SPLIT_H_
