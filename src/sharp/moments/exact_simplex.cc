#include "sharp/moments/exact_simplex.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

#include "sharp/exact/cancellation.h"

namespace unionbound::sharp {
namespace {

constexpr int32_t kPivotLimit = 100000;
// After this many pivots in a row that do not move, Bland's rule takes over
// so that the method cannot cycle.
constexpr int32_t kStallBeforeBland = 40;
// Duals below this magnitude could underflow in the floating-point pricing;
// such a pass prices every column exactly.
constexpr double kTinyDual = 1e-280;

// C(k, e) exactly and as doubles (truncated from the exact value, so within
// a relative 2^-52), for k <= maxK and e <= maxE, kept per thread and grown
// on demand.
class BinomialDoubles {
 public:
  void Ensure(int32_t maxK, int32_t maxE) {
    if (maxK <= maxK_ && maxE <= maxE_) return;
    maxK_ = std::max(maxK, maxK_);
    maxE_ = std::max(maxE, maxE_);
    const size_t size = static_cast<size_t>(maxK_ + 1) * (maxE_ + 1);
    table_.assign(size, 0.0);
    exact_.assign(size, mpz_class(0));
    for (int32_t k = 0; k <= maxK_; ++k) {
      for (int32_t e = 0; e <= maxE_ && e <= k; ++e) {
        const size_t at = static_cast<size_t>(k) * (maxE_ + 1) + e;
        mpz_bin_uiui(exact_[at].get_mpz_t(), static_cast<unsigned long>(k),
                     static_cast<unsigned long>(e));
        table_[at] = exact_[at].get_d();
      }
    }
  }
  const double* Row(int32_t k) const {
    return table_.data() + static_cast<size_t>(k) * (maxE_ + 1);
  }
  const mpz_class& Exact(int32_t k, int32_t e) const {
    return exact_[static_cast<size_t>(k) * (maxE_ + 1) + e];
  }

 private:
  int32_t maxK_ = -1;
  int32_t maxE_ = -1;
  std::vector<double> table_;
  std::vector<mpz_class> exact_;
};

BinomialDoubles& ThreadBinomials() {
  thread_local BinomialDoubles table;
  return table;
}

// kComposite minimises the cost plus kArtificialWeight times the artificial
// values: it usually reaches a feasible basis close to the optimum, and
// kFeasibility finishes whatever it leaves.
enum class Phase { kComposite, kFeasibility, kOptimality };

constexpr int32_t kArtificialWeight = 1 << 20;

struct Candidate {
  bool found = false;
  BasicVariable variable{VariableKind::kPoint, 0, 0};
  double score = 0.0;
  long order = 0;
};

class Solver {
 public:
  Solver(const GridProgram& program, SimplexState* state)
      : p_(program), rows_(program.rows.size()), state_(state) {
    int32_t maxE = 0;
    for (const GridRow& row : p_.rows) {
      maxE = std::max({maxE, row.e1, row.e2});
    }
    binomials_ = &ThreadBinomials();
    binomials_->Ensure(std::max(p_.maxI, p_.maxJ), maxE);
    for (const GridRow& row : p_.rows) maxE1_ = std::max(maxE1_, row.e1);
  }

  SimplexResult Run() {
    Start();
    SimplexResult result;
    if (HasPositiveArtificial()) {
      if (!Iterate(Phase::kComposite, &result)) return Finish(result);
      if (!Iterate(Phase::kFeasibility, &result)) return Finish(result);
      const Rational infeasibility = ArtificialSum();
      if (sgn(infeasibility) > 0) {
        result.status = SimplexStatus::kInfeasible;
        result.y = Duals(Phase::kFeasibility);
        result.margin = infeasibility;
        return Finish(result);
      }
    }
    if (!Iterate(Phase::kOptimality, &result)) return Finish(result);
    result.status = SimplexStatus::kOptimal;
    result.y = Duals(Phase::kOptimality);
    result.value = 0;
    for (size_t b = 0; b < rows_; ++b) {
      const int32_t c = Cost(basis_[b], Phase::kOptimality);
      if (c != 0) result.value += c * x_[b];
    }
    return Finish(result);
  }

