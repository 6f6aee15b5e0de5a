// The constraint matrix of the moment problem step by step: one row per
// label, one column per pair label (a point that moves two subsequences at
// once), built from whole vectors of point values raised to their powers.
// The prepared block bound forms the same entries without the matrix. Tests
// and benchmarks only; needs numeric/labels and numeric/subset_order.
#ifndef UNIONBOUND_TESTS_REFERENCE_MOMENT_MATRIX_H_
#define UNIONBOUND_TESTS_REFERENCE_MOMENT_MATRIX_H_

#include <cstdint>

#include "numeric/labels.h"
#include "numeric/vectors.h"

namespace unionbound::reference {

// E: point table, E[d-1][e] is the value of subsequence d at order index e.
// B: number of single labels per subsequence. K: the total order, so that
// every subsequence pair owns a block of K*(K-1)/2 consecutive pair labels.
// A label list with pair labels but K < 2 breaks that structure; the pair
// rows are then left out instead of looping forever.
RealMatrix MomentMatrix(const RealMatrix& E, const LabelList& labels,
                        const IndexVector& B, int32_t K);

}  // namespace unionbound::reference

#endif  // UNIONBOUND_TESTS_REFERENCE_MOMENT_MATRIX_H_
