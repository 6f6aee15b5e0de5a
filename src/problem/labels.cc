#include "problem/labels.h"

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

}  // namespace unionbound