 private:
  // The state's basis where it still fits the program, artificial columns
  // elsewhere, and every negative basic value turned positive by flipping the
  // sign of an artificial column (a real one that is negative becomes one).
  void Start() {
    if (state_->basis.size() == rows_ && state_->adjugate.size() == rows_) {
      basis_ = state_->basis;
      adjugate_ = state_->adjugate;
      determinant_ = state_->determinant;
      for (const BasicVariable& v : basis_) {
        if (v.kind == VariableKind::kArtificial) {
          nextArtificial_ = std::max(nextArtificial_, v.i + 1);
        }
      }
      for (BasicVariable& v : basis_) {
        if (!Fits(v)) MakeArtificial(&v);
      }
    } else {
      basis_.clear();
      adjugate_.assign(rows_, std::vector<mpz_class>(rows_));
      determinant_ = 1;
      for (size_t t = 0; t < rows_; ++t) {
        basis_.push_back({VariableKind::kArtificial, 0, 0});
        MakeArtificial(&basis_.back());
        adjugate_[t][t] = 1;
      }
    }
    x_.assign(rows_, Rational(0));
    for (size_t b = 0; b < rows_; ++b) {
      for (size_t t = 0; t < rows_; ++t) {
        if (sgn(adjugate_[b][t]) != 0 && sgn(p_.rhs[t]) != 0) {
          x_[b] += adjugate_[b][t] * p_.rhs[t];
        }
      }
      x_[b] /= determinant_;
      // Negating the row of the inverse negates the basic column: the
      // representation stays adjugate / determinant up to the common sign.
      if (sgn(x_[b]) < 0) {
        if (basis_[b].kind != VariableKind::kArtificial) {
          MakeArtificial(&basis_[b]);
        }
        x_[b] = -x_[b];
        for (mpz_class& q : adjugate_[b]) q = -q;
      }
    }
  }

  bool Fits(const BasicVariable& v) const {
    switch (v.kind) {
      case VariableKind::kPoint:
        return v.i <= p_.maxI && v.j <= p_.maxJ;
      case VariableKind::kExtra:
        return static_cast<size_t>(v.i) < p_.extra.size();
      case VariableKind::kArtificial:
        return true;
    }
    return false;
  }

  void MakeArtificial(BasicVariable* v) {
    *v = {VariableKind::kArtificial, nextArtificial_++, 0};
  }

  // A basic column's reduced cost is 0 by construction.
  bool IsBasicPoint(int32_t i, int32_t j) const {
    for (const BasicVariable& v : basis_) {
      if (v.kind == VariableKind::kPoint && v.i == i && v.j == j) return true;
    }
    return false;
  }

  bool HasPositiveArtificial() const {
    for (size_t b = 0; b < rows_; ++b) {
      if (basis_[b].kind == VariableKind::kArtificial && sgn(x_[b]) > 0) {
        return true;
      }
    }
    return false;
  }

  Rational ArtificialSum() const {
    Rational s = 0;
    for (size_t b = 0; b < rows_; ++b) {
      if (basis_[b].kind == VariableKind::kArtificial) s += x_[b];
    }
    return s;
  }

  int32_t Cost(const BasicVariable& v, Phase phase) const {
    if (phase == Phase::kFeasibility) {
      return v.kind == VariableKind::kArtificial ? 1 : 0;
    }
    if (phase == Phase::kComposite && v.kind == VariableKind::kArtificial) {
      return kArtificialWeight;
    }
    switch (v.kind) {
      case VariableKind::kPoint:
        return PointCost(p_, v.i, v.j);
      case VariableKind::kExtra:
        return p_.extra[v.i].cost;
      case VariableKind::kArtificial:
        return 0;
    }
    return 0;
  }

  // The duals times the determinant: integers.
  std::vector<mpz_class> DualNumerators(Phase phase) const {
    std::vector<mpz_class> y(rows_);
    for (size_t b = 0; b < rows_; ++b) {
      const int32_t c = Cost(basis_[b], phase);
      if (c == 0) continue;
      for (size_t t = 0; t < rows_; ++t) {
        if (sgn(adjugate_[b][t]) != 0) y[t] += c * adjugate_[b][t];
      }
    }
    return y;
  }

