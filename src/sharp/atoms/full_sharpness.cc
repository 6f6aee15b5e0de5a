#include "sharp/atoms/full_sharpness.h"

#include <bit>
#include <chrono>
#include <cmath>
#include <memory>

#include "sharp/atoms/atom_columns.h"
#include "sharp/exact/linear_solve.h"

namespace unionbound::sharp {
namespace {

using Clock = std::chrono::steady_clock;

// More atoms than this with a reduced cost the rounding leaves open give no
// proof: each is priced in exact integers (about 15 microseconds each at
// 300 rows). Degenerate optima beyond enumeration leave many: 107,520 for
// the lower bound of a rare-events system at n = 24, m = 2.
constexpr size_t kMaxOpenAtoms = 2000000;
// Up to this many events every atom can be priced exactly at once.
constexpr int32_t kMaxExactlyEnumerated = 20;
// Up to this support fraction-free elimination backs up the refinement.
constexpr size_t kMaxEliminatedSupport = 400;

bool Contains(AtomMask atom, AtomMask set) { return (set & ~atom) == 0; }

// Row 0 is the total (inside every atom), row u + 1 data value u.
AtomMask RowMask(const std::vector<AtomMask>& masks, size_t r) {
  return r == 0 ? 0 : masks[r - 1];
}

// As many rows as atoms whose restriction to the support is linearly
// independent, by elimination in doubles (the exact solve then tells
// whether they really are); empty when there are none.
std::vector<size_t> IndependentRows(const std::vector<AtomMask>& masks,
                                    const std::vector<AtomMask>& support) {
  const size_t k = support.size();
  // As many atoms as rows: all of them, or none.
  if (k == masks.size() + 1) {
    std::vector<size_t> all(k);
    for (size_t r = 0; r < k; ++r) all[r] = r;
    return all;
  }
  std::vector<std::vector<double>> basis;
  std::vector<size_t> pivots;
  std::vector<size_t> rows;
  std::vector<double> v(k);
  for (size_t r = 0; r <= masks.size() && rows.size() < k; ++r) {
    const AtomMask set = RowMask(masks, r);
    for (size_t s = 0; s < k; ++s) v[s] = Contains(support[s], set) ? 1 : 0;
    for (size_t j = 0; j < basis.size(); ++j) {
      const double f = v[pivots[j]];
      if (f == 0) continue;
      for (size_t s = 0; s < k; ++s) v[s] -= f * basis[j][s];
    }
    size_t p = 0;
    for (size_t s = 1; s < k; ++s) {
      if (std::fabs(v[s]) > std::fabs(v[p])) p = s;
    }
    if (std::fabs(v[p]) < 1e-9) continue;
    const double pivot = v[p];
    for (double& e : v) e /= pivot;
    basis.push_back(v);
    pivots.push_back(p);
    rows.push_back(r);
  }
  if (rows.size() < k) rows.clear();
  return rows;
}

// The largest bits such that every sum of values rounded to 2^-bits fits
// in 64 bits; -1 when they are not finite.
int32_t Bits(const std::vector<double>& values) {
  double total = 1.0 + static_cast<double>(values.size());
  for (double v : values) total += std::fabs(v);
  if (!std::isfinite(total) || total > 0x1p59) return -1;
  const int32_t magnitude = static_cast<int32_t>(std::ceil(std::log2(total)));
  return std::max(0, std::min(50, 60 - magnitude));
}

class Prover {
 public:
  Prover(const ExactData& data, const std::vector<AtomMask>& masks, int32_t n,
         bool upper, const std::vector<AtomMask>& support, double seconds,
         const CountTarget& target)
      : data_(data),
        masks_(masks),
        n_(n),
        upper_(upper),
        target_(target),
        support_(support),
        seconds_(seconds),
        start_(Clock::now()) {}

  FullOptimumProof Run(const std::vector<double>& y) {
    FullOptimumProof proof;
    const size_t k = support_.size();
    if (k == 0 || k > kFullMaxProvenSupport) return proof;
    rows_ = IndependentRows(masks_, support_);
    if (rows_.empty() || OutOfTime()) return proof;
    if (!SolvePrimal()) return proof;
    proof.negativeAtoms = NegativeAtoms();
    if (!proof.negativeAtoms.empty() || !PrimalFeasible() || OutOfTime()) {
      return proof;
    }
    if (!SolveDual(y) || OutOfTime()) return proof;
    // c . x, the probability of the target under x.
    mpz_class mass = 0;
    for (size_t s = 0; s < k; ++s) {
      if (Counts(target_, std::popcount(support_[s]))) mass += x_[s];
    }
    proof.value = Rational(mass, xDenominator_ * data_.scale);
    proof.value.canonicalize();
    if (!DualMatchesPrimal(proof.value) || !NoAtomPricesOut()) return proof;
    proof.proven = true;
    for (const mpz_class& v : x_) {
      proof.probabilities.emplace_back(v, xDenominator_ * data_.scale);
      proof.probabilities.back().canonicalize();
    }
    return proof;
  }

