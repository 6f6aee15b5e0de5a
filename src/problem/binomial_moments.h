// Binomial moments E[C(X1,e1) C(X2,e2)] of the counts of occurring events in
// the two subsequences 1 .. l and l+1 .. n, from intersection probabilities.
#ifndef UNIONBOUND_PROBLEM_BINOMIAL_MOMENTS_H_
#define UNIONBOUND_PROBLEM_BINOMIAL_MOMENTS_H_

#include <cstddef>
#include <cstdint>

#include "numeric/vectors.h"

namespace unionbound {

// p: the probabilities in subset order. One entry per label of
// VariableIndexList(m, pairs, maxOrders); entry 0 is 1.0. Each entry is the
// sum, in subset order, of the probabilities of the intersections that take
// exactly the label's orders from the label's subsequences. Subsets beyond
// the end of p add nothing. The sums follow the size of a subset and the
// number of its events in 1 .. l, which decide the label of every subset for
// the label lists of a run (and for the pair (1, 2) with any orders). For a
// list where they do not (a third subsequence, the pair (2, 1), a label
// twice) every entry but the constant is NaN.
RealVector BinomialMoments(const RealVector& p, int32_t n, int32_t l, int32_t m,
                           const IndexMatrix& pairs,
                           const IndexVector& maxOrders);

// BinomialMoments of the lengths lFirst, lFirst + 1, ..., lFirst + lCount - 1
// (row i for lFirst + i), from one walk through the subsets. Every row is
// the same, bit for bit, as BinomialMoments of its length alone: each sum
// still takes its probabilities in subset order. The subsets are stepped
// through one at a time and never listed. threads: 1 or 2 to force one or
// two threads; 0 takes two when the work is large enough.
RealMatrix BinomialMomentsOfLengths(const RealVector& p, int32_t n,
                                    int32_t lFirst, int32_t lCount, int32_t m,
                                    const IndexMatrix& pairs,
                                    const IndexVector& maxOrders,
                                    int32_t threads = 0);

// The binomial moments of the lengths of a run, worked out a batch of
// consecutive lengths at a time and handed out one length at a time.
struct MomentBatch {
  int32_t first = 0;    // the length of moments[0]
  RealMatrix moments;   // one row per length
  int32_t lengths = 0;  // lengths per batch; 0 for LengthsPerBatch(m)
};

// How many lengths one walk serves at order m: as many as keep the
// accumulators and moments of the batch within kMomentBatchBytes, which
// holds every length of any run that the 32-bit counts allow.
inline constexpr size_t kMomentBatchBytes = size_t{16} << 20;
int32_t LengthsPerBatch(int32_t m);

// BinomialMoments(p, n, l, m, pairs, maxOrders), from *batch when it holds l;
// otherwise *batch is refilled with the lengths l .. min(l + batch size -
// 1, lastL) first.
const RealVector& BatchedBinomialMoments(const RealVector& p, int32_t n,
                                         int32_t l, int32_t lastL, int32_t m,
                                         const IndexMatrix& pairs,
                                         const IndexVector& maxOrders,
                                         MomentBatch* batch);

}  // namespace unionbound

#endif  // UNIONBOUND_PROBLEM_BINOMIAL_MOMENTS_H_
