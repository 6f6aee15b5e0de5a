// The master step step by step: the trailing square block of the moment
// matrix solved for the weights of the pair points, then what those weights
// leave of the leading moments, with whole vectors and LinSolve. Tests and
// benchmarks only; needs numeric/vectors and reference/lin_solve.
#ifndef UNIONBOUND_TESTS_REFERENCE_MASTER_SOLVE_H_
#define UNIONBOUND_TESTS_REFERENCE_MASTER_SOLVE_H_

#include "numeric/vectors.h"

namespace unionbound::reference {

struct MasterResult {
  RealVector weights;   // P entries: the trailing square block solved
  RealVector residual;  // n = |R| - P entries: leading R minus A*weights
  double objective;     // ScalarProduct(D, weights)
};

// D: one difference per pair label; R: one shifted moment per label; A: the
// moment matrix (one row per label, P = |A[0]| columns). With P = 0 the
// weights are empty, the residual is all of R and the objective 0.0.
MasterResult MasterSolve(const RealVector& D, const RealVector& R,
                         const RealMatrix& A);

}  // namespace unionbound::reference

#endif  // UNIONBOUND_TESTS_REFERENCE_MASTER_SOLVE_H_
