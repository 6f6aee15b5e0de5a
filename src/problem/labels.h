// The moment labels: which moments of the two subsequence counts are used and
// in which order every moment vector and matrix row lists them.
#ifndef UNIONBOUND_PROBLEM_LABELS_H_
#define UNIONBOUND_PROBLEM_LABELS_H_

#include <cstdint>

#include "numeric/vectors.h"

namespace unionbound {

// {{0},{0}}; then {{d},{e}} for d = 1 .. |maxOrders|, e = 1 .. maxOrders[d-1];
// then for each pair (a, b), for j = 1 .. count-1 and e = 1 .. count-j:
// {{a,b},{e,j}}.
LabelList VariableIndexList(int32_t count, const IndexMatrix& pairs,
                            const IndexVector& maxOrders);

}  // namespace unionbound

#endif  // UNIONBOUND_PROBLEM_LABELS_H_
