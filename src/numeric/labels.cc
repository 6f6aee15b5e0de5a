#include "numeric/labels.h"

#include <cstddef>

namespace unionbound {

LabelList VariableIndexList(int32_t count, const IndexMatrix& pairs,
                            const IndexVector& maxOrders) {
  LabelList labels;
  labels.push_back(Label{{0}, {0}});
  for (std::size_t i = 0; i < maxOrders.size(); ++i) {
    const int32_t d = static_cast<int32_t>(i) + 1;
    for (int32_t e = 1; e <= maxOrders[i]; ++e) {
      labels.push_back(Label{{d}, {e}});
    }
  }
  for (const IndexVector& pair : pairs) {
    if (pair.size() < 2) continue;  // not a pair of subsequences
    // The order of the second subsequence runs in the outer loop.
    for (int32_t j = 1; j <= count - 1; ++j) {
      for (int32_t e = 1; e <= count - j; ++e) {
        labels.push_back(Label{{pair[0], pair[1]}, {e, j}});
      }
    }
  }
  return labels;
}

namespace {

int32_t EntryOrZero(const Label& label, std::size_t row, std::size_t col) {
  if (row >= label.size() || col >= label[row].size()) return 0;
  return label[row][col];
}

LabelShape ShapeOf(const Label& label) {
  if (label.size() != 2 || label[0].size() != label[1].size()) {
    return LabelShape::kOther;
  }
  if (label[0].size() == 1) return LabelShape::kSingle;
  if (label[0].size() == 2) return LabelShape::kPair;
  return LabelShape::kOther;
}

}  // namespace

LabelParts PartsOf(const Label& label) {
  LabelParts parts;
  parts.shape = ShapeOf(label);
  parts.d1 = EntryOrZero(label, 0, 0);
  parts.d2 = EntryOrZero(label, 0, 1);
  parts.e1 = EntryOrZero(label, 1, 0);
  parts.e2 = EntryOrZero(label, 1, 1);
  return parts;
}

}  // namespace unionbound
