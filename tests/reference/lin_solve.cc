#include "reference/lin_solve.h"

#include <cstddef>
#include <iostream>
#include <utility>

namespace unionbound::reference {

namespace {

// The elimination needs n rows of one common length of at least n elements
// and a right side of at least n elements.
bool CanEliminate(const RealMatrix& A, const RealVector& b) {
  const std::size_t n = A.size();
  if (b.size() < n) return false;
  for (const RealVector& row : A) {
    if (row.size() != A[0].size() || row.size() < n) return false;
  }
  return true;
}

// Row of the first leading element at or below row j that is not exactly
// zero. Without one, reports the singular matrix, puts 1.0 in front of the
// last row and takes that row.
std::size_t FindPivotRow(RealMatrix& A, std::size_t j) {
  const std::size_t n = A.size();
  std::size_t i = j;
  while (A[i][0] == 0.0) {
    if (++i == n) {
      std::cout << "(LinSolve) The matrix A is singular." << std::endl;
      i = n - 1;
      A[i][0] = 1.0;
      break;
    }
  }
  return i;
}

}  // namespace

RealVector LinSolve(const RealMatrix& matrix, const RealVector& b) {
  RealVector x = b;
  const std::size_t n = matrix.size();
  if (n == 0) return x;

  const bool eliminable = CanEliminate(matrix, x);
  if (matrix[0].size() != n || x.size() != n || !eliminable) {
    std::cout << "Size problem in the input of LinSolve." << std::endl;
  }
  if (!eliminable) return x;

  // Every step leaves the rows one element shorter: element 0 of every row
  // is always the column being eliminated.
  RealMatrix A = matrix;
  for (std::size_t j = 0; j < n; ++j) {
    const std::size_t i = FindPivotRow(A, j);
    std::swap(A[i], A[j]);
    std::swap(x[i], x[j]);
    const double p = A[j][0];
    x[j] = x[j] / p;
    A[j] = DivideVector(p, A[j]);
    for (std::size_t k = 0; k < n; ++k) {
      if (k == j) continue;
      const double f = A[k][0];
      x[k] = x[k] - x[j] * f;
      A[k] = vectsum(A[k], ScaleVector(-f, A[j]));
      A[k].erase(A[k].begin());
    }
    A[j].erase(A[j].begin());
  }
  return x;
}

}  // namespace unionbound::reference
