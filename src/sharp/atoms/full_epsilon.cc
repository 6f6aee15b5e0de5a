#include "sharp/atoms/full_epsilon.h"

#include <ClpSimplex.hpp>
#include <algorithm>
#include <cmath>

#include "sharp/atoms/certificate.h"
#include "sharp/atoms/full_program.h"
#include "sharp/atoms/master.h"
#include "sharp/exact/linear_solve.h"

namespace unionbound::sharp {
namespace {

// Atoms a round of the refinement adds, and its rounds.
constexpr size_t kRefinementColumnsPerRound = 40;
constexpr int32_t kRefinementRounds = 200;
constexpr int32_t kRefinementRepairs = 3;
constexpr double kRefinementPricingTolerance = 1e-9;
// Up to this size fraction-free elimination backs up the exact solve.
constexpr size_t kMaxEliminated = 400;

bool Inside(AtomMask atom, AtomMask set) { return (set & ~atom) == 0; }

// The first phase of the program over atoms, around a distribution xBar
// that nearly fits: x = xBar + d, with the rows' misfit r = b - A xBar
// (the total row included) divided by its largest |r_u|, so that a misfit
// of 1e-20 is as well resolved as one of 1: minimise the sum of the slacks
// s+ + s- with A d + s+ - s- = r / rho, d_a >= -xBar_a / rho. Its duals y
// are those of the first phase on the numbers themselves, and the basis
// fixes them: y_u = 1 (-1, 0) where s+_u (s-_u, the row's own slack) is
// basic, y0 + sum of y_u over the data subsets inside a = 0 for every basic
// atom a. Solved exactly, y is dual feasible where no atom has
// y0 + sum > 0, and then y0 + b . y > 0 proves that no distribution fits
// (a Farkas certificate): every change of the numbers by less than
// (y0 + b . y) / sum |y_u| still leaves none.
class FirstPhase {
 public:
  FirstPhase(const ExactData& data, const std::vector<AtomMask>& masks,
             int32_t n, const std::vector<AtomMask>& atoms,
             const RealVector& probabilities)
      : data_(data), masks_(masks), n_(n), index_(masks) {
    rows_ = static_cast<int32_t>(masks.size()) + 1;
    for (size_t i = 0; i < atoms.size(); ++i) {
      if (probabilities[i] > 0 && std::isfinite(probabilities[i])) {
        around_.push_back({atoms[i], probabilities[i]});
      }
    }
    // An atom given twice holds both probabilities.
    std::sort(around_.begin(), around_.end());
    size_t kept = 0;
    for (size_t i = 0; i < around_.size(); ++i) {
      if (kept > 0 && around_[kept - 1].first == around_[i].first) {
        around_[kept - 1].second += around_[i].second;
      } else {
        around_[kept++] = around_[i];
      }
    }
    around_.resize(kept);
  }

  AtomsCertificate Run(double seconds) {
    const auto start = AtomClock::now();
    AtomsCertificate certificate;
    if (!Build()) return certificate;
    for (int32_t repair = 0; repair <= kRefinementRepairs; ++repair) {
      if (!Generate(seconds, start)) return certificate;
      certificate.suffices = Deviation();
      std::vector<AtomMask> violated;
      const Rational value = Certify(&violated);
      if (violated.empty()) {
        certificate.atLeast = value;
        return certificate;
      }
      AddAtoms(violated);
    }
    return certificate;
  }

 private:
  double Around(AtomMask atom) const {
    const auto it = std::lower_bound(around_.begin(), around_.end(),
                                     std::pair<AtomMask, double>{atom, -1.0});
    return it != around_.end() && it->first == atom ? it->second : 0.0;
  }

