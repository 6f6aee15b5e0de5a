// The master step: weights of the pair points that reproduce the pair
// moments exactly, and what they leave of the leading moments.
#ifndef UNIONBOUND_NUMERIC_MASTER_SOLVE_H_
#define UNIONBOUND_NUMERIC_MASTER_SOLVE_H_

#include "numeric/vectors.h"

namespace unionbound {

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

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_MASTER_SOLVE_H_
