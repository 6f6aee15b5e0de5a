// Floating-point solution of a linear program with the CLP simplex solver:
// primal and dual values and the final basis, as a starting point for the
// exact certificates.
#ifndef UNIONBOUND_SHARP_CLP_SOLVE_H_
#define UNIONBOUND_SHARP_CLP_SOLVE_H_

#include <vector>

#include "numeric/vectors.h"

namespace unionbound {

// Minimise cost . x subject to rowLower <= rows x <= rowUpper, x >= 0.
// Rows are dense and are handed to the solver unscaled.
struct FloatLp {
  RealMatrix rows;  // [row][column]
  RealVector rowLower;
  RealVector rowUpper;
  RealVector cost;
};

enum class LpStatus { kOptimal, kInfeasible, kFailed };

struct LpSolution {
  LpStatus status = LpStatus::kFailed;
  double objective = 0.0;
  RealVector primal;  // per column
  RealVector dual;    // per row; reduced cost of column k: cost_k - A_k . dual
  std::vector<bool> basicColumn;
  std::vector<bool> basicRow;  // the row's own activity variable is basic
};

// Primal and dual feasibility tolerance of every solve. Right-hand sides of
// rare-event data reach 1e-6 and below, so the tolerance sits far beneath
// them; the rows are not scaled, which would push them further down.
inline constexpr double kSolverTolerance = 1e-10;

// Dual simplex first; when it neither proves optimality nor infeasibility,
// the primal simplex on a fresh model.
LpSolution SolveWithClp(const FloatLp& lp);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_CLP_SOLVE_H_
