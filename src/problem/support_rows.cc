#include "problem/support_rows.h"

namespace unionbound {

RealMatrix SupportRows(int32_t n, int32_t l) {
  RealMatrix supports(2);
  for (int32_t x = 0; x <= l; ++x) supports[0].push_back(x);
  for (int32_t x = 0; x <= n - l; ++x) supports[1].push_back(x);
  return supports;
}

}  // namespace unionbound