  bool Build() {
    // The misfit, exactly, then as doubles divided by its largest.
    RationalVector misfit(rows_);
    misfit[0] = 1;
    for (int32_t r = 1; r < rows_; ++r) misfit[r] = ValueOf(data_, r - 1);
    for (const auto& [atom, p] : around_) {
      const Rational x = ExactValue(p);
      misfit[0] -= x;
      index_.ForEachInside(atom, [&](size_t u) { misfit[u + 1] -= x; });
    }
    Rational largest = 0;
    for (const Rational& v : misfit)
      largest = std::max(largest, Rational(abs(v)));
    if (largest == 0) return false;  // it fits: nothing to prove here
    rho_ = largest.get_d();
    model_.setLogLevel(0);
    model_.setPrimalTolerance(1e-10);
    model_.setDualTolerance(1e-10);
    model_.resize(rows_, 0);
    for (int32_t r = 0; r < rows_; ++r) {
      const double v = Rational(misfit[r] / largest).get_d();
      model_.setRowBounds(r, v, v);
    }
    for (int32_t r = 0; r < rows_; ++r) {
      for (double sign : {1.0, -1.0}) {
        const int32_t row = r;
        model_.addColumn(1, &row, &sign, 0.0, COIN_DBL_MAX, 1.0);
      }
    }
    firstAtom_ = model_.numberColumns();
    std::vector<AtomMask> start{0, (AtomMask{1} << n_) - 1};
    start.insert(start.end(), masks_.begin(), masks_.end());
    for (const auto& [atom, p] : around_) start.push_back(atom);
    AddAtoms(start);
    return true;
  }

  void AddAtoms(std::vector<AtomMask> atoms) {
    std::sort(atoms.begin(), atoms.end());
    atoms.erase(std::unique(atoms.begin(), atoms.end()), atoms.end());
    for (AtomMask atom : atoms) {
      if (std::binary_search(present_.begin(), present_.end(), atom)) continue;
      present_.insert(std::lower_bound(present_.begin(), present_.end(), atom),
                      atom);
      std::vector<int32_t> in{0};
      index_.ForEachInside(
          atom, [&in](size_t u) { in.push_back(static_cast<int32_t>(u + 1)); });
      std::sort(in.begin(), in.end());
      const std::vector<double> ones(in.size(), 1.0);
      const double lower = -Around(atom) / rho_;
      model_.addColumn(static_cast<int32_t>(in.size()), in.data(), ones.data(),
                       lower, COIN_DBL_MAX, 0.0);
      atoms_.push_back(atom);
    }
  }

  // Column generation, every atom priced in floating point.
  bool Generate(double seconds, AtomClock::time_point start) {
    for (int32_t round = 0; round < kRefinementRounds; ++round) {
      if (seconds > 0) {
        model_.setMaximumWallSeconds(SecondsLeft(seconds, start, 1e-3));
      }
      model_.primal();
      if (!model_.isProvenOptimal()) return false;
      const double* y = model_.dualRowSolution();
      const std::vector<double> f =
          SumsOverAtoms(masks_, std::vector<double>(y + 1, y + rows_), n_);
      std::vector<std::pair<double, AtomMask>> entering;
      for (AtomMask a = 0; a < f.size(); ++a) {
        const double gain = y[0] + f[a];
        if (gain > kRefinementPricingTolerance &&
            !std::binary_search(present_.begin(), present_.end(), a)) {
          entering.push_back({-gain, a});
        }
      }
      if (entering.empty()) return true;
      if (entering.size() > kRefinementColumnsPerRound) {
        std::nth_element(entering.begin(),
                         entering.begin() + kRefinementColumnsPerRound,
                         entering.end());
        entering.resize(kRefinementColumnsPerRound);
      }
      std::vector<AtomMask> atoms;
      for (const auto& [gain, a] : entering) atoms.push_back(a);
      AddAtoms(atoms);
      if (seconds > 0 && SecondsSince(start) > seconds) return false;
    }
    return false;
  }

  // The largest change of a number that the distribution xBar + rho d of
  // the last solve (negative atoms dropped, normalised) needs, exactly.
  Rational Deviation() const {
    const double* d = model_.primalColumnSolution() + firstAtom_;
    const Rational rho = ExactValue(rho_);
    RationalVector rows(rows_ - 1, Rational(0));
    Rational total = 0;
    for (size_t i = 0; i < atoms_.size(); ++i) {
      if (!std::isfinite(d[i])) return Rational(-1);
      const Rational x = ExactValue(Around(atoms_[i])) + rho * ExactValue(d[i]);
      if (sgn(x) <= 0) continue;
      total += x;
      index_.ForEachInside(atoms_[i], [&](size_t u) { rows[u] += x; });
    }
    if (total == 0) return Rational(-1);
    Rational largest = 0;
    for (int32_t r = 1; r < rows_; ++r) {
      largest = std::max(
          largest, Rational(abs(rows[r - 1] / total - ValueOf(data_, r - 1))));
    }
    return largest;
  }

