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

// pass.lower for Sense::kMinimise, pass.upper for Sense::kMaximise.
const PassBound& BoundOfSense(const Pass& pass, Sense sense);

}  // namespace unionbound

#endif  // UNIONBOUND_BOUNDS_PASS_H_
