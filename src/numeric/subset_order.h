// The order of the intersections in a probability file: every subset of the
// events {1 .. n} of sizes 1 .. m, by increasing size and, within a size,
// lexicographically, each an increasing list of event numbers. Counting,
// stepping, ranking and unranking in that order, and the binomial
// coefficients they rest on.
//
// Every count is worked out in 64-bit arithmetic and checked against the
// 32-bit range that positions in a probability vector use: a count that
// leaves it comes back as -1, never as a wrapped value.
#ifndef UNIONBOUND_NUMERIC_SUBSET_ORDER_H_
#define UNIONBOUND_NUMERIC_SUBSET_ORDER_H_

#include <cstddef>
#include <cstdint>

#include "numeric/vectors.h"

namespace unionbound {

// C(n, k), exact: 0 when n < 0, k < 0 or k > n, 1 for k = 0, and -1 when
// the coefficient exceeds 2^31 - 1.
int32_t Binomial(int32_t n, int32_t k);

// The number of probabilities of n events up to order m:
// C(n,1) + ... + C(n,m), with C(n,i) = 0 for i > n. -1 when the count does
// not fit in 32 bits, or when working it out by the multiplicative rule
// C(n,i) = ((n + j - i) * C(n+j-i-1, j-1)) / j, j = 1 .. i, in 32-bit
// arithmetic would leave the range on the way: the largest intermediates
// of that rule are n + i and the last product i * C(n,i).
int32_t ProbabilityCount(int32_t n, int32_t m);

// Whether ProbabilityCount(n, m) is a count rather than -1.
bool ProbabilityCountFits(int32_t n, int32_t m);

// The first subset of a size in the order: {1, 2, .., size}.
IndexVector FirstSubset(int32_t size);

// Steps *subset (of {1 .. n}) to the next subset of the same size; false,
// leaving it unchanged, after the last one. Inline: the binomial moments
// step through millions of subsets.
inline bool NextSubset(IndexVector* subset, int32_t n) {
  IndexVector& s = *subset;
  const int32_t k = static_cast<int32_t>(s.size());
  // The last position that can still grow: position i can hold at most
  // n - (k - 1 - i).
  int32_t i = k - 1;
  while (i >= 0 && s[static_cast<size_t>(i)] == n - (k - 1 - i)) --i;
  if (i < 0) return false;
  ++s[static_cast<size_t>(i)];
  for (int32_t t = i + 1; t < k; ++t) {
    s[static_cast<size_t>(t)] = s[static_cast<size_t>(t - 1)] + 1;
  }
  return true;
}

// The subset of `size` events of {1 .. n} at lexicographic `rank` among the
// subsets of that size.
IndexVector UnrankSubset(int32_t n, int32_t size, int32_t rank);

// The position of an increasing subset of {1 .. n} in the order (0 for {1}):
// the subsets of all smaller sizes, then its lexicographic rank.
int64_t SubsetPosition(const IndexVector& subset, int32_t n);

// Every subset of sizes 1 .. m in the order, one row per probability.
// m <= 0 gives an empty list.
IndexMatrix SubsetsBySize(int32_t n, int32_t m);

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_SUBSET_ORDER_H_
