// The parts of a moment label (numeric/vectors.h): which subsequences it
// names and the orders it takes from them, read in one place so that no
// other code looks at the lengths of a label's rows.
#ifndef UNIONBOUND_NUMERIC_LABEL_PARTS_H_
#define UNIONBOUND_NUMERIC_LABEL_PARTS_H_

#include <cstdint>

#include "numeric/vectors.h"

namespace unionbound {

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

#endif  // UNIONBOUND_NUMERIC_LABEL_PARTS_H_
