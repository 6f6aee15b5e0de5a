#include "numeric/lin_solve.h"

#include <cstddef>
#include <ostream>
#include <utility>

#include "numeric/library_messages.h"

namespace unionbound {

namespace {

// Row of the first leading element at or below row j of column j that is
// not exactly zero. Without one, reports the singular matrix, puts 1.0 into
// column j of the last row and takes that row.
[[gnu::always_inline]] inline std::size_t FindPivotRow(double* a, std::size_t n,
                                                       std::size_t j) {
  std::size_t i = j;
  while (a[i * n + j] == 0.0) {
    ++i;
    if (i == n) {
      LibraryMessages() << "(LinSolve) The matrix A is singular." << std::endl;
      i = n - 1;
      a[i * n + j] = 1.0;
      break;
    }
  }
  return i;
}

// row[c] = row[c] + minusF * pivot[c] for c = first .. n-1, the row operation
// of a step on the columns that are still in use.
[[gnu::always_inline]] inline void SubtractPivotRow(
    double* __restrict row, const double* __restrict pivot, double minusF,
    std::size_t first, std::size_t n) {
  for (std::size_t c = first; c < n; ++c) row[c] = row[c] + minusF * pivot[c];
}

// The same row operation on two rows at once, which reads the pivot row
// once for both. Every element gets the same two operations as above.
[[gnu::always_inline]] inline void SubtractPivotRowTwice(
    double* __restrict row0, double* __restrict row1,
    const double* __restrict pivot, double minusF0, double minusF1,
    std::size_t first, std::size_t n) {
  for (std::size_t c = first; c < n; ++c) {
    const double value = pivot[c];
    row0[c] = row0[c] + minusF0 * value;
    row1[c] = row1[c] + minusF1 * value;
  }
}

// One Gauss-Jordan step on column j, the leading column of the rows that
// are left: exchange the pivot row into row j, divide it by the pivot and
// subtract its multiples from every other row. Columns before j are
// finished and column j is not needed after this step, so only the columns
// after j are updated. The rows are independent of each other in a step, so
// they are taken two at a time.
[[gnu::always_inline]] inline void EliminateColumn(double* a, double* b,
                                                   std::size_t n,
                                                   std::size_t j) {
  const std::size_t i = FindPivotRow(a, n, j);
  double* pivotRow = a + j * n;
  if (i != j) {
    double* other = a + i * n;
    for (std::size_t c = j; c < n; ++c) std::swap(other[c], pivotRow[c]);
    std::swap(b[i], b[j]);
  }

  const double p = pivotRow[j];
  b[j] = b[j] / p;
  for (std::size_t c = j + 1; c < n; ++c) pivotRow[c] = pivotRow[c] / p;

  // b[k] = b[k] - b[j] * f for the leading element f of row k; returns -f.
  auto updateRight = [&](std::size_t k) {
    const double f = a[k * n + j];
    b[k] = b[k] - b[j] * f;
    return -f;
  };
  std::size_t k = j == 0 ? 1 : 0;
  while (k < n) {
    std::size_t next = k + 1 == j ? k + 2 : k + 1;
    if (next >= n) {
      SubtractPivotRow(a + k * n, pivotRow, updateRight(k), j + 1, n);
      break;
    }
    const double minusF0 = updateRight(k);
    const double minusF1 = updateRight(next);
    SubtractPivotRowTwice(a + k * n, a + next * n, pivotRow, minusF0, minusF1,
                          j + 1, n);
    k = next + 1 == j ? next + 2 : next + 1;
  }
}

}  // namespace

// Compiled twice, for the x86-64 baseline and for AVX, whose wider vector
// instructions do the same element-wise products and sums, each rounded as
// before (AVX has no fused multiply-add); the loader picks the version the
// processor supports.
[[gnu::target_clones("avx", "default")]] void LinSolveInPlace(double* a,
                                                              double* b,
                                                              int32_t n) {
  const std::size_t size = n < 0 ? 0 : static_cast<std::size_t>(n);
  for (std::size_t j = 0; j < size; ++j) EliminateColumn(a, b, size, j);
}

}  // namespace unionbound
