// Binomial moments E[C(X1,e1) C(X2,e2)] of the counts of occurring events in
// the two subsequences 1 .. l and l+1 .. n, from intersection probabilities.
// All lengths of a run come from one walk over the probabilities, which can
// follow them while they are still being read (MomentSums); the design is
// described in binomial_moments.cc. Requires p in subset order.
#ifndef UNIONBOUND_PROBLEM_BINOMIAL_MOMENTS_H_
#define UNIONBOUND_PROBLEM_BINOMIAL_MOMENTS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "numeric/labels.h"
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

// Where one share of the lengths is in the walk through the subsets.
struct WalkPosition {
  int32_t k = 1;          // the size of the subsets of the run
  IndexVector prefix;     // the run's first k - 1 events
  size_t runStart = 0;    // the position of the run's first probability
  size_t u = 0;           // the first probability not yet added
  bool finished = false;  // every subset has been added
};

// The lengths that one thread walks: tiles of consecutive lengths.
struct MomentShare {
  size_t tileBegin = 0;  // first lane, a multiple of the tile width
  size_t tileEnd = 0;    // one past the last lane
  WalkPosition position;
  RealVector padding;  // a part of a run between zeros
};

// The sums of BinomialMomentsOfLengths, taken while the probabilities are
// still arriving: Advance adds what has arrived since its last call. The
// lengths are split into shares (one or two) that may be advanced on
// different threads, each share on one thread at a time; every sum still
// takes its probabilities in subset order, so the moments are the same bit
// for bit however the probabilities arrive. p may grow between calls, but
// the probabilities handed on must stay where they are.
class MomentSums {
 public:
  MomentSums(int32_t n, int32_t lFirst, int32_t lCount, int32_t m,
             const IndexMatrix& pairs, const IndexVector& maxOrders,
             int32_t shares);

  int32_t shares() const;

  // Adds the probabilities p[0 .. available) that share `share` has not yet
  // added.
  void Advance(int32_t share, const double* p, size_t available);

  // One row per length, once every share has been advanced over all the
  // probabilities (those that never arrive add nothing).
  RealMatrix Moments() const;

 private:
  int32_t n_;
  int32_t lFirst_;
  size_t lengths_;
  int32_t largest_;
  LabelList labels_;
  size_t stride_;
  RealVector sums_;
  std::vector<MomentShare> shares_;
};

// Whether the walk of this many probabilities for lCount lengths is large
// enough to pay for a second thread (and the machine has two cores).
bool TwoShares(size_t probabilities, int32_t lCount);

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
