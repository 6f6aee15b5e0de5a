#include "numeric/lin_solve.h"

#include <cstddef>
#include <iostream>
#include <utility>

namespace unionbound {

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

void DropFirst(RealVector& v) { v.erase(v.begin()); }

// Index of the first row at or below j whose leading element is not exactly
// zero. Without one, reports the singular matrix, puts 1.0 into the leading
// element of the last row and takes that row.
std::size_t FindPivotRow(RealMatrix& A, std::size_t j) {
  const std::size_t n = A.size();
  std::size_t i = j;
  while (A[i][0] == 0.0) {
    ++i;
    if (i == n) {
      std::cout << "(LinSolve) The matrix A is singular." << std::endl;
      i = n - 1;
      A[i][0] = 1.0;
      break;
    }
  }
  return i;
}

// One Gauss-Jordan step on column j, which is the leading column of every
// row: normalise the pivot row, clear the column in all other rows and drop
// the column.
void EliminateColumn(RealMatrix& A, RealVector& b, std::size_t j) {
  const std::size_t n = A.size();
  const std::size_t i = FindPivotRow(A, j);
  std::swap(A[i], A[j]);
  std::swap(b[i], b[j]);

  const double p = A[j][0];
  b[j] = b[j] / p;
  A[j] = DivideVector(p, A[j]);

  for (std::size_t k = 0; k < n; ++k) {
    if (k == j) continue;
    const double f = A[k][0];
    b[k] = b[k] - b[j] * f;
    A[k] = vectsum(A[k], ScaleVector(-f, A[j]));
    DropFirst(A[k]);
  }
  DropFirst(A[j]);
}

}  // namespace

RealVector LinSolve(const RealMatrix& A, const RealVector& b) {
  RealMatrix a = A;
  RealVector x = b;
  const std::size_t n = a.size();
  if (n == 0) return x;

  const bool eliminable = CanEliminate(a, x);
  if (a[0].size() != n || x.size() != n || !eliminable) {
    std::cout << "Size problem in the input of LinSolve." << std::endl;
  }
  if (!eliminable) return x;

  for (std::size_t j = 0; j < n; ++j) EliminateColumn(a, x, j);
  return x;
}

}  // namespace unionbound
