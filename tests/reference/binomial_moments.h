// The binomial moments step by step: label by label, the probabilities of all
// intersections whose events fall into the label's subsequences in exactly
// the label's numbers, added in the order of the probability file. The single
// walk of BinomialMomentsOfLengths must give the same sums bit for bit. Tests
// and benchmarks only; needs numeric/subset_order and numeric/labels.
#ifndef UNIONBOUND_TESTS_REFERENCE_BINOMIAL_MOMENTS_H_
#define UNIONBOUND_TESTS_REFERENCE_BINOMIAL_MOMENTS_H_

#include <cstdint>

#include "numeric/labels.h"
#include "numeric/vectors.h"

namespace unionbound::reference {

// p: the probabilities in subset order. One entry per label of
// VariableIndexList(m, pairs, maxOrders); entry 0 is 1.0. Subsequence d
// holds the events (d-1)*l+1 .. d*l, except subsequence 2, which holds every
// event after l; a pair label counts its first subsequence's events in that
// subsequence and its second's in the second. Subsets beyond the end of p
// add nothing. Takes any label list.
RealVector BinomialMoments(const RealVector& p, int32_t n, int32_t l, int32_t m,
                           const IndexMatrix& pairs,
                           const IndexVector& maxOrders);

}  // namespace unionbound::reference

#endif  // UNIONBOUND_TESTS_REFERENCE_BINOMIAL_MOMENTS_H_
