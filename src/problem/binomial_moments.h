// Binomial moments E[C(X1,e1) C(X2,e2)] of the counts of occurring events in
// the two subsequences 1 .. l and l+1 .. n, from intersection probabilities.
#ifndef UNIONBOUND_PROBLEM_BINOMIAL_MOMENTS_H_
#define UNIONBOUND_PROBLEM_BINOMIAL_MOMENTS_H_

#include <cstdint>

#include "numeric/vectors.h"

namespace unionbound {

// p: the probabilities in subset order. One entry per label of
// VariableIndexList(m, pairs, maxOrders); entry 0 is 1.0. Each entry is the
// sum, in subset order, of the probabilities of the intersections that take
// exactly the label's orders from the label's subsequences.
RealVector BinomialMoments(const RealVector& p, int32_t n, int32_t l, int32_t m,
                           const IndexMatrix& pairs,
                           const IndexVector& maxOrders);

}  // namespace unionbound

#endif  // UNIONBOUND_PROBLEM_BINOMIAL_MOMENTS_H_
