// Square linear systems by Gauss-Jordan elimination without pivoting by
// magnitude: a pivot is any element that is not exactly zero. Works on flat
// storage and allocates nothing, so that the inner optimisation can solve
// many small systems per candidate.
#ifndef UNIONBOUND_NUMERIC_LIN_SOLVE_H_
#define UNIONBOUND_NUMERIC_LIN_SOLVE_H_

#include <cstdint>

namespace unionbound {

// Solves the n x n system held row by row in a (used up) with the n
// right-hand sides in b, which receives x. The pivot of column j is the first
// element at or below row j that is not exactly zero, and its row is
// exchanged into row j. When no such element is left, writes
// "(LinSolve) The matrix A is singular." with line end, substitutes 1.0 for
// the pivot in the last row and goes on. Each step divides the pivot row by
// the pivot and subtracts its multiple from every other row, row by row in
// order; columns that the elimination has finished are never touched again.
void LinSolveInPlace(double* a, double* b, int32_t n);

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_LIN_SOLVE_H_
