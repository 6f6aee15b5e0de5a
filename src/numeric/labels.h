// The moment labels: what a label is, the order in which every moment
// vector and matrix row lists them, and the parts of a label (which
// subsequences it names and the orders it takes from them), read here so
// that no other code looks at the lengths of a label's rows.
#ifndef UNIONBOUND_NUMERIC_LABELS_H_
#define UNIONBOUND_NUMERIC_LABELS_H_

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"

namespace unionbound {

// A moment label: two rows, the subsequence numbers and their orders.
// {{0},{0}} is the constant, {{d},{e}} a single-subsequence moment and
// {{d1,d2},{e1,e2}} a mixed moment.
using Label = IndexMatrix;
using LabelList = std::vector<Label>;

// {{0},{0}}; then {{d},{e}} for d = 1 .. |maxOrders|, e = 1 .. maxOrders[d-1];
// then for each pair (a, b), for j = 1 .. count-1 and e = 1 .. count-j:
// {{a,b},{e,j}}.
LabelList VariableIndexList(int32_t count, const IndexMatrix& pairs,
                            const IndexVector& maxOrders);

enum class LabelShape {
  kSingle,  // {{d},{e}}: one subsequence; the constant {{0},{0}} too
  kPair,    // {{d1,d2},{e1,e2}}: a mixed moment of two subsequences
  kOther,   // any other shape: no moment has it
};

struct LabelParts {
  LabelShape shape = LabelShape::kOther;
  // The first two entries of each row, 0 where the row is shorter: for a
  // single label d1 and e1, for a pair label all four.
  int32_t d1 = 0;
  int32_t d2 = 0;
  int32_t e1 = 0;
  int32_t e2 = 0;
};

LabelParts PartsOf(const Label& label);

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_LABELS_H_