 private:
  bool OutOfTime() const {
    return seconds_ > 0 &&
           std::chrono::duration<double>(Clock::now() - start_).count() >
               seconds_;
  }

  double SecondsLeft() const {
    if (seconds_ <= 0) return 0.0;
    return std::max(
        1e-3, seconds_ -
                  std::chrono::duration<double>(Clock::now() - start_).count());
  }

  // Row r of the data times scale: an integer.
  mpz_class ScaledRhs(size_t r) const {
    return r == 0 ? data_.scale : ScaledValue(data_, r - 1);
  }

  // The chosen rows restricted to the support: which atoms each holds.
  std::vector<std::vector<int32_t>> ChosenOnes() const {
    std::vector<std::vector<int32_t>> ones(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
      const AtomMask set = RowMask(masks_, rows_[i]);
      for (size_t s = 0; s < support_.size(); ++s) {
        if (Contains(support_[s], set)) {
          ones[i].push_back(static_cast<int32_t>(s));
        }
      }
    }
    return ones;
  }

  // Solves the chosen rows (or their transpose) exactly: by refinement
  // over a floating-point factorization, backed up by fraction-free
  // elimination where the support is small.
  bool SolveChosen(const std::vector<mpz_class>& b, bool transposed,
                   std::vector<mpz_class>* numerators, mpz_class* denominator) {
    if (!system_) system_ = std::make_unique<ZeroOneSystem>(ChosenOnes());
    if (system_->Solve(b, transposed, numerators, denominator)) return true;
    return support_.size() <= kMaxEliminatedSupport &&
           SolveIntegerSystem(ChosenRows(transposed), b, numerators,
                              denominator);
  }

  IntegerMatrix ChosenRows(bool transposed) const {
    const size_t k = support_.size();
    IntegerMatrix a(k, std::vector<mpz_class>(k));
    const std::vector<std::vector<int32_t>> ones = ChosenOnes();
    for (size_t i = 0; i < k; ++i) {
      for (int32_t s : ones[i]) (transposed ? a[s][i] : a[i][s]) = 1;
    }
    return a;
  }

  // x = x_ / (xDenominator_ * scale) from the chosen rows.
  bool SolvePrimal() {
    std::vector<mpz_class> rhs;
    for (size_t r : rows_) rhs.push_back(ScaledRhs(r));
    return SolveChosen(rhs, false, &x_, &xDenominator_);
  }

  std::vector<AtomMask> NegativeAtoms() const {
    std::vector<AtomMask> negative;
    for (size_t s = 0; s < x_.size(); ++s) {
      if (sgn(x_[s]) < 0) negative.push_back(support_[s]);
    }
    return negative;
  }

  // Every row, not only the chosen ones, holds exactly.
  bool PrimalFeasible() const {
    for (size_t r = 0; r <= masks_.size(); ++r) {
      const AtomMask set = RowMask(masks_, r);
      mpz_class sum = 0;
      for (size_t s = 0; s < support_.size(); ++s) {
        if (Contains(support_[s], set)) sum += x_[s];
      }
      if (sum != xDenominator_ * ScaledRhs(r)) return false;
    }
    return true;
  }

  mpz_class AtomCostUnits(AtomMask atom, const mpz_class& unit) const {
    if (!Counts(target_, std::popcount(atom))) return 0;
    return upper_ ? mpz_class(-unit) : unit;
  }

  // y' = y rounded to 2^-bits, plus the correction on the chosen rows that
  // makes every support atom's reduced cost exactly 0. Kept as integer
  // numerators y_ over yDenominator_.
  bool SolveDual(const std::vector<double>& y) {
    const int32_t bits = Bits(y);
    if (bits < 0) return false;
    const size_t k = support_.size();
    std::vector<mpz_class> rounded(y.size());
    for (size_t r = 0; r < y.size(); ++r) {
      rounded[r] = static_cast<long>(std::llround(std::ldexp(y[r], bits)));
    }
    const mpz_class unit = mpz_class(1) << bits;
    std::vector<mpz_class> residual(k);
    for (size_t s = 0; s < k; ++s) {
      residual[s] = AtomCostUnits(support_[s], unit);
      for (size_t r = 0; r < y.size(); ++r) {
        if (Contains(support_[s], RowMask(masks_, r)))
          residual[s] -= rounded[r];
      }
    }
    std::vector<mpz_class> w;
    mpz_class wDenominator;
    if (!SolveChosen(residual, true, &w, &wDenominator)) {
      return false;
    }
    y_.resize(y.size());
    for (size_t r = 0; r < y.size(); ++r) y_[r] = rounded[r] * wDenominator;
    for (size_t i = 0; i < k; ++i) y_[rows_[i]] += w[i];
    yDenominator_ = wDenominator * unit;
    return true;
  }

