// The linear-system solver step by step: Gauss-Jordan elimination on whole
// rows held as vectors, each step exchanging, dividing and subtracting entire
// rows and then dropping the finished column. LinSolveInPlace must give the
// same numbers and the same messages for every system. Tests and benchmarks
// only; needs numeric/vectors.
#ifndef UNIONBOUND_TESTS_REFERENCE_LIN_SOLVE_H_
#define UNIONBOUND_TESTS_REFERENCE_LIN_SOLVE_H_

#include "numeric/vectors.h"

namespace unionbound::reference {

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

}  // namespace unionbound::reference

#endif  // UNIONBOUND_TESTS_REFERENCE_LIN_SOLVE_H_
