#include "sharp/atoms/certificate.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace unionbound::sharp {
namespace {

using Mask = AtomMask;

// C(c, k) for c <= n and k <= m (0 where k > c), each below 2^63 for
// n <= 64.
std::vector<std::vector<int64_t>> BinomialTable(int32_t n, int32_t m) {
  std::vector<std::vector<int64_t>> binomial(n + 1,
                                             std::vector<int64_t>(m + 1, 0));
  for (int32_t c = 0; c <= n; ++c) {
    binomial[c][0] = 1;
    for (int32_t k = 1; k <= std::min(c, m); ++k) {
      binomial[c][k] = binomial[c - 1][k - 1] + binomial[c - 1][k];
    }
  }
  return binomial;
}

// Where every data subset's dual depends only on how many of its events
// fall among the first `split` and how many among the rest (as for duals
// lifted from a moment program), an atom's reduced cost depends only on
// those two counts of its own: the least over the nonempty atoms is the least
// over (split + 1) (n - split + 1) cells, exactly and at once for any n.
// Each kind of subset must be present in full or not at all. False where
// the rounded duals Y (Y[0] the total) are not of that form. m is the
// largest data subset, `binomial` the table of BinomialTable(n, m).
bool LeastOverSplitCells(const std::vector<Mask>& masks,
                         const std::vector<int64_t>& rounded, int32_t n,
                         int32_t m,
                         const std::vector<std::vector<int64_t>>& binomial,
                         int32_t split, int64_t cost, const CountTarget& target,
                         int64_t* least) {
  const int32_t kinds = m + 1;
  const Mask first = (Mask{1} << split) - 1;
  std::vector<int64_t> dual(kinds * kinds, 0);
  std::vector<int64_t> count(kinds * kinds, 0);
  for (size_t u = 0; u < masks.size(); ++u) {
    const int32_t kind = std::popcount(masks[u] & first) * kinds +
                         std::popcount(masks[u] & ~first);
    if (count[kind]++ == 0) {
      dual[kind] = rounded[u + 1];
    } else if (dual[kind] != rounded[u + 1]) {
      return false;
    }
  }
  for (int32_t a = 0; a <= m; ++a) {
    for (int32_t b = 0; b + a <= m; ++b) {
      const int64_t kind = count[a * kinds + b];
      if (kind != 0 && (a > split || b > n - split ||
                        kind != binomial[split][a] * binomial[n - split][b])) {
        return false;
      }
    }
  }
  // A cell's sum adds each present subset inside its atoms once, so every
  // partial sum fits in int64 as every sum of rounded duals does; and
  // C(i, a) C(j, b) <= C(i + j, a + b) < 2^63.
  bool none = true;
  for (int32_t i = 0; i <= split; ++i) {
    for (int32_t j = 0; j <= n - split; ++j) {
      int64_t sum = 0;
      for (int32_t a = 0; a <= std::min(i, m); ++a) {
        for (int32_t b = 0; b <= std::min(j, m - a); ++b) {
          const int64_t y = dual[a * kinds + b];
          if (y != 0) sum += binomial[i][a] * binomial[j][b] * y;
        }
      }
      if (i + j == 0) continue;
      const int64_t rc = (Counts(target, i + j) ? cost : 0) - rounded[0] - sum;
      *least = none ? rc : std::min(*least, rc);
      none = false;
    }
  }
  return true;
}

// The least reduced cost over the nonempty atoms by split cells, if some
// split fits.
bool LeastBySomeSplit(const std::vector<Mask>& masks,
                      const std::vector<int64_t>& rounded, int32_t n,
                      int64_t cost, const CountTarget& target, int64_t* least) {
  int32_t m = 0;
  for (Mask a : masks) m = std::max(m, std::popcount(a));
  const std::vector<std::vector<int64_t>> binomial = BinomialTable(n, m);
  for (int32_t split = 0; split < n; ++split) {
    if (LeastOverSplitCells(masks, rounded, n, m, binomial, split, cost, target,
                            least)) {
      return true;
    }
  }
  return false;
}

// The largest bits such that every sum of rounded duals fits in int64.
int32_t DualBits(const RealVector& y) {
  double total = 1.0;
  for (double v : y) total += std::fabs(v);
  const int32_t magnitude = static_cast<int32_t>(std::ceil(std::log2(total)));
  return std::max(0, std::min(50, 60 - magnitude));
}

}  // namespace

