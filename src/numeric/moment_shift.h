// Label lookup and the re-expression of moments about a base point.
#ifndef UNIONBOUND_NUMERIC_MOMENT_SHIFT_H_
#define UNIONBOUND_NUMERIC_MOMENT_SHIFT_H_

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"

namespace unionbound {

// Position of the first label equal to {{x},{y}}, or -1.
int32_t FindSingleLabel(const LabelList& labels, int32_t x, int32_t y);

// Position of the first label equal to {{x1,x2},{y1,y2}}, or -1.
int32_t FindPairLabel(const LabelList& labels, int32_t x1, int32_t x2,
                      int32_t y1, int32_t y2);

// The moments mu (one per label) re-expressed about the shift points p (one
// per subsequence): the order-e moment of subsequence d becomes
// E[(X_d - p[d-1])^e], a mixed moment the product expansion of both
// subsequences. B holds the number of single labels of every subsequence.
// Element 0 of the result is 1.0. A moment whose label is missing from the
// list enters the sums as NaN, so the result shows that it is unusable.
RealVector ShiftMoments(const RealVector& mu, const RealVector& p,
                        const LabelList& labels, const IndexVector& B);

// The label lookups and binomial coefficients of ShiftMoments for one label
// list and one set of order counts, worked out once, so that the moments
// about many shift points are formed without any search or allocation.
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

  // Whether every order lies in 1 .. kMaxOrder. Only then can the plan form
  // the moments: an order below 1 makes IntPower write a message, which only
  // ShiftMoments itself reproduces.
  bool usable = false;
  int32_t labelCount = 0;
  std::vector<SingleLabel> singles;  // at positions 1, 2, ...
  int32_t firstPair = 1;             // position of pairs[0]
  std::vector<PairLabel> pairs;
  IndexVector binomial;  // C(e, j) at e * (kMaxOrder + 1) + j

  static constexpr int32_t kMaxOrder = 32;
};

ShiftPlan PlanShift(const LabelList& labels, const IndexVector& B);

// ShiftMoments(mu, p, labels, B) for a usable plan of labels and B, written
// to r (resized to one element per label). Bit for bit the same numbers.
void ShiftMomentsByPlan(const ShiftPlan& plan, const RealVector& mu,
                        const RealVector& p, RealVector* r);

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_MOMENT_SHIFT_H_
