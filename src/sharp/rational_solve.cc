#include "sharp/rational_solve.h"

#include <cstddef>
#include <utility>

namespace unionbound {

RationalSolution SolveRational(RationalMatrix A, RationalVector b) {
  const size_t size = A.size();
  RationalSolution result{false, {}};
  if (b.size() != size) return result;
  for (const RationalVector& row : A) {
    if (row.size() != size) return result;
  }
  for (size_t col = 0; col < size; ++col) {
    size_t pivot = col;
    while (pivot < size && sgn(A[pivot][col]) == 0) ++pivot;
    if (pivot == size) return result;
    std::swap(A[pivot], A[col]);
    std::swap(b[pivot], b[col]);
    for (size_t r = col + 1; r < size; ++r) {
      if (sgn(A[r][col]) == 0) continue;
      const Rational factor = A[r][col] / A[col][col];
      for (size_t c = col; c < size; ++c) A[r][c] -= factor * A[col][c];
      b[r] -= factor * b[col];
    }
  }
  result.x.assign(size, Rational(0));
  for (size_t k = size; k-- > 0;) {
    Rational s = b[k];
    for (size_t c = k + 1; c < size; ++c) s -= A[k][c] * result.x[c];
    result.x[k] = s / A[k][k];
  }
  result.solved = true;
  return result;
}

RationalMatrix TransposeRational(const RationalMatrix& A) {
  if (A.empty()) return {};
  RationalMatrix T(A[0].size(), RationalVector(A.size()));
  for (size_t r = 0; r < A.size(); ++r) {
    for (size_t c = 0; c < A[r].size() && c < T.size(); ++c) T[c][r] = A[r][c];
  }
  return T;
}

}  // namespace unionbound