ExactLagrangian CertifyDuals(const ExactData& data,
                             const std::vector<AtomMask>& masks, int32_t n,
                             AtomSense sense, const RealVector& y,
                             double seconds, const Rational& tolerance,
                             const CountTarget& target) {
  // Any duals give a valid bound; ones that are not finite or too large for
  // 64-bit sums are replaced by 0.
  RealVector usable = y;
  double total = 0.0;
  for (double v : usable) total += std::fabs(v);
  if (!std::isfinite(total) || total > 0x1p59) {
    usable.assign(y.size(), 0.0);
  }
  const int32_t bits = DualBits(usable);
  const double unit = std::ldexp(1.0, bits);
  // Y = y rounded to multiples of 2^-bits, as integers.
  std::vector<int64_t> rounded(y.size());
  for (size_t r = 0; r < y.size(); ++r) {
    rounded[r] = static_cast<int64_t>(std::llround(usable[r] * unit));
  }
  const int64_t one = int64_t{1} << bits;
  // The least reduced cost (in units of 2^-bits) over the nonempty atoms:
  // exact by enumeration or by a complete search, else a lower bound from
  // the nodes the search left open. The empty atom's is -Y0.
  ExactLagrangian result;
  int64_t least = 0;
  // The cost of an atom the target counts; the others cost 0.
  const int64_t cost =
      static_cast<int64_t>(CountCost(1, sense, CountTarget{})) * one;
  const std::vector<int64_t> values(rounded.begin() + 1, rounded.end());
  if (LeastBySomeSplit(masks, rounded, n, cost, target, &least)) {
    result.exactAtoms = true;
  } else if (n <= kExactPricingLimit) {
    result.exactAtoms = true;
    const std::vector<int64_t> f = SumsOverAtoms(masks, values, n);
    least = (Counts(target, 1) ? cost : 0) - rounded[0] - f[1];
    for (Mask a = 2; a < f.size(); ++a) {
      const int64_t c = Counts(target, std::popcount(a)) ? cost : 0;
      least = std::min(least, c - rounded[0] - f[a]);
    }
  } else if (!IsUnion(target)) {
    // Every atom costs at least min(0, cost) and F is at most the search's
    // bound (at least 0, the empty atom's F): a lower bound whatever atoms
    // the target counts.
    AtomSearchOptions options;
    options.seconds = seconds;
    const AtomSearchResult<int64_t> search =
        MaximiseOverAtoms(masks, values, n, int64_t{0}, options);
    result.exactAtoms = false;
    least = std::min<int64_t>(0, cost) - rounded[0] -
            std::max<int64_t>(0, search.bound);
  } else {
    // No nonempty atom has F above max(cost, bound): its reduced cost is at
    // least cost - Y0 - that.
    AtomSearchOptions options;
    options.seconds = seconds;
    const AtomSearchResult<int64_t> search =
        MaximiseOverAtoms(masks, values, n, cost, options);
    result.exactAtoms = search.complete;
    least = cost - rounded[0] - std::max(cost, search.bound);
  }
  // b . Y and the sum of |Y_u|, exactly, with the data as typed.
  mpz_class dot = 0;
  mpz_class norm = 0;
  for (size_t u = 0; u < masks.size(); ++u) {
    const mpz_class value(static_cast<long>(rounded[u + 1]));
    dot += ScaledValue(data, u) * value;
    norm += abs(value);
  }
  const mpz_class denominator = mpz_class(1) << bits;
  Rational by(dot, data.scale * denominator);
  by.canonicalize();
  const Rational y0 =
      Rational(static_cast<long>(rounded[0])) / Rational(denominator);
  const Rational leastAll =
      Rational(static_cast<long>(std::min(-rounded[0], least))) /
      Rational(denominator);
  // Shifted: Y0 lowered by the least reduced cost makes the duals feasible;
  // the bound moves by that shift in absolute terms.
  result.sum = by + y0 + leastAll;
  result.norm = Rational(norm, denominator);
  result.norm.canonicalize();
  // Scaled: with Y0 <= 0 (lowering it keeps every atom priced), t Y is
  // feasible for t = cost / G, G the largest Y0 + F over the nonempty
  // atoms, where that has the sign of the cost. The bound moves by a
  // relative 1 - t, so it keeps its precision when the data are tiny and
  // the floating duals' error dwarfs them. Only the union prices every
  // nonempty atom at the cost: under another target the atoms it does not
  // count cost 0, and scaling keeps none of them priced.
  if (cost != 0 && IsUnion(target)) {
    const int64_t y0Kept = std::min<int64_t>(rounded[0], 0);
    // In units of 2^-bits; both terms may be near 2^60, so in mpz.
    const mpz_class g = mpz_class(static_cast<long>(cost)) -
                        mpz_class(static_cast<long>(least)) -
                        mpz_class(static_cast<long>(rounded[0])) +
                        mpz_class(static_cast<long>(y0Kept));
    if ((cost > 0 && sgn(g) > 0) || (cost < 0 && sgn(g) < 0)) {
      Rational t(mpz_class(std::abs(cost)), abs(g));
      t.canonicalize();
      const Rational sum = t * (by + Rational(static_cast<long>(y0Kept)) /
                                         Rational(denominator));
      const Rational scaledNorm = t * result.norm;
      if (sum - tolerance * scaledNorm > result.sum - tolerance * result.norm) {
        result.sum = sum;
        result.norm = scaledNorm;
      }
    }
  }
  return result;
}

}  // namespace unionbound::sharp
