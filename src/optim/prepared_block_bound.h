// The block bound of many candidates of one bounding procedure, prepared
// once: label positions, basis families and all working storage are set up
// for the procedure's label list, so that a candidate costs no search and no
// allocation. tests/reference/block_bound.h holds the same computation step
// by step; every number, every scoring call and every message agree with it.
#ifndef UNIONBOUND_OPTIM_PREPARED_BLOCK_BOUND_H_
#define UNIONBOUND_OPTIM_PREPARED_BLOCK_BOUND_H_

#include <cstdint>
#include <vector>

#include "numeric/labels.h"
#include "numeric/vectors.h"
#include "optim/scoring.h"
#include "optim/sense.h"

namespace unionbound {

struct PreparedBlockBound {
  Sense sense = Sense::kMinimise;
  Scoring scoring = Scoring(nullptr);
  int32_t m = 0;
  int32_t orders[2] = {0, 0};  // C: moment orders of the two subsequences
  int32_t points[2] = {0, 0};  // N_k: moved points of each subsequence
  int32_t singleCount = 0;     // S
  int32_t pairCount = 0;       // pair labels, one column each
  int32_t maxPower = 0;        // highest power any matrix entry needs
  IndexVector pairFirst;       // e1 of every pair label, in label order
  IndexVector pairSecond;      // e2 of every pair label
  // Basis family of subsequence k when the step takes PairBases (plain) or
  // PairBasesWithEnd.
  std::vector<IndexVector> plainFamily[2];
  std::vector<IndexVector> endFamily[2];

  // Working storage, sized once.
  RealVector point;        // a scored point when f is called
  RealVector differences;  // D, one per pair label
  RealVector pairPowers;   // U and V of every column, to every power
  RealVector block;        // the pair-label rows, solved in place
  RealVector weights;      // right side, then the master weights
  RealVector residual;     // z
  RealVector pointPowers;  // powers of a subsequence's points
  RealVector costs;        // G of a subsequence
  RealVector memberCosts;  // the costs of the columns of one basis
  RealVector system;       // a subsequence's square system
  RealVector solution;     // its right side, then its solution

  // The basis each subsequence chose for the last candidate (a member of
  // one of its families), or nullptr when its family was empty.
  const IndexVector* chosen[2] = {nullptr, nullptr};
  // Whether (0, 0) is one of the last candidate's points (the base point, a
  // pair point or a point of a chosen basis).
  bool originIsPoint = false;
};

// Whether the data have the shape of every bounding procedure of a run: two
// subsequences with N_k = sizes[k] >= m points and C[k] >= m orders, m >= 1,
// and L = VariableIndexList(m, {{1, 2}}, C). Only such data can be prepared.
bool CanPrepareBlockBound(const IndexVector& sizes, const IndexVector& C,
                          int32_t m, const LabelList& L);

PreparedBlockBound PrepareBlockBound(Sense sense, Scoring scoring,
                                     const IndexVector& sizes,
                                     const IndexVector& C, int32_t m,
                                     const LabelList& L);

// The optimum of one candidate, master objective + subsequence values +
// f(Q), for shifted support rows P of lengths sizes[k] + 1 (entry 0 the base
// point), the base point Q, the shifted moments R and the candidate's q; the
// chosen bases go to prepared->chosen. f is called for Q, then for the pair
// points in label order, then for each subsequence's own points just before
// that subsequence's step.
double EvaluatePreparedBlockBound(PreparedBlockBound* prepared,
                                  const RealMatrix& P, const RealVector& Q,
                                  const RealVector& R, const IndexVector& q);

// The optimum of the last candidate evaluated with *prepared (its points
// are Q, the pair points and the points of the bases it chose), worked out
// in extended precision without the shift: the weights of its points solve
// the system of the binomial moments b (one per label, b[0] the total
// weight), each row the binomial coefficients of a label at the points, by
// elimination with partial pivoting; the optimum is the scores times the
// weights. When (0, 0) is a point, its column and the row of b[0] are left
// out (no other row has an entry there), so the optimum is the other
// weights' sum and depends on b[1..] alone, linearly. The same number as
// EvaluatePreparedBlockBound in exact arithmetic, with far less rounding.
// NaN when a basis is missing or the system is singular. Requires the
// threshold penalty as the scoring and P, Q as handed to that evaluation.
long double PreciseOptimum(const PreparedBlockBound& prepared,
                           const RealMatrix& P, const RealVector& Q,
                           const RealVector& b);

}  // namespace unionbound

#endif  // UNIONBOUND_OPTIM_PREPARED_BLOCK_BOUND_H_
