// Exact solution of a square linear system over the rationals.
#ifndef UNIONBOUND_SHARP_RATIONAL_SOLVE_H_
#define UNIONBOUND_SHARP_RATIONAL_SOLVE_H_

#include <vector>

#include "sharp/exact_arithmetic.h"

namespace unionbound {

using RationalMatrix = std::vector<RationalVector>;

struct RationalSolution {
  bool solved;  // false when the matrix is singular or not square
  RationalVector x;
};

// Solves A x = b by Gaussian elimination with exact arithmetic; any nonzero
// pivot will do, so rows are swapped only to avoid zeros.
RationalSolution SolveRational(RationalMatrix A, RationalVector b);

RationalMatrix TransposeRational(const RationalMatrix& A);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_RATIONAL_SOLVE_H_