  // b . y' = c . x exactly (the cost of the upper program is minus the
  // probability of the target).
  bool DualMatchesPrimal(const Rational& value) const {
    mpz_class dot = 0;
    for (size_t r = 0; r < y_.size(); ++r) dot += ScaledRhs(r) * y_[r];
    Rational by(dot, yDenominator_ * data_.scale);
    by.canonicalize();
    return by == (upper_ ? Rational(-value) : value);
  }

  // Exact reduced cost of an atom, times yDenominator_, is >= 0.
  bool PricesExactly(AtomMask atom) const {
    mpz_class rc = AtomCostUnits(atom, yDenominator_) - y_[0];
    for (size_t u = 0; u < masks_.size(); ++u) {
      if (Contains(atom, masks_[u])) rc -= y_[u + 1];
    }
    return sgn(rc) >= 0;
  }

  // Every atom's reduced cost under y' is >= 0. The duals rounded up to a
  // power-of-two denominator bound it from below in 64-bit integers; the
  // search lists the atoms that bound leaves open, priced exactly.
  bool NoAtomPricesOut() const {
    if (!PricesExactly(0)) return false;
    // The search below follows the union's costs only.
    if (!IsUnion(target_)) {
      return n_ <= kMaxExactlyEnumerated && EveryAtomPricesExactly();
    }
    std::vector<double> approximate(y_.size());
    for (size_t r = 0; r < y_.size(); ++r) {
      Rational v(y_[r], yDenominator_);
      v.canonicalize();
      approximate[r] = v.get_d();
    }
    const int32_t bits = Bits(approximate);
    if (bits < 0) return false;
    std::vector<int64_t> up(y_.size());
    mpz_class q;
    for (size_t r = 0; r < y_.size(); ++r) {
      mpz_class scaled = y_[r] << bits;
      mpz_cdiv_q(q.get_mpz_t(), scaled.get_mpz_t(), yDenominator_.get_mpz_t());
      if (!q.fits_slong_p()) return false;
      up[r] = q.get_si();
    }
    const int64_t cost = (upper_ ? -1 : 1) * (int64_t{1} << bits);
    AtomSearchOptions options;
    options.seconds = SecondsLeft();
    options.keep = kMaxOpenAtoms + 1;
    const AtomSearchResult<int64_t> open = MaximiseOverAtoms(
        masks_, std::vector<int64_t>(up.begin() + 1, up.end()), n_,
        cost - up[0], options);
    if (!open.complete || open.best.size() > kMaxOpenAtoms) {
      // Degenerate optima leave many atoms at a reduced cost of exactly 0,
      // which no rounding settles.
      return n_ <= kMaxExactlyEnumerated && EveryAtomPricesExactly();
    }
    size_t priced = 0;
    for (const auto& [f, atom] : open.best) {
      if (!PricesExactly(atom)) return false;
      if (++priced % 4096 == 0 && OutOfTime()) return false;
    }
    return true;
  }

  // Every atom's exact reduced cost, all at once: the sum of y' over the
  // data subsets inside each atom by a subset-sum transform in integers.
  bool EveryAtomPricesExactly() const {
    const std::vector<mpz_class> f = SumsOverAtoms(
        masks_, std::vector<mpz_class>(y_.begin() + 1, y_.end()), n_);
    for (size_t a = 1; a < f.size(); ++a) {
      if (AtomCostUnits(a, yDenominator_) - y_[0] - f[a] < 0) return false;
    }
    return true;
  }

  const ExactData& data_;
  const std::vector<AtomMask>& masks_;
  const int32_t n_;
  const bool upper_;
  const CountTarget target_;
  const std::vector<AtomMask>& support_;
  const double seconds_;
  const Clock::time_point start_;
  std::vector<size_t> rows_;
  std::unique_ptr<ZeroOneSystem> system_;
  std::vector<mpz_class> x_;
  mpz_class xDenominator_;
  std::vector<mpz_class> y_;
  mpz_class yDenominator_;
};

}  // namespace

FullOptimumProof ProveFullOptimum(const ExactData& data,
                                  const std::vector<AtomMask>& masks, int32_t n,
                                  bool upper,
                                  const std::vector<AtomMask>& support,
                                  const std::vector<double>& y, double seconds,
                                  const CountTarget& target) {
  return Prover(data, masks, n, upper, support, seconds, target).Run(y);
}

}  // namespace unionbound::sharp
