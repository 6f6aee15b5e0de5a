// Conversion of binomial moments into power moments E[X1^e1 X2^e2] through
// x^e = sum_k S(e,k) k! C(x,k), S the Stirling numbers of the second kind.
#ifndef UNIONBOUND_PROBLEM_POWER_MOMENTS_H_
#define UNIONBOUND_PROBLEM_POWER_MOMENTS_H_

#include <cstdint>

#include "numeric/labels.h"
#include "numeric/vectors.h"

namespace unionbound {

// The highest order m of the intersections that a run takes: the conversion
// works in 32-bit integers, and from m = 12 on its entries leave that range.
inline constexpr int32_t kMaxIntersectionOrder = 11;

// Stirling number of the second kind S(n, k); 0 when n < k or k = 0 < n.
int32_t StirlingNumber(int32_t n, int32_t k);

// k! in 32-bit arithmetic; 1 for k <= 0.
int32_t Factorial(int32_t k);

// Square matrix, one row and column per label of
// VariableIndexList(m, pairs, maxOrders); power moments = M * binomial
// moments. Entries are exact for m <= kMaxIntersectionOrder.
RealMatrix PowerMomentMatrix(int32_t m, const IndexMatrix& pairs,
                             const IndexVector& maxOrders);

}  // namespace unionbound

#endif  // UNIONBOUND_PROBLEM_POWER_MOMENTS_H_