  // The exact duals of the last basis; the certified epsilon where they
  // are feasible, else *violated gets the atoms that price above 0.
  Rational Certify(std::vector<AtomMask>* violated) {
    // Rows whose dual the basis fixes, and the basic atoms.
    std::vector<int32_t> fixed(rows_, 2);  // 2: not fixed
    for (int32_t r = 0; r < rows_; ++r) {
      if (model_.getRowStatus(r) == ClpSimplex::basic) fixed[r] = 0;
      if (model_.getColumnStatus(2 * r) == ClpSimplex::basic) fixed[r] = 1;
      if (model_.getColumnStatus(2 * r + 1) == ClpSimplex::basic) {
        fixed[r] = -1;
      }
    }
    std::vector<AtomMask> basic;
    for (size_t i = 0; i < atoms_.size(); ++i) {
      if (model_.getColumnStatus(firstAtom_ + static_cast<int>(i)) ==
          ClpSimplex::basic) {
        basic.push_back(atoms_[i]);
      }
    }
    std::vector<int32_t> free;
    for (int32_t r = 0; r < rows_; ++r) {
      if (fixed[r] == 2) free.push_back(r);
    }
    if (free.size() != basic.size()) return Rational(-1);
    const auto rowSet = [this](int32_t r) {
      return r == 0 ? AtomMask{0} : masks_[r - 1];
    };
    // Basic atom s: sum of the free y_r inside it = -(the fixed ones).
    std::vector<std::vector<int32_t>> ones(free.size());
    std::vector<mpz_class> rhs(basic.size(), 0);
    for (size_t s = 0; s < basic.size(); ++s) {
      for (int32_t r = 0; r < rows_; ++r) {
        if (!Inside(basic[s], rowSet(r))) continue;
        if (fixed[r] == 2) continue;
        rhs[s] -= fixed[r];
      }
    }
    for (size_t i = 0; i < free.size(); ++i) {
      for (size_t s = 0; s < basic.size(); ++s) {
        if (Inside(basic[s], rowSet(free[i]))) {
          ones[i].push_back(static_cast<int32_t>(s));
        }
      }
    }
    std::vector<mpz_class> w;
    mpz_class denominator = 1;
    if (!basic.empty() && !SolveTransposed(ones, rhs, &w, &denominator)) {
      return Rational(-1);
    }
    // y = numerators / denominator.
    std::vector<mpz_class> y(rows_);
    for (int32_t r = 0; r < rows_; ++r) {
      if (fixed[r] != 2) y[r] = denominator * fixed[r];
    }
    for (size_t i = 0; i < free.size(); ++i) y[free[i]] = w[i];
    // Every atom: y0 + F(a) <= 0, exactly.
    const std::vector<mpz_class> f = SumsOverAtoms(
        masks_, std::vector<mpz_class>(y.begin() + 1, y.end()), n_);
    for (AtomMask a = 0; a < f.size(); ++a) {
      if (y[0] + f[a] > 0) violated->push_back(a);
    }
    if (!violated->empty()) return Rational(-1);
    mpz_class dot = 0;
    mpz_class norm = 0;
    for (int32_t r = 1; r < rows_; ++r) {
      dot += ScaledValue(data_, static_cast<size_t>(r - 1)) * y[r];
      norm += abs(y[r]);
    }
    if (norm == 0) return Rational(-1);
    // (y0 + b . y) / sum |y_u|, the common denominator cancelled.
    Rational value(y[0] * data_.scale + dot, data_.scale * norm);
    value.canonicalize();
    return value;
  }

  // a^T w = rhs for the 0/1 matrix a with the given ones per row: by
  // refinement, backed up by elimination where it is small.
  static bool SolveTransposed(const std::vector<std::vector<int32_t>>& ones,
                              const std::vector<mpz_class>& rhs,
                              std::vector<mpz_class>* w,
                              mpz_class* denominator) {
    const ZeroOneSystem system(ones);
    if (system.Factored() && system.Solve(rhs, true, w, denominator)) {
      return true;
    }
    if (ones.size() > kMaxEliminated) return false;
    IntegerMatrix a(ones.size(), std::vector<mpz_class>(ones.size(), 0));
    for (size_t i = 0; i < ones.size(); ++i) {
      for (int32_t s : ones[i]) a[s][i] = 1;
    }
    return SolveIntegerSystem(a, rhs, w, denominator);
  }

