// One pass of a run: for one subsequence length l, the binomial and power
// moments of the two subsequence counts, the lower and the upper bound, and
// the processor time each bound took. unionbound and unionbound-sharp both
// compute their passes here, so they obtain the same bounds bit for bit.
// Requires p in subset order (sizes 1 .. m, lexicographic within a size).
#ifndef UNIONBOUND_BOUNDS_PASS_H_
#define UNIONBOUND_BOUNDS_PASS_H_

#include <cstdint>

#include "bounds/procedure.h"
#include "numeric/vectors.h"
#include "optim/sense.h"
#include "problem/binomial_moments.h"

namespace unionbound {

// The result of one bounding procedure and its running time in seconds, in
// whole milliseconds of processor time.
struct PassBound {
  BoundResult result;
  double seconds;
  // Whether the bound comes from rescaled moments because the plain
  // evaluation lost digits to rounding (see CheckedBoundProcedure), and
  // whether the error estimate vouches for it.
  bool rescaled = false;
  bool accurate = true;
};

struct Pass {
  int32_t l;
  int32_t m;
  IndexMatrix variablePairs;  // the single pair (1, 2)
  IndexVector maxOrders;      // (m, m)
  RealVector b;               // binomial moments, one per label
  RealVector mu;              // power moments, one per label
  // The lower bound's time runs from the start of the pass, so it includes
  // the moments; the upper bound's time covers its procedure alone.
  PassBound lower;  // found by minimising
  PassBound upper;  // found by maximising
};

// The pass of length l, m <= l <= lastL = n - m. The binomial moments come
// from *moments, which computes them a batch of consecutive lengths up to
// lastL at a time; hand the same MomentBatch to the passes of one run.
Pass ComputePass(const RealVector& p, int32_t n, int32_t m, int32_t l,
                 int32_t lastL, MomentBatch* moments);

// The bound of the sense for binomial moments b (power moments mu, support
// rows supports). The plain evaluation, kept whenever the best candidate's
// optimum worked out in extended precision agrees with it to
// kBoundTolerance. Otherwise every candidate is evaluated again on rescaled
// moments (CheckedBoundProcedure), and the bound is the extended-precision
// optimum of the best of them; it counts as accurate when that candidate's
// rescaled double value agrees with it closely enough that the choice among
// candidates is sound.
PassBound CheckedPassBound(Sense sense, const RealMatrix& supports,
                           const RealVector& b, const RealVector& mu,
                           const IndexVector& maxOrders,
                           const IndexMatrix& variablePairs, int32_t m);

// pass.lower for Sense::kMinimise, pass.upper for Sense::kMaximise.
const PassBound& BoundOfSense(const Pass& pass, Sense sense);

}  // namespace unionbound

#endif  // UNIONBOUND_BOUNDS_PASS_H_
