// The re-expression of moments about a base point. For one label list and
// one set of order counts the label lookups and binomial coefficients are
// worked out once (the plan), so that the moments about the base points of
// many candidates are formed without any search or allocation.
#ifndef UNIONBOUND_NUMERIC_MOMENT_SHIFT_H_
#define UNIONBOUND_NUMERIC_MOMENT_SHIFT_H_

#include <cstdint>
#include <vector>

#include "numeric/labels.h"
#include "numeric/vectors.h"

namespace unionbound {

// The label lookups and binomial coefficients for one label list and one set
// of order counts.
struct ShiftPlan {
  // The moment of order j of subsequence d is mu[single[j]] (j = 1 .. e);
  // -1 marks a label that the list lacks.
  struct SingleLabel {
    int32_t d;
    int32_t e;
    IndexVector single;
  };
  // m(j1,0) = mu[first[j1]], m(0,j2) = mu[second[j2]] and
  // m(j1,j2) = mu[mixed[j1 * (e2 + 1) + j2]].
  struct PairLabel {
    int32_t d1;
    int32_t d2;
    int32_t e1;
    int32_t e2;
    IndexVector first;
    IndexVector second;
    IndexVector mixed;
  };

  // Whether every order lies in 1 .. kMaxTabulatedOrder. Only then can the
  // plan form the moments; an order below 1 has no expansion.
  bool usable = false;
  int32_t labelCount = 0;
  std::vector<SingleLabel> singles;  // at positions 1, 2, ...
  int32_t firstPair = 1;             // position of pairs[0]
  std::vector<PairLabel> pairs;
  IndexVector binomial;  // C(e, j) at e * (kMaxTabulatedOrder + 1) + j

  // The highest moment order the tables (binomials, powers) hold.
  static constexpr int32_t kMaxTabulatedOrder = 32;
};

ShiftPlan PlanShift(const LabelList& labels, const IndexVector& B);

// The moments mu (one per label) re-expressed about the shift points p (one
// per subsequence), written to r (resized to one element per label), for a
// usable plan of the label list and the counts B of single labels of every
// subsequence. The order-e moment of subsequence d becomes
// E[(X_d - p[d-1])^e], a mixed moment the product expansion of both
// subsequences; element 0 is 1.0. A moment whose label is missing from the
// list enters the sums as NaN, so the result shows that it is unusable.
void ShiftMomentsByPlan(const ShiftPlan& plan, const RealVector& mu,
                        const RealVector& p, RealVector* r);

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_MOMENT_SHIFT_H_
