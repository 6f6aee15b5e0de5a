// Exact certificates for a moment linear program in the minimisation form
// min cost . x subject to A x = b, x >= 0, where row 0 of A is all ones:
// a dual vector made exactly feasible proves a bound, a dual ray proves that
// no distribution has the moments, and the final basis solved exactly can
// prove that a bound is the optimum.
#ifndef UNIONBOUND_SHARP_CERTIFICATE_H_
#define UNIONBOUND_SHARP_CERTIFICATE_H_

#include <vector>

#include "numeric/vectors.h"
#include "optim/sense.h"
#include "sharp/exact_arithmetic.h"
#include "sharp/moment_lp.h"

namespace unionbound {

// The minimised costs: inUnion for the smallest union probability, its
// negation for the largest.
IndexVector MinimisedCost(const MomentLp& lp, Sense sense);

// max over columns k of A_k . y - cost_k, exactly; y is dual feasible when
// this is at most 0.
Rational DualViolation(const MomentLp& lp, const IndexVector& cost,
                       const RationalVector& y);

bool IsDualFeasible(const MomentLp& lp, const IndexVector& cost,
                    const RationalVector& y);

// y with its row-0 entry lowered by the largest violation, which makes it
// exactly dual feasible, since every column has a 1 in row 0.
RationalVector RepairDual(const MomentLp& lp, const IndexVector& cost,
                          RationalVector y);

// b . y: for a dual feasible y a lower bound on the minimum.
Rational DualValue(const MomentLp& lp, const RationalVector& y);

// sum over rows t >= 1 of |y_t| * allowance_t: how much b . y can change
// when every input moves by its rounding allowance.
Rational RoundingReach(const MomentLp& lp, const RationalVector& y);

// Proof that A x = b has no solution x >= 0, from a vector y with
// A^T y <= 0 (made exact by lowering y[0]) and b . y > 0.
struct InfeasibilityProof {
  bool proven;          // b . y > 0 after the repair
  bool beyondRounding;  // still > 0 for every b' within the rows' allowance
  Rational margin;      // b . y
  Rational reach;       // sum over rows of |y_t| * allowance_t
  double distance;      // b is at least this far (sum of |changes|) from
                        // every moment vector some distribution has
};
InfeasibilityProof ProveInfeasible(const MomentLp& lp, RationalVector y);

// The basis solved exactly: nonbasic columns at 0; basicRow marks rows whose
// activity variable is basic (its value must come out as 0).
struct BasisCheck {
  bool solved;          // the basis is square and nonsingular
  RationalVector x;     // per column
  RationalVector y;     // per row, cost_B = B^T y
  bool primalFeasible;  // x >= 0 and every basic row activity is 0
  bool dualFeasible;    // cost_k - A_k . y >= 0 for every column
  Rational value;       // cost . x
  // When not primal feasible: the row of the inverse basis at the most
  // negative basic value (or at a basic row activity that is not 0), signed
  // so that b . ray > 0; a candidate for ProveInfeasible.
  RationalVector ray;
};
BasisCheck CheckBasis(const MomentLp& lp, const IndexVector& cost,
                      const std::vector<bool>& basicColumn,
                      const std::vector<bool>& basicRow);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_CERTIFICATE_H_
