// One certified sharp bound: the moment linear program solved in floating
// point, its dual made exactly feasible, and the final basis checked exactly
// for optimality. Infeasible programs are classified by an exact proof.
#ifndef UNIONBOUND_SHARP_SHARP_BOUND_H_
#define UNIONBOUND_SHARP_SHARP_BOUND_H_

#include "optim/sense.h"
#include "sharp/certificate.h"
#include "sharp/clp_solve.h"
#include "sharp/exact_arithmetic.h"
#include "sharp/moment_lp.h"

namespace unionbound {

enum class SharpStatus {
  kBound,               // bound holds for every distribution with the moments
  kInconsistent,        // proven: no distribution has moments within rounding
  kRoundingInfeasible,  // infeasible at most by what input rounding explains
  kSolverFailed,        // the solver gave neither an optimum nor infeasibility
};

struct SharpBound {
  SharpStatus status = SharpStatus::kSolverFailed;
  double bound = 0.0;        // rounded outward and clipped to [0, 1]
  Rational exact;            // the certified value before rounding and clipping
  bool sharp = false;        // bound is the exact optimum of the program
  double solverValue = 0.0;  // the solver's primal optimum
  double gap = 0.0;          // |solverValue - bound| when not sharp
  // The program as given is infeasible, but by no more than rounding the
  // inputs explains; the bound is widened to hold for every moment vector
  // within that rounding.
  bool roundingInfeasible = false;
  InfeasibilityProof infeasibility{};  // when status is not kBound
};

// The smallest (kMinimise) or largest (kMaximise) union probability.
SharpBound ComputeSharpBound(const MomentLp& lp, Sense sense);

struct SharpInterval {
  SharpBound lower;
  SharpBound upper;
  double seconds;  // wall-clock time of both
};

SharpInterval ComputeSharpInterval(const MomentLp& lp);

// The program as the solver sees it: coefficients and moments rounded to
// the nearest double, equality rows, the minimised cost of the sense.
FloatLp ToFloatLp(const MomentLp& lp, Sense sense);

struct CertifiedDual {
  Rational value;  // b . y, a lower bound on the minimisation form
  RationalVector y;
};

// Candidate dual vectors are made exactly feasible; the one with the best
// certified value.
CertifiedDual BestCertifiedDual(const MomentLp& lp, const IndexVector& cost,
                                const std::vector<RationalVector>& candidates);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_SHARP_BOUND_H_
