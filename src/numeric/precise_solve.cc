#include "numeric/precise_solve.h"

#include <cmath>
#include <cstddef>
#include <utility>

namespace unionbound {

bool PreciseSolve(std::vector<long double>* a, std::vector<long double>* b,
                  int32_t n) {
  const std::size_t size = static_cast<std::size_t>(n);
  std::vector<long double>& A = *a;
  std::vector<long double>& x = *b;
  for (std::size_t j = 0; j < size; ++j) {
    std::size_t pivot = j;
    for (std::size_t i = j + 1; i < size; ++i) {
      if (std::fabs(A[i * size + j]) > std::fabs(A[pivot * size + j])) {
        pivot = i;
      }
    }
    if (A[pivot * size + j] == 0.0L) return false;
    if (pivot != j) {
      for (std::size_t c = 0; c < size; ++c) {
        std::swap(A[pivot * size + c], A[j * size + c]);
      }
      std::swap(x[pivot], x[j]);
    }
    for (std::size_t i = j + 1; i < size; ++i) {
      const long double factor = A[i * size + j] / A[j * size + j];
      if (factor == 0.0L) continue;
      for (std::size_t c = j; c < size; ++c) {
        A[i * size + c] -= factor * A[j * size + c];
      }
      x[i] -= factor * x[j];
    }
  }
  for (std::size_t j = size; j-- > 0;) {
    long double sum = x[j];
    for (std::size_t c = j + 1; c < size; ++c) sum -= A[j * size + c] * x[c];
    x[j] = sum / A[j * size + j];
  }
  return true;
}

}  // namespace unionbound