  RationalVector Duals(Phase phase) const {
    const std::vector<mpz_class> numerators = DualNumerators(phase);
    RationalVector y;
    for (const mpz_class& v : numerators) {
      Rational q(v, determinant_);
      q.canonicalize();
      y.push_back(q);
    }
    return y;
  }

  // v / determinant as a double, within a few units in the last place.
  double Quotient(const mpz_class& v) const {
    if (sgn(v) == 0) return 0.0;
    long ev = 0;
    long ed = 0;
    const double mv = mpz_get_d_2exp(&ev, v.get_mpz_t());
    const double md = mpz_get_d_2exp(&ed, determinant_.get_mpz_t());
    const long shift = ev - ed;
    if (shift > 2000) return std::numeric_limits<double>::infinity();
    if (shift < -2000) return 0.0;
    return std::ldexp(mv / md, static_cast<int>(shift));
  }

  std::vector<mpz_class> Column(const BasicVariable& v) const {
    std::vector<mpz_class> a(rows_);
    if (v.kind == VariableKind::kPoint) {
      for (size_t t = 0; t < rows_; ++t) {
        const GridRow& row = p_.rows[t];
        if (row.e1 < 0 || row.e1 > v.i || row.e2 > v.j) continue;
        a[t] = binomials_->Exact(v.i, row.e1) * binomials_->Exact(v.j, row.e2);
      }
    } else if (v.kind == VariableKind::kExtra) {
      for (const auto& [row, value] : p_.extra[v.i].entries) a[row] = value;
    }
    return a;
  }

  long Order(const BasicVariable& v) const {
    switch (v.kind) {
      case VariableKind::kExtra:
        return v.i;
      case VariableKind::kPoint:
        return static_cast<long>(p_.extra.size()) +
               static_cast<long>(v.i) * (p_.maxJ + 1) + v.j;
      case VariableKind::kArtificial:
        return std::numeric_limits<long>::max() / 2 + v.i;
    }
    return 0;
  }

  // The sign of cost - A_v . y, exactly, from y times the (positive)
  // determinant.
  int ExactReducedCostSign(const BasicVariable& v, int32_t cost,
                           const std::vector<mpz_class>& numerators) const {
    const std::vector<mpz_class> a = Column(v);
    mpz_class s = cost * determinant_;
    for (size_t t = 0; t < rows_; ++t) {
      if (sgn(a[t]) != 0) s -= numerators[t] * a[t];
    }
    return sgn(s);
  }

  void Offer(const BasicVariable& v, double score, bool bland,
             Candidate* best) const {
    const long order = Order(v);
    const bool better =
        !best->found || (bland ? order < best->order : score < best->score);
    if (better) *best = {true, v, score, order};
  }

