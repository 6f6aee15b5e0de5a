#include "numeric/binomial.h"

namespace unionbound {

int32_t Binomial(int32_t n, int32_t k) {
  if (n < 0 || k < 0 || k > n) return 0;
  // After step c the value is C(n - k + c, c), so every division is exact.
  int32_t b = 1;
  for (int32_t c = 1; c <= k; ++c) b = ((n - k + c) * b) / c;
  return b;
}

}  // namespace unionbound
