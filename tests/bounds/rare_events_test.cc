// Bounds of rare events: twelve independent events with P(A_i) = s * i and
// m = 3, where a plain double evaluation of the bounds loses digits as s
// falls (1 minus a weight near 1). The exact bounds of these numbers lie
// within a few units of 1e-16 relative of the values below (the sharp
// bivariate bounds of the same files), so every printed bound must be
// within 1e-9 of them, and the passes must say which were rescaled.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "bounds/pass.h"
#include "bounds/procedure.h"
#include "numeric/subset_order.h"
#include "problem/binomial_moments.h"
#include "problem/power_moments.h"
#include "problem/support_rows.h"

namespace unionbound {
namespace {

constexpr int32_t kN = 12;
constexpr int32_t kM = 3;

// P(A_i) = s * i and every intersection the product of its marginals.
RealVector ScaledIndependent(double s) {
  RealVector p;
  for (const IndexVector& subset : SubsetsBySize(kN, kM)) {
    double product = 1.0;
    for (int32_t i : subset) product *= s * i;
    p.push_back(product);
  }
  return p;
}

struct Best {
  double lower = 0.0;
  double upper = 1.0;
  bool anyRescaled = false;
  bool allAccurate = true;
};

Best BestOfRun(const RealVector& p) {
  Best best;
  MomentBatch moments;
  for (int32_t l = kM; l <= kN - kM; ++l) {
    const Pass pass = ComputePass(p, kN, kM, l, kN - kM, &moments);
    best.lower = l == kM ? -pass.lower.result.value
                         : std::fmax(best.lower, -pass.lower.result.value);
    best.upper = l == kM ? -pass.upper.result.value
                         : std::fmin(best.upper, -pass.upper.result.value);
    best.anyRescaled =
        best.anyRescaled || pass.lower.rescaled || pass.upper.rescaled;
    best.allAccurate =
        best.allAccurate && pass.lower.accurate && pass.upper.accurate;
  }
  return best;
}

TEST(RareEvents, BoundsKeepTheirDigitsAtEveryScale) {
  struct Case {
    double s;
    double union_;  // the sharp bivariate bounds, to 1e-16
  };
  const std::vector<Case> cases = {
      {1e-8, 7.7999972830004e-07},
      {1e-10, 7.79999997283e-09},
      {1e-12, 7.7999999997283e-11},
      {1e-300, 7.8e-299},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("s=" + std::to_string(c.s));
    const Best best = BestOfRun(ScaledIndependent(c.s));
    EXPECT_NEAR(best.lower, c.union_, 1e-9 * c.union_);
    EXPECT_NEAR(best.upper, c.union_, 1e-9 * c.union_);
    EXPECT_LE(best.lower, best.upper * (1 + 1e-12));
    EXPECT_TRUE(best.anyRescaled);
    EXPECT_TRUE(best.allAccurate);
  }
}

TEST(RareEvents, SubnormalAndZeroProbabilitiesGiveExactBounds) {
  // Every P(A_i) the smallest subnormal and no two events together: the
  // union is 12 times it. All zero: both bounds are 0 exactly.
  RealVector p = ScaledIndependent(0.0);
  for (int32_t i = 0; i < kN; ++i) p[static_cast<std::size_t>(i)] = 0x1p-1074;
  const Best tiny = BestOfRun(p);
  EXPECT_EQ(tiny.lower, 12 * 0x1p-1074);
  EXPECT_EQ(tiny.upper, 12 * 0x1p-1074);
  const Best zero = BestOfRun(ScaledIndependent(0.0));
  EXPECT_EQ(zero.lower, 0.0);
  EXPECT_EQ(zero.upper, 0.0);
  EXPECT_TRUE(zero.allAccurate);
}

// The rescaled evaluation is the same bound in exact arithmetic: on ordinary
// data, where the plain evaluation keeps its digits, both agree for every
// length and sense, whether or not (0, 0) is a point of the best candidate.
TEST(RareEvents, RescalingChangesNoBoundOfOrdinaryData) {
  const RealVector p = ScaledIndependent(0.01);
  const IndexMatrix pairs = {{1, 2}};
  const IndexVector orders = {kM, kM};
  const RealMatrix conversion = PowerMomentMatrix(kM, pairs, orders);
  for (int32_t l = kM; l <= kN - kM; ++l) {
    const RealVector b = BinomialMoments(p, kN, l, kM, pairs, orders);
    RealVector scaled = b;
    for (std::size_t t = 1; t < b.size(); ++t) {
      scaled[t] = std::ldexp(b[t], 40);
    }
    const RealMatrix supports = SupportRows(kN, l);
    for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
      const CheckedBound plain = CheckedBoundProcedure(
          sense, supports, MatrixVectorProduct(conversion, b), b, orders, pairs,
          kM, 0);
      const CheckedBound rescaled = CheckedBoundProcedure(
          sense, supports, MatrixVectorProduct(conversion, scaled), scaled,
          orders, pairs, kM, 40);
      EXPECT_NEAR(rescaled.result.value, plain.result.value,
                  1e-12 * std::fabs(plain.result.value))
          << "l=" << l;
      EXPECT_NEAR(plain.precise, plain.result.value,
                  1e-12 * std::fabs(plain.result.value));
      EXPECT_NEAR(rescaled.precise, plain.result.value,
                  1e-12 * std::fabs(plain.result.value));
    }
  }
}

TEST(RareEvents, OrdinaryDataAreNotRescaled) {
  const Best best = BestOfRun(ScaledIndependent(0.01));
  EXPECT_FALSE(best.anyRescaled);
  EXPECT_TRUE(best.allAccurate);
}

}  // namespace
}  // namespace unionbound
