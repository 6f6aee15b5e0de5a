#include "reference/moment_shift.h"

#include <cstddef>

#include "numeric/labels.h"
#include "numeric/subset_order.h"

namespace unionbound::reference {

namespace {

int32_t FindLabel(const LabelList& labels, const Label& key) {
  for (std::size_t t = 0; t < labels.size(); ++t) {
    if (labels[t] == key) return static_cast<int32_t>(t);
  }
  return -1;
}

// The order-e moment of subsequence d about -c:
// sum over j = 0 .. e of C(e,j) c^(e-j) mu_j with mu_0 = 1, accumulated as
// the middle terms first, then the two outer terms.
double ShiftSingle(const RealVector& mu, const LabelList& labels, int32_t d,
                   int32_t e, double c) {
  double s = 0.0;
  for (int32_t j = 1; j <= e - 1; ++j) {
    s = IntPower(c, e - j) * ElementOrNaN(mu, FindSingleLabel(labels, d, j)) *
            Binomial(e, j) +
        s;
  }
  return (IntPower(c, e) + ElementOrNaN(mu, FindSingleLabel(labels, d, e))) + s;
}

// The mixed moment of orders (e1, e2) of subsequences (d1, d2) about
// (-c1, -c2): the double sum of C(e1,j1) C(e2,j2) c1^(e1-j1) c2^(e2-j2)
// m(j1,j2), grouped by which of j1, j2 are 0, inner or full order. The
// order of the groups fixes the rounding of the result.
double ShiftPair(const RealVector& mu, const LabelList& labels, int32_t d1,
                 int32_t d2, int32_t e1, int32_t e2, double c1, double c2) {
  auto m1 = [&](int32_t j1) {
    return ElementOrNaN(mu, FindSingleLabel(labels, d1, j1));
  };
  auto m2 = [&](int32_t j2) {
    return ElementOrNaN(mu, FindSingleLabel(labels, d2, j2));
  };
  auto m12 = [&](int32_t j1, int32_t j2) {
    return ElementOrNaN(mu, FindPairLabel(labels, d1, d2, j1, j2));
  };

  double s = IntPower(c2, e2) * IntPower(c1, e1);
  for (int32_t j1 = 1; j1 <= e1 - 1; ++j1) {
    s = (IntPower(c1, e1 - j1) * IntPower(c2, e2)) * m1(j1) * Binomial(e1, j1) +
        s;
  }
  s = IntPower(c2, e2) * m1(e1) + s;
  for (int32_t j2 = 1; j2 <= e2 - 1; ++j2) {
    s = (IntPower(c1, e1) * IntPower(c2, e2 - j2)) * m2(j2) * Binomial(e2, j2) +
        s;
  }
  s = IntPower(c1, e1) * m2(e2) + s;
  for (int32_t j1 = 1; j1 <= e1 - 1; ++j1) {
    for (int32_t j2 = 1; j2 <= e2 - 1; ++j2) {
      const int32_t coefficient = Binomial(e1, j1) * Binomial(e2, j2);
      s = (IntPower(c1, e1 - j1) * IntPower(c2, e2 - j2)) * m12(j1, j2) *
              coefficient +
          s;
    }
  }
  s = s + m12(e1, e2);
  for (int32_t j1 = 1; j1 <= e1 - 1; ++j1) {
    s = IntPower(c1, e1 - j1) * m12(j1, e2) * Binomial(e1, j1) + s;
  }
  for (int32_t j2 = 1; j2 <= e2 - 1; ++j2) {
    s = IntPower(c2, e2 - j2) * m12(e1, j2) * Binomial(e2, j2) + s;
  }
  return s;
}

}  // namespace

int32_t FindSingleLabel(const LabelList& labels, int32_t x, int32_t y) {
  return FindLabel(labels, Label{{x}, {y}});
}

int32_t FindPairLabel(const LabelList& labels, int32_t x1, int32_t x2,
                      int32_t y1, int32_t y2) {
  return FindLabel(labels, Label{{x1, x2}, {y1, y2}});
}

RealVector ShiftMoments(const RealVector& mu, const RealVector& p,
                        const LabelList& labels, const IndexVector& B) {
  RealVector r = {1.0};
  const int32_t S = ScalarProduct(B, IndexVector(B.size(), 1));
  const int64_t L = static_cast<int64_t>(labels.size());

  for (int64_t t = 1; t <= S && t < L; ++t) {
    const LabelParts label = PartsOf(labels[static_cast<std::size_t>(t)]);
    const double c = -ElementOrNaN(p, int64_t{label.d1} - 1);
    r.push_back(ShiftSingle(mu, labels, label.d1, label.e1, c));
  }
  // Position 0 is the constant even when B holds negative counts.
  const int64_t firstPair = S < 0 ? 1 : int64_t{S} + 1;
  for (int64_t t = firstPair; t < L; ++t) {
    const LabelParts label = PartsOf(labels[static_cast<std::size_t>(t)]);
    const double c1 = -ElementOrNaN(p, int64_t{label.d1} - 1);
    const double c2 = -ElementOrNaN(p, int64_t{label.d2} - 1);
    r.push_back(
        ShiftPair(mu, labels, label.d1, label.d2, label.e1, label.e2, c1, c2));
  }
  return r;
}

}  // namespace unionbound::reference
