#include "sharp/exact/linear_solve.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace unionbound::sharp {

bool SolveIntegerSystem(IntegerMatrix a, std::vector<mpz_class> b,
                        std::vector<mpz_class>* numerators,
                        mpz_class* denominator) {
  const size_t k = a.size();
  mpz_class previous = 1;
  mpz_class t;
  // Forward elimination: after step p, row i > p holds the determinants of
  // the leading (p + 1)-minors bordered by row i, divided exactly.
  for (size_t p = 0; p < k; ++p) {
    size_t pivot = p;
    while (pivot < k && sgn(a[pivot][p]) == 0) ++pivot;
    if (pivot == k) return false;
    std::swap(a[p], a[pivot]);
    std::swap(b[p], b[pivot]);
    const mpz_class& d = a[p][p];
    for (size_t i = p + 1; i < k; ++i) {
      const mpz_class& f = a[i][p];
      const bool zero = sgn(f) == 0;
      for (size_t j = p + 1; j < k; ++j) {
        mpz_class& v = a[i][j];
        if (sgn(v) != 0) v *= d;
        if (!zero && sgn(a[p][j]) != 0) {
          mpz_mul(t.get_mpz_t(), f.get_mpz_t(), a[p][j].get_mpz_t());
          v -= t;
        }
        if (sgn(v) != 0)
          mpz_divexact(v.get_mpz_t(), v.get_mpz_t(), previous.get_mpz_t());
      }
      b[i] *= d;
      if (!zero) b[i] -= f * b[p];
      mpz_divexact(b[i].get_mpz_t(), b[i].get_mpz_t(), previous.get_mpz_t());
      a[i][p] = 0;
    }
    previous = d;
  }
  // Back substitution of det * x, integral by Cramer's rule.
  const mpz_class det = a[k - 1][k - 1];
  std::vector<mpz_class>& x = *numerators;
  x.assign(k, 0);
  for (size_t i = k; i-- > 0;) {
    mpz_class s = det * b[i];
    for (size_t j = i + 1; j < k; ++j) {
      if (sgn(a[i][j]) != 0) s -= a[i][j] * x[j];
    }
    mpz_class r;
    mpz_tdiv_qr(x[i].get_mpz_t(), r.get_mpz_t(), s.get_mpz_t(),
                a[i][i].get_mpz_t());
    if (sgn(r) != 0) return false;
  }
  *denominator = det;
  if (sgn(det) < 0) {
    *denominator = -det;
    for (mpz_class& v : x) v = -v;
  }
  return k > 0;
}

ZeroOneSystem::ZeroOneSystem(std::vector<std::vector<int32_t>> ones)
    : k_(ones.size()), ones_(std::move(ones)) {
  Factor();
}

// LU with partial pivoting, right-looking; zeros below a pivot are skipped,
// which these sparse 0/1 matrices have many of.
void ZeroOneSystem::Factor() {
  const size_t k = k_;
  if (k == 0) return;
  lu_.assign(k * k, 0.0);
  for (size_t i = 0; i < k; ++i) {
    for (int32_t j : ones_[i]) lu_[i * k + static_cast<size_t>(j)] = 1.0;
  }
  permutation_.resize(k);
  for (size_t i = 0; i < k; ++i) permutation_[i] = i;
  for (size_t p = 0; p < k; ++p) {
    size_t pivot = p;
    for (size_t i = p + 1; i < k; ++i) {
      if (std::fabs(lu_[i * k + p]) > std::fabs(lu_[pivot * k + p])) pivot = i;
    }
    const double d = lu_[pivot * k + p];
    if (std::fabs(d) < 1e-9) return;
    if (pivot != p) {
      std::swap_ranges(lu_.begin() + p * k, lu_.begin() + (p + 1) * k,
                       lu_.begin() + pivot * k);
      std::swap(permutation_[p], permutation_[pivot]);
    }
    const double* top = &lu_[p * k];
    for (size_t i = p + 1; i < k; ++i) {
      double* row = &lu_[i * k];
      if (row[p] == 0.0) continue;
      const double f = row[p] / d;
      row[p] = f;
      for (size_t j = p + 1; j < k; ++j) row[j] -= f * top[j];
    }
  }
  factored_ = true;
}

std::vector<double> ZeroOneSystem::SolveApproximately(std::vector<double> r,
                                                      bool transposed) const {
  const size_t k = k_;
  std::vector<double> x(k);
  if (!transposed) {
    // L U x = P r.
    for (size_t i = 0; i < k; ++i) {
      double v = r[permutation_[i]];
      for (size_t j = 0; j < i; ++j) v -= lu_[i * k + j] * x[j];
      x[i] = v;
    }
    for (size_t i = k; i-- > 0;) {
      double v = x[i];
      for (size_t j = i + 1; j < k; ++j) v -= lu_[i * k + j] * x[j];
      x[i] = v / lu_[i * k + i];
    }
    return x;
  }
  // U^T L^T (P x) = r: forward through U^T, back through L^T, then unpermute.
  std::vector<double>& z = r;
  for (size_t i = 0; i < k; ++i) {
    z[i] /= lu_[i * k + i];
    const double zi = z[i];
    if (zi == 0.0) continue;
    for (size_t j = i + 1; j < k; ++j) z[j] -= lu_[i * k + j] * zi;
  }
  for (size_t i = k; i-- > 0;) {
    const double qi = z[i];
    if (qi == 0.0) continue;
    for (size_t j = 0; j < i; ++j) z[j] -= lu_[i * k + j] * qi;
  }
  for (size_t i = 0; i < k; ++i) x[permutation_[i]] = z[i];
  return x;
}

