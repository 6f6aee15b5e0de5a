#include "numeric/label_parts.h"

#include <cstddef>

namespace unionbound {

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
