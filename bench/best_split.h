// The best exact bivariate bounds over every split l = m .. n - m, for the
// benches that set other programs beside them.
#ifndef UNIONBOUND_BENCH_BEST_SPLIT_H_
#define UNIONBOUND_BENCH_BEST_SPLIT_H_

#include <cstdint>

#include "sharp/exact/rational.h"
#include "sharp/moments/moment_programs.h"
#include "sharp/moments/sharp_bound.h"

namespace unionbound::sharp {

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
