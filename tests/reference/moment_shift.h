// The moment shift step by step: every moment re-expressed about a base point
// by its binomial expansion, each moment that enters a sum found by a search
// of the label list and each power formed by IntPower. ShiftMomentsByPlan
// must give the same numbers. Tests and benchmarks only; needs
// numeric/labels and numeric/subset_order.
#ifndef UNIONBOUND_TESTS_REFERENCE_MOMENT_SHIFT_H_
#define UNIONBOUND_TESTS_REFERENCE_MOMENT_SHIFT_H_

#include <cstdint>

#include "numeric/labels.h"
#include "numeric/vectors.h"

namespace unionbound::reference {

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
// list enters the sums as NaN, so the result shows that it is unusable; an
// order below 1 reaches IntPower, which writes its message.
RealVector ShiftMoments(const RealVector& mu, const RealVector& p,
                        const LabelList& labels, const IndexVector& B);

}  // namespace unionbound::reference

#endif  // UNIONBOUND_TESTS_REFERENCE_MOMENT_SHIFT_H_
