// The lower- and upper-bound procedures for one subsequence length: the best
// inner optimum over all 2^m candidate index patterns.
#ifndef UNIONBOUND_BOUNDS_PROCEDURE_H_
#define UNIONBOUND_BOUNDS_PROCEDURE_H_

#include <cstdint>

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
