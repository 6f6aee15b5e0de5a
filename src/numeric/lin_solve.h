// Square linear systems by Gauss-Jordan elimination without pivoting by
// magnitude: a pivot is any element that is not exactly zero.
#ifndef UNIONBOUND_NUMERIC_LIN_SOLVE_H_
#define UNIONBOUND_NUMERIC_LIN_SOLVE_H_

#include <cstdint>

#include "numeric/vectors.h"

namespace unionbound {

// Solves A*x = b and returns x (always as many entries as b).
//
// n is the number of rows of A. When row 0 or b is not of length n, writes
// "Size problem in the input of LinSolve." with line end and goes on with n.
// When no non-zero pivot is left in a column, writes
// "(LinSolve) The matrix A is singular." with line end, substitutes 1.0 for
// the pivot and goes on. An empty system returns b without a message. Rows
// shorter than n, rows of unequal length or b shorter than n cannot be
// eliminated: the routine then returns b unchanged after the size message.
RealVector LinSolve(const RealMatrix& A, const RealVector& b);

// The elimination of LinSolve on flat storage, for callers that solve many
// systems: a holds the n x n matrix row by row and is used up, b holds n
// right-hand sides and receives x. Same pivot search, same row operations in
// the same order, same singular-matrix message; columns that the elimination
// has finished are never touched again. Allocates nothing.
void LinSolveInPlace(double* a, double* b, int32_t n);

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_LIN_SOLVE_H_