  const ExactData& data_;
  const std::vector<AtomMask>& masks_;
  const int32_t n_;
  const SubsetIndex index_;
  int32_t rows_ = 0;
  std::vector<std::pair<AtomMask, double>> around_;  // sorted
  double rho_ = 1.0;
  ClpSimplex model_;
  int firstAtom_ = 0;
  std::vector<AtomMask> present_;  // sorted
  std::vector<AtomMask> atoms_;
};

}  // namespace

AtomsCertificate CertifyInfeasibility(const ExactData& data,
                                      const std::vector<AtomMask>& masks,
                                      int32_t n,
                                      const std::vector<AtomMask>& atoms,
                                      const RealVector& probabilities,
                                      double seconds) {
  if (n < 1 || n > kFullRefinementLimit) return {};
  return FirstPhase(data, masks, n, atoms, probabilities).Run(seconds);
}

Rational LargestDeviation(const ExactData& data,
                          const std::vector<AtomMask>& masks,
                          const std::vector<AtomMask>& atoms,
                          const RealVector& probabilities) {
  // Each probability exactly as the double it is (rare events need every
  // bit of their exponent); the distribution is normalised exactly.
  std::vector<Rational> rows(masks.size(), Rational(0));
  Rational total = 0;
  const SubsetIndex index(masks);
  for (size_t i = 0; i < atoms.size(); ++i) {
    const double p = probabilities[i];
    if (!(p > 0) || !std::isfinite(p) || p > 2.0) continue;
    const Rational weight = ExactValue(p);
    total += weight;
    index.ForEachInside(atoms[i], [&](size_t u) { rows[u] += weight; });
  }
  if (total == 0) return Rational(-1);
  // |rows[u] / total - scaled[u] / scale|.
  Rational largest = 0;
  for (size_t u = 0; u < masks.size(); ++u) {
    Rational value(ScaledValue(data, u), data.scale);
    value.canonicalize();
    const Rational difference = abs(rows[u] / total - value);
    if (difference > largest) largest = difference;
  }
  return largest;
}

FullEpsilon SolveFullEpsilon(
    const ExactData& data, const SubsetList& subsets, int32_t n, double seconds,
    const std::function<void(int32_t, int32_t)>& progress) {
  const auto start = AtomClock::now();
  FullEpsilon epsilon;
  if (n < 1 || n > kFullMaxEvents) return epsilon;
  const std::vector<AtomMask> masks = SubsetMasks(subsets);
  const RealVector rhs = MasterRhs(data, masks.size());
  const SubsetIndex index(masks);
  AtomMaster master(index, rhs, AtomSense::kEpsilon, 0.0);
  master.AddStartingAtoms(n);
  ColumnGenerationOptions generation;
  generation.sense = AtomSense::kEpsilon;
  generation.seconds = ColumnGenerationSeconds(seconds, n);
  generation.progress = progress;
  const ColumnGenerationResult columns =
      GenerateColumns(&master, index, rhs, n, generation, {}, -HUGE_VAL);
  epsilon.rounds = columns.rounds;
  epsilon.atLeast = 0;
  for (const RealVector* y : {&columns.y, &columns.bestY}) {
    if (y->empty() || (y == &columns.bestY && *y == columns.y)) continue;
    const ExactLagrangian lagrangian =
        CertifyDuals(data, masks, n, AtomSense::kEpsilon, *y,
                     SecondsLeft(seconds, start, 1.0) / 2);
    if (lagrangian.norm > 0) {
      epsilon.atLeast =
          std::max(epsilon.atLeast, Rational(lagrangian.sum / lagrangian.norm));
    }
  }
  const std::vector<AtomMask> support = master.Support();
  const RealVector probabilities = master.SupportProbabilities();
  epsilon.suffices = LargestDeviation(data, masks, support, probabilities);
  // Floating duals certify an epsilon only down to their own error; around
  // the distribution found the first phase resolves the misfit itself and
  // its exact duals prove what they prove at any size.
  const AtomsCertificate refined = CertifyInfeasibility(
      data, masks, n, support, probabilities, SecondsLeft(seconds, start, 1.0));
  epsilon.atLeast = std::max(epsilon.atLeast, refined.atLeast);
  if (refined.suffices >= 0 &&
      (epsilon.suffices < 0 || refined.suffices < epsilon.suffices)) {
    epsilon.suffices = refined.suffices;
  }
  epsilon.sufficesFound = epsilon.suffices >= 0;
  epsilon.computed = true;
  epsilon.seconds = SecondsSince(start);
  return epsilon;
}

}  // namespace unionbound::sharp
