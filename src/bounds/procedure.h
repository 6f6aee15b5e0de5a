// The lower- and upper-bound procedures for one subsequence length: the best
// inner optimum over all 2^m candidate index patterns.
#ifndef UNIONBOUND_BOUNDS_PROCEDURE_H_
#define UNIONBOUND_BOUNDS_PROCEDURE_H_

#include <cstdint>
#include <limits>

#include "numeric/vectors.h"
#include "optim/scoring.h"
#include "optim/sense.h"

namespace unionbound {

// value is the negated bound. When no candidate passes the comparison the
// value is the sentinel (1.7e308 or -1.7e308), Kjs and Vks are empty and j
// is -1.
struct BoundResult {
  double value;
  IndexMatrix Kjs;  // bases the inner optimisation chose for the best
  int32_t j;        // level of the best candidate
  IndexMatrix Vks;  // index pattern of the best candidate
};

struct ReorderedSupports {
  RealMatrix P;  // rows permuted (basic points first) and shifted to P[k][0]=0
  RealVector Q;  // the base point of every row
};

// Row k of Z: the points Z[k][Vks[k][t]] for t < |Vks[0]|, then Z[k][t-q[k]]
// for the remaining t up to |Z[k]|-1, all minus the first of them.
ReorderedSupports ReorderByVks(const RealMatrix& Z, const IndexMatrix& Vks,
                               const IndexVector& q);
// The same into *result, reusing its storage from candidate to candidate.
void ReorderByVksInto(const RealMatrix& Z, const IndexMatrix& Vks,
                      const IndexVector& q, ReorderedSupports* result);

// The best candidate of the sense. The data must have the shape of a pass:
// two support rows of N_k >= m points each, C = maxOrders with m <= C[k] <=
// ShiftPlan::kMaxTabulatedOrder, the single pair {1, 2} and m >= 1. Data of
// any other shape have no candidate the inner optimisation can evaluate and
// give the result of a procedure where no candidate passes.
BoundResult BoundProcedure(Sense sense, Scoring scoring,
                           const RealMatrix& supports, const RealVector& mu,
                           const IndexVector& maxOrders,
                           const IndexMatrix& variablePairs, int32_t m);
// The largest rounding error, relative to the bound, that a bound may carry
// and still count as evaluated accurately.
inline constexpr double kBoundTolerance = 1e-12;

// A best candidate and its optimum worked out once more in extended
// precision, which tells what rounding did to the double value.
struct CheckedBound {
  BoundResult result;
  // PreciseOptimum of the best candidate, taken back to the unscaled
  // moments; NaN when the procedure kept no candidate or that system is
  // singular.
  double precise = std::numeric_limits<double>::quiet_NaN();
};

// BoundProcedure with ThresholdPenalty, on binomial moments b whose entries
// but b[0] = 1 were multiplied by 2^scale (exactly, so without rounding) and
// their power moments mu. The optimum of a candidate is a constant plus a
// linear function of those entries, and the constant is known: 0 when the
// point (0, 0) is among the candidate's points and -1 when it is not (the
// weights then sum to 1 over points that all score -1). Every candidate's
// optimum is therefore taken back to the unscaled moments as that constant
// plus 2^-scale times the rest, and the best is chosen among those values.
// With moments scaled far above 1 the constant no longer swamps the digits
// of rare events: 1 minus a weight near 1 becomes the weights of the other
// points. scale = 0 gives BoundProcedure's result bit for bit.
CheckedBound CheckedBoundProcedure(Sense sense, const RealMatrix& supports,
                                   const RealVector& mu, const RealVector& b,
                                   const IndexVector& maxOrders,
                                   const IndexMatrix& variablePairs, int32_t m,
                                   int32_t scale);

BoundResult LowerBoundProcedure(Scoring scoring, const RealMatrix& supports,
                                const RealVector& mu,
                                const IndexVector& maxOrders,
                                const IndexMatrix& variablePairs, int32_t m);
BoundResult UpperBoundProcedure(Scoring scoring, const RealMatrix& supports,
                                const RealVector& mu,
                                const IndexVector& maxOrders,
                                const IndexMatrix& variablePairs, int32_t m);

}  // namespace unionbound

#endif  // UNIONBOUND_BOUNDS_PROCEDURE_H_