std::vector<mpz_class> ZeroOneSystem::Residual(const std::vector<mpz_class>& b,
                                               const std::vector<mpz_class>& v,
                                               bool transposed) const {
  std::vector<mpz_class> r = b;
  for (size_t i = 0; i < k_; ++i) {
    for (int32_t j : ones_[i]) {
      if (transposed) {
        r[static_cast<size_t>(j)] -= v[i];
      } else {
        r[i] -= v[static_cast<size_t>(j)];
      }
    }
  }
  return r;
}

namespace {

// The denominator of the best rational approximation of a / 2^shift whose
// denominator is at most 2^bits (continued fractions).
mpz_class ApproximationDenominator(mpz_class a, size_t shift, size_t bits) {
  mpz_class b = mpz_class(1) << shift;
  const mpz_class bound = mpz_class(1) << bits;
  mpz_class q0 = 1;
  mpz_class q1 = 0;
  mpz_class c;
  mpz_class rest;
  while (sgn(b) != 0) {
    mpz_fdiv_qr(c.get_mpz_t(), rest.get_mpz_t(), a.get_mpz_t(), b.get_mpz_t());
    const mpz_class q2 = c * q1 + q0;
    if (q2 > bound) break;
    q0 = q1;
    q1 = q2;
    a = b;
    b = rest;
  }
  return sgn(q1) == 0 ? mpz_class(1) : q1;
}

// a / 2^shift rounded to the nearest integer.
mpz_class RoundShifted(const mpz_class& a, size_t shift) {
  mpz_class r = a + (mpz_class(1) << (shift - 1));
  mpz_fdiv_q_2exp(r.get_mpz_t(), r.get_mpz_t(), shift);
  return r;
}

}  // namespace

// Candidate x = p / q from x ~ approximation / 2^shift, good to about
// shift - kSlack bits: a common denominator grown from continued fractions
// of each entry in turn. Only a guess; the caller checks it exactly.
bool ZeroOneSystem::Reconstruct(const std::vector<mpz_class>& approximation,
                                size_t shift, std::vector<mpz_class>* p,
                                mpz_class* q) const {
  constexpr size_t kSlack = 24;
  if (shift <= 2 * kSlack) return false;
  const size_t bits = (shift - kSlack) / 2;
  const mpz_class bound = mpz_class(1) << bits;
  mpz_class common = 1;
  for (const mpz_class& a : approximation) {
    const mpz_class t = common * a;
    // Already integral under the common denominator, to the precision?
    const mpz_class nearest = RoundShifted(t, shift);
    mpz_class gap = t - (nearest << shift);
    if (sgn(gap) < 0) gap = -gap;
    if (gap <= (common << (kSlack + 1))) continue;
    common *= ApproximationDenominator(t, shift, bits);
    if (common > bound) return false;
  }
  p->resize(approximation.size());
  for (size_t i = 0; i < approximation.size(); ++i) {
    (*p)[i] = RoundShifted(common * approximation[i], shift);
  }
  *q = common;
  return true;
}

bool ZeroOneSystem::Solve(const std::vector<mpz_class>& b, bool transposed,
                          std::vector<mpz_class>* numerators,
                          mpz_class* denominator) const {
  if (!factored_ || b.size() != k_) return false;
  // v / 2^shift approximates x ever closer: each round scales v up by
  // kStep bits and adds the rounded correction for the exact residual.
  constexpr size_t kStep = 30;
  constexpr int32_t kMaxRounds = 400;
  std::vector<mpz_class> v(k_, 0);
  std::vector<double> approximate(k_);
  size_t shift = 0;
  for (int32_t round = 0; round < kMaxRounds; ++round) {
    std::vector<mpz_class> target(k_);
    for (size_t i = 0; i < k_; ++i) target[i] = b[i] << shift;
    const std::vector<mpz_class> r = Residual(target, v, transposed);
    bool exact = true;
    double largest = 0.0;
    for (size_t i = 0; i < k_; ++i) {
      approximate[i] = r[i].get_d();
      largest = std::max(largest, std::fabs(approximate[i]));
      if (sgn(r[i]) != 0) exact = false;
    }
    if (exact) {
      *numerators = std::move(v);
      *denominator = mpz_class(1) << shift;
      return true;
    }
    // The residual must shrink well below the step, or the factorization
    // is too inaccurate to refine with.
    if (round > 1 && largest > std::ldexp(1.0, kStep + 8) * k_) return false;
    if (round > 0 && round % 4 == 0) {
      std::vector<mpz_class> p;
      mpz_class q;
      if (Reconstruct(v, shift, &p, &q)) {
        std::vector<mpz_class> scaled(k_);
        for (size_t i = 0; i < k_; ++i) scaled[i] = b[i] * q;
        const std::vector<mpz_class> check = Residual(scaled, p, transposed);
        if (std::all_of(check.begin(), check.end(),
                        [](const mpz_class& e) { return sgn(e) == 0; })) {
          *numerators = std::move(p);
          *denominator = q;
          return true;
        }
      }
    }
    const std::vector<double> step =
        SolveApproximately(approximate, transposed);
    for (size_t i = 0; i < k_; ++i) {
      const double rounded = std::nearbyint(step[i]);
      if (!std::isfinite(rounded)) return false;
      if (rounded != 0.0) v[i] += mpz_class(rounded);
    }
    for (mpz_class& e : v) e <<= kStep;
    shift += kStep;
  }
  return false;
}

}  // namespace unionbound::sharp
