// Sharp bounds on the distribution of the number X of events that occur:
// the probability of X >= r (or X = r) for every r = 1 .. n from one moment
// program, the univariate one or the bivariate one of a split. The programs
// of consecutive r differ only in their costs, so each starts from the
// optimal basis of the one before and usually needs a few pivots only; and
// once the least P(X >= r) is exactly 0 it is 0 for every larger r, so only
// the upper programs are solved from there.
//
// Every exact optimum of P(X >= r) is monotone in r: the cost of each point
// can only drop as r grows, so a lower or upper bound of r + 1 above that
// of r is a fault, which NonMonotoneRs finds.
#ifndef UNIONBOUND_SHARP_MOMENTS_DISTRIBUTION_H_
#define UNIONBOUND_SHARP_MOMENTS_DISTRIBUTION_H_

#include <cstdint>
#include <vector>

#include "sharp/moments/moment_programs.h"
#include "sharp/moments/sharp_bound.h"

namespace unionbound::sharp {

struct SharpDistribution {
  int32_t l = kUnivariate;  // the split, or kUnivariate
  bool exactly = false;     // bounds of P(X = r) rather than P(X >= r)
  // bounds[r - 1] for r = 1 .. n. Where the numbers fit no distribution,
  // every one is infeasible (the programs share their constraints).
  std::vector<SharpInterval> bounds;
  double seconds = 0.0;
};

// Both bounds for every r of split l (or kUnivariate). Requires n >= 1.
// Thread-compatible: distinct calls may run at once on the same data.
SharpDistribution ComputeSharpDistribution(const ProgramData& data, int32_t l,
                                           bool exactly = false);

// The same for every split from .. to (from >= 0), in contiguous chunks on
// `threads` threads; each split's first program starts from the basis of its
// neighbour's.
std::vector<SharpDistribution> ComputeSplitDistributions(
    const ProgramData& data, int32_t from, int32_t to, int32_t threads,
    bool exactly = false);

// The best bound of one r over several programs and the program it came
// from (kUnivariate, or a split; -2 where none is usable).
struct BestCountBound {
  SharpBound bound;
  int32_t l = -2;
};

struct BestCountRow {
  int32_t r = 0;
  BestCountBound lower;  // the largest usable lower bound
  BestCountBound upper;  // the smallest usable upper bound
};

// Per r, the best usable bounds among the distributions given (all of the
// same n and kind); the earlier distribution wins ties.
std::vector<BestCountRow> BestOverPrograms(
    const std::vector<SharpDistribution>& distributions);

// The r (1 <= r < n) where a usable bound of P(X >= r + 1) lies above the
// same usable bound of P(X >= r): none for sound bounds.
std::vector<int32_t> NonMonotoneRs(const std::vector<SharpInterval>& bounds);
std::vector<int32_t> NonMonotoneRs(const std::vector<BestCountRow>& rows);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_DISTRIBUTION_H_
