#include "sharp/certificate.h"

#include <cstddef>

#include "sharp/rational_solve.h"

namespace unionbound {
namespace {

Rational ColumnDot(const MomentLp& lp, size_t k, const RationalVector& y) {
  Rational s = 0;
  for (size_t t = 0; t < RowCount(lp) && t < y.size(); ++t) {
    const mpz_class& a = lp.coefficients[t][k];
    if (sgn(a) != 0) s += a * y[t];
  }
  return s;
}

// max over columns of A_k . y - cost_k; the first column seeds the maximum.
Rational LargestExcess(const MomentLp& lp, const IndexVector& cost,
                       const RationalVector& y) {
  Rational worst = 0;
  for (size_t k = 0; k < ColumnCount(lp); ++k) {
    const Rational excess = ColumnDot(lp, k, y) - cost[k];
    if (k == 0 || excess > worst) worst = excess;
  }
  return worst;
}

Rational LargestMagnitude(const RationalVector& v) {
  Rational m = 0;
  for (const Rational& q : v) {
    if (abs(q) > m) m = abs(q);
  }
  return m;
}

// The basic position that breaks primal feasibility worst: the most
// negative basic column value, else the first basic row activity not 0.
size_t WorstBasicPosition(const RationalVector& values,
                          const std::vector<long>& basicIndex) {
  size_t worst = values.size();
  for (size_t b = 0; b < values.size(); ++b) {
    if (basicIndex[b] >= 0 && sgn(values[b]) < 0 &&
        (worst == values.size() || values[b] < values[worst])) {
      worst = b;
    }
  }
  if (worst < values.size()) return worst;
  for (size_t b = 0; b < values.size(); ++b) {
    if (basicIndex[b] < 0 && sgn(values[b]) != 0) return b;
  }
  return 0;
}

}  // namespace

IndexVector MinimisedCost(const MomentLp& lp, Sense sense) {
  IndexVector cost = lp.inUnion;
  if (sense == Sense::kMaximise) {
    for (int32_t& c : cost) c = -c;
  }
  return cost;
}

Rational DualViolation(const MomentLp& lp, const IndexVector& cost,
                       const RationalVector& y) {
  return LargestExcess(lp, cost, y);
}

bool IsDualFeasible(const MomentLp& lp, const IndexVector& cost,
                    const RationalVector& y) {
  return DualViolation(lp, cost, y) <= 0;
}

RationalVector RepairDual(const MomentLp& lp, const IndexVector& cost,
                          RationalVector y) {
  if (y.empty()) return y;
  const Rational violation = DualViolation(lp, cost, y);
  if (violation > 0) y[0] -= violation;
  return y;
}

Rational DualValue(const MomentLp& lp, const RationalVector& y) {
  return ExactDot(lp.moments, y);
}

Rational RoundingReach(const MomentLp& lp, const RationalVector& y) {
  Rational reach = 0;
  for (size_t t = 1; t < y.size() && t < lp.allowance.size(); ++t) {
    reach += abs(y[t]) * lp.allowance[t];
  }
  return reach;
}

InfeasibilityProof ProveInfeasible(const MomentLp& lp, RationalVector y) {
  const IndexVector noCost(ColumnCount(lp), 0);
  y = RepairDual(lp, noCost, y);
  InfeasibilityProof proof;
  proof.margin = DualValue(lp, y);
  proof.reach = RoundingReach(lp, y);
  proof.proven = proof.margin > 0;
  proof.beyondRounding = proof.margin > proof.reach;
  const Rational scale = LargestMagnitude(y);
  proof.distance =
      (proof.proven && scale > 0) ? RoundDown(proof.margin / scale) : 0.0;
  return proof;
}

BasisCheck CheckBasis(const MomentLp& lp, const IndexVector& cost,
                      const std::vector<bool>& basicColumn,
                      const std::vector<bool>& basicRow) {
  const size_t rows = RowCount(lp);
  const size_t columns = ColumnCount(lp);
  BasisCheck check{false, {}, {}, false, false, Rational(0), {}};
  // Basis matrix, one column per basic variable: a column of A, or the unit
  // vector of a row whose activity is basic (-1 as column index).
  RationalMatrix B(rows);
  std::vector<long> basicIndex;
  RationalVector basicCost;
  for (size_t k = 0; k < columns && k < basicColumn.size(); ++k) {
    if (!basicColumn[k]) continue;
    for (size_t t = 0; t < rows; ++t) {
      B[t].push_back(Rational(lp.coefficients[t][k]));
    }
    basicIndex.push_back(static_cast<long>(k));
    basicCost.push_back(Rational(cost[k]));
  }
  for (size_t r = 0; r < rows && r < basicRow.size(); ++r) {
    if (!basicRow[r]) continue;
    for (size_t t = 0; t < rows; ++t) B[t].push_back(Rational(t == r ? 1 : 0));
    basicIndex.push_back(-1);
    basicCost.push_back(Rational(0));
  }
  if (basicIndex.size() != rows) return check;
  const RationalSolution primal = SolveRational(B, lp.moments);
  const RationalSolution dual = SolveRational(TransposeRational(B), basicCost);
  if (!primal.solved || !dual.solved) return check;
  check.solved = true;
  check.x.assign(columns, Rational(0));
  check.primalFeasible = true;
  for (size_t b = 0; b < rows; ++b) {
    if (basicIndex[b] < 0) {
      if (sgn(primal.x[b]) != 0) check.primalFeasible = false;
      continue;
    }
    check.x[basicIndex[b]] = primal.x[b];
    if (sgn(primal.x[b]) < 0) check.primalFeasible = false;
    check.value += primal.x[b] * cost[basicIndex[b]];
  }
  check.y = dual.x;
  check.dualFeasible = IsDualFeasible(lp, cost, check.y);
  if (!check.primalFeasible) {
    const size_t r = WorstBasicPosition(primal.x, basicIndex);
    RationalVector unit(rows, Rational(0));
    unit[r] = sgn(primal.x[r]) < 0 ? -1 : 1;
    const RationalSolution ray = SolveRational(TransposeRational(B), unit);
    if (ray.solved) check.ray = ray.x;
  }
  return check;
}

}  // namespace unionbound