  // The entering column: the most negative reduced cost per unit of column
  // size, or with Bland's rule the first negative one.
  Candidate Price(Phase phase, bool bland) const {
    const std::vector<mpz_class> y = DualNumerators(phase);
    std::vector<double> yd(rows_);
    bool reliable = true;
    for (size_t t = 0; t < rows_; ++t) {
      yd[t] = Quotient(y[t]);
      if (!std::isfinite(yd[t]) ||
          (sgn(y[t]) != 0 && std::fabs(yd[t]) < kTinyDual)) {
        reliable = false;
      }
    }
    auto exactSign = [&](const BasicVariable& v, int32_t cost) {
      return ExactReducedCostSign(v, cost, y);
    };
    Candidate best;
    for (size_t e = 0; e < p_.extra.size(); ++e) {
      const BasicVariable v{VariableKind::kExtra, static_cast<int32_t>(e), 0};
      const int32_t cost = phase == Phase::kFeasibility ? 0 : p_.extra[e].cost;
      if (exactSign(v, cost) < 0) {
        Rational d = Rational(cost);
        for (const auto& [row, value] : p_.extra[e].entries) {
          d -= Rational(value * y[row]) / determinant_;
        }
        double norm = 0.0;
        for (const auto& entry : p_.extra[e].entries) {
          norm += std::fabs(entry.second.get_d());
        }
        Offer(v, d.get_d() / (norm > 0 ? norm : 1.0), bland, &best);
      }
    }
    if (bland && best.found) return best;  // extras come first in the order
    // Relative error of the floating-point reduced cost against the sum of
    // the magnitudes: truncated duals and binomials, two rounded products
    // per term and two levels of additions, with room to spare.
    const double relative =
        (static_cast<double>(rows_) + 6.0) * std::ldexp(1.0, -52) * 1.01;
    // s(i, j) = sum over e1 of C(i, e1) * h[e1](j), with h[e1](j) the sum
    // over the rows of first order e1 of y_t * C(j, e2): the inner sums are
    // shared by every i, and each i is one pass over contiguous arrays.
    const int32_t orders = maxE1_ + 1;
    const size_t columns = static_cast<size_t>(p_.maxJ) + 1;
    std::vector<double> h(columns * orders, 0.0);
    std::vector<double> hAbs(columns * orders, 0.0);
    for (int32_t j = 0; j <= p_.maxJ; ++j) {
      const double* colJ = binomials_->Row(j);
      for (size_t t = 0; t < rows_; ++t) {
        const GridRow& row = p_.rows[t];
        if (row.e1 < 0 || row.e2 > j) continue;
        const double a = colJ[row.e2];
        h[row.e1 * columns + j] += yd[t] * a;
        hAbs[row.e1 * columns + j] += std::fabs(yd[t]) * a;
      }
    }
    std::vector<double> s(columns);
    std::vector<double> magnitude(columns);
    // Without Bland's rule, a pass may stop once it has a candidate and has
    // seen enough points; it starts where the previous one stopped. A pass
    // that finds nothing has seen every point.
    const size_t points = PointCount(p_);
    const size_t enough = bland ? points : std::max<size_t>(4096, points / 8);
    size_t seen = 0;
    const int32_t rowsI = p_.maxI + 1;
    for (int32_t step = 0; step < rowsI; ++step) {
      const int32_t i = bland ? step : (priceStart_ + step) % rowsI;
      const double* colI = binomials_->Row(i);
      const int32_t top = std::min(i, maxE1_);
      std::fill(s.begin(), s.end(), 0.0);
      std::fill(magnitude.begin(), magnitude.end(), 0.0);
      for (int32_t e1 = 0; e1 <= top; ++e1) {
        const double c = colI[e1];
        const double* he = h.data() + e1 * columns;
        const double* ha = hAbs.data() + e1 * columns;
        for (size_t j = 0; j < columns; ++j) {
          s[j] += c * he[j];
          magnitude[j] += c * ha[j];
        }
      }
      for (int32_t j = 0; j <= p_.maxJ; ++j) {
        const int32_t cost =
            (phase == Phase::kFeasibility || !Counts(p_.target, i + j))
                ? 0
                : p_.pointCost;
        const double d = cost - s[j];
        const double error = magnitude[j] * relative;
        if (reliable && d > error) continue;
        const BasicVariable v{VariableKind::kPoint, i, j};
        if (!(reliable && d < -error) &&
            (IsBasicPoint(i, j) || exactSign(v, cost) >= 0)) {
          continue;
        }
        Offer(v, std::isfinite(d) ? d : -1.0, bland, &best);
        if (bland) return best;  // the first in Bland's order
      }
      seen += columns;
      if (best.found && seen >= enough) {
        priceStart_ = (i + 1) % rowsI;
        return best;
      }
    }
    return best;
  }

  // Position of the leaving variable for entering direction d, or -1 when
  // the direction is unbounded.
  long Leaving(const std::vector<mpz_class>& d, Phase phase, bool bland) const {
    if (phase == Phase::kOptimality) {
      // Artificial columns left in the basis sit at 0 and must stay there.
      for (size_t b = 0; b < rows_; ++b) {
        if (basis_[b].kind == VariableKind::kArtificial && sgn(d[b]) != 0) {
          return static_cast<long>(b);
        }
      }
    }
    long leave = -1;
    Rational bestRatio;
    for (size_t b = 0; b < rows_; ++b) {
      if (sgn(d[b]) <= 0) continue;
      const Rational ratio = x_[b] / d[b];
      bool better = leave < 0 || ratio < bestRatio;
      if (!better && ratio == bestRatio) {
        const BasicVariable& current = basis_[leave];
        const bool artificialFirst =
            basis_[b].kind == VariableKind::kArtificial &&
            current.kind != VariableKind::kArtificial;
        better =
            artificialFirst || (bland && Order(basis_[b]) < Order(current));
      }
      if (better) {
        leave = static_cast<long>(b);
        bestRatio = ratio;
      }
    }
    return leave;
  }

