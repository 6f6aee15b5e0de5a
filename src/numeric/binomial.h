// Exact binomial coefficients in 32-bit integer arithmetic.
#ifndef UNIONBOUND_NUMERIC_BINOMIAL_H_
#define UNIONBOUND_NUMERIC_BINOMIAL_H_

#include <cstdint>

namespace unionbound {

// C(n, k) by the multiplicative rule b = ((n - k + c) * b) / c for
// c = 1 .. k, exact at every step. 0 when k > n or k < 0 or n < 0; 1 for
// k = 0. The caller keeps n and k small enough that every intermediate
// product fits in 32 bits.
int32_t Binomial(int32_t n, int32_t k);

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_BINOMIAL_H_
