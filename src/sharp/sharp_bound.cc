#include "sharp/sharp_bound.h"

#include <chrono>
#include <cmath>
#include <cstddef>
#include <vector>

#include "sharp/certificate.h"

namespace unionbound {
namespace {

// Phase-one program: A x + u - v = b with u, v >= 0 and cost sum(u + v).
// Its optimal dual y satisfies A^T y <= 0 and b . y = the least total
// violation, so it proves infeasibility when that is positive.
FloatLp ElasticLp(const MomentLp& lp) {
  FloatLp elastic = ToFloatLp(lp, Sense::kMinimise);
  const size_t rows = RowCount(lp);
  for (double& c : elastic.cost) c = 0.0;
  for (size_t r = 0; r < rows; ++r) {
    for (int sign : {1, -1}) {
      for (size_t t = 0; t < rows; ++t) {
        elastic.rows[t].push_back(t == r ? sign : 0.0);
      }
      elastic.cost.push_back(1.0);
    }
  }
  return elastic;
}

SharpBound ClassifyInfeasible(const MomentLp& lp, SharpStatus fallback) {
  SharpBound result;
  const LpSolution phaseOne = SolveWithClp(ElasticLp(lp));
  if (phaseOne.status != LpStatus::kOptimal) {
    result.status = fallback;
    return result;
  }
  result.infeasibility = ProveInfeasible(lp, ExactValues(phaseOne.dual));
  result.status = result.infeasibility.beyondRounding
                      ? SharpStatus::kInconsistent
                      : SharpStatus::kRoundingInfeasible;
  return result;
}

double Clip(double x) { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); }

}  // namespace

FloatLp ToFloatLp(const MomentLp& lp, Sense sense) {
  FloatLp f;
  for (size_t t = 0; t < RowCount(lp); ++t) {
    RealVector row;
    for (const mpz_class& a : lp.coefficients[t]) row.push_back(a.get_d());
    f.rows.push_back(row);
    const double b = RoundNearest(lp.moments[t]);
    f.rowLower.push_back(b);
    f.rowUpper.push_back(b);
  }
  for (int32_t c : MinimisedCost(lp, sense)) f.cost.push_back(c);
  return f;
}

CertifiedDual BestCertifiedDual(const MomentLp& lp, const IndexVector& cost,
                                const std::vector<RationalVector>& candidates) {
  CertifiedDual best{Rational(0), {}};
  for (const RationalVector& candidate : candidates) {
    RationalVector y = RepairDual(lp, cost, candidate);
    const Rational value = DualValue(lp, y);
    if (best.y.empty() || value > best.value) best = {value, y};
  }
  return best;
}

SharpBound ComputeSharpBound(const MomentLp& lp, Sense sense) {
  const IndexVector cost = MinimisedCost(lp, sense);
  const LpSolution solution = SolveWithClp(ToFloatLp(lp, sense));
  if (solution.status == LpStatus::kInfeasible) {
    return ClassifyInfeasible(lp, SharpStatus::kSolverFailed);
  }
  SharpBound result;
  if (solution.status != LpStatus::kOptimal) return result;
  result.status = SharpStatus::kBound;
  // The minimisation form's value is the lower bound itself when
  // minimising and the negated upper bound when maximising.
  const double toSense = sense == Sense::kMinimise ? 1.0 : -1.0;
  result.solverValue = toSense * solution.objective;

  const BasisCheck basis =
      CheckBasis(lp, cost, solution.basicColumn, solution.basicRow);
  Rational value;
  if (basis.solved && basis.primalFeasible && basis.dualFeasible) {
    value = basis.value;
    result.sharp = true;
  } else {
    std::vector<RationalVector> candidates{ExactValues(solution.dual)};
    if (basis.solved) candidates.push_back(basis.y);
    const CertifiedDual best = BestCertifiedDual(lp, cost, candidates);
    value = best.value;
    // A basis that is optimal in floating point but slightly infeasible in
    // exact arithmetic may prove that the data as given are infeasible.
    if (basis.solved && !basis.primalFeasible && !basis.ray.empty()) {
      const InfeasibilityProof proof = ProveInfeasible(lp, basis.ray);
      if (proof.proven) {
        result.infeasibility = proof;
        if (proof.beyondRounding) {
          result.status = SharpStatus::kInconsistent;
          return result;
        }
        result.roundingInfeasible = true;
        value -= RoundingReach(lp, best.y);
      }
    }
  }
  if (sense == Sense::kMinimise) {
    result.exact = value;
    result.bound = Clip(RoundDown(value));
  } else {
    result.exact = -value;
    result.bound = Clip(RoundUp(result.exact));
  }
  if (!result.sharp) result.gap = std::fabs(result.solverValue - result.bound);
  return result;
}

SharpInterval ComputeSharpInterval(const MomentLp& lp) {
  const auto start = std::chrono::steady_clock::now();
  SharpInterval interval;
  interval.lower = ComputeSharpBound(lp, Sense::kMinimise);
  interval.upper = ComputeSharpBound(lp, Sense::kMaximise);
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  interval.seconds = spent.count();
  return interval;
}

}  // namespace unionbound