  // d is the direction times the determinant. The new adjugate rows are
  // (row_b * d_p - d_b * row_p) / determinant, exact divisions, and the new
  // determinant is d_p.
  void Pivot(size_t leave, const BasicVariable& enter,
             const std::vector<mpz_class>& d) {
    const Rational step = x_[leave] * determinant_ / d[leave];
    for (size_t b = 0; b < rows_; ++b) {
      if (b == leave || sgn(d[b]) == 0) continue;
      x_[b] -= step * d[b] / determinant_;
    }
    x_[leave] = step;
    const std::vector<mpz_class>& pivotRow = adjugate_[leave];
    mpz_class t1;
    for (size_t b = 0; b < rows_; ++b) {
      if (b == leave) continue;
      std::vector<mpz_class>& row = adjugate_[b];
      for (size_t t = 0; t < rows_; ++t) {
        mpz_mul(row[t].get_mpz_t(), row[t].get_mpz_t(), d[leave].get_mpz_t());
        if (sgn(d[b]) != 0 && sgn(pivotRow[t]) != 0) {
          mpz_mul(t1.get_mpz_t(), d[b].get_mpz_t(), pivotRow[t].get_mpz_t());
          mpz_sub(row[t].get_mpz_t(), row[t].get_mpz_t(), t1.get_mpz_t());
        }
        mpz_divexact(row[t].get_mpz_t(), row[t].get_mpz_t(),
                     determinant_.get_mpz_t());
      }
    }
    determinant_ = d[leave];
    if (sgn(determinant_) < 0) {
      determinant_ = -determinant_;
      for (std::vector<mpz_class>& row : adjugate_) {
        for (mpz_class& q : row) q = -q;
      }
    }
    basis_[leave] = enter;
  }

  // B^-1 a times the determinant.
  std::vector<mpz_class> Direction(const BasicVariable& v) const {
    const std::vector<mpz_class> a = Column(v);
    std::vector<mpz_class> d(rows_);
    for (size_t b = 0; b < rows_; ++b) {
      for (size_t t = 0; t < rows_; ++t) {
        if (sgn(a[t]) != 0 && sgn(adjugate_[b][t]) != 0) {
          d[b] += adjugate_[b][t] * a[t];
        }
      }
    }
    return d;
  }

  // Pivots until no column improves the phase's objective; false when the
  // pivot limit is reached or the direction is unbounded.
  bool Iterate(Phase phase, SimplexResult* result) {
    int32_t stall = 0;
    while (result->pivots < kPivotLimit) {
      PollCancellation();
      if (phase != Phase::kOptimality && !HasPositiveArtificial()) return true;
      const bool bland = stall >= kStallBeforeBland;
      const Candidate enter = Price(phase, bland);
      if (!enter.found) return true;
      const std::vector<mpz_class> d = Direction(enter.variable);
      const long leave = Leaving(d, phase, bland);
      if (leave < 0) return false;
      stall = sgn(x_[leave]) == 0 ? stall + 1 : 0;
      Pivot(static_cast<size_t>(leave), enter.variable, d);
      ++result->pivots;
    }
    return false;
  }

  SimplexResult Finish(SimplexResult result) {
    result.basis = basis_;
    result.basicValues = x_;
    state_->basis = basis_;
    state_->adjugate = adjugate_;
    state_->determinant = determinant_;
    return result;
  }

  const GridProgram& p_;
  const size_t rows_;
  SimplexState* state_;
  BinomialDoubles* binomials_ = nullptr;
  int32_t maxE1_ = 0;
  mutable int32_t priceStart_ = 0;  // the row of points the next pass starts at
  std::vector<BasicVariable> basis_;
  std::vector<std::vector<mpz_class>> adjugate_;
  mpz_class determinant_;
  RationalVector x_;
  int32_t nextArtificial_ = 0;
};

}  // namespace

SimplexResult SolveExact(const GridProgram& program, SimplexState* state) {
  Solver solver(program, state);
  return solver.Run();
}

}  // namespace unionbound::sharp
