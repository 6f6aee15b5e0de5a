// A whole pass: the moments and both bounds of one subsequence length, which
// must enclose the true union probability of genuine data and must not
// depend on which lengths shared a batch of binomial moments.
#include "bounds/pass.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "driver/event_systems.h"

namespace unionbound {
namespace {

RealVector Parsed(const std::string& text) {
  std::istringstream in(text);
  RealVector p;
  double value;
  while (in >> value) p.push_back(value);
  return p;
}

// Twenty events: the lengths of a run span more than one batch of moments.
const std::vector<double> kMarginals = {
    0.05, 0.1,  0.15, 0.2,  0.08, 0.12, 0.03, 0.07, 0.11, 0.04,
    0.09, 0.06, 0.02, 0.13, 0.01, 0.18, 0.05, 0.1,  0.07, 0.03};

TEST(Pass, BothBoundsEncloseTheUnionOfIndependentEvents) {
  const int32_t n = static_cast<int32_t>(kMarginals.size());
  const double truth = testing::IndependentUnion(kMarginals);
  for (int32_t m : {1, 3}) {
    const RealVector p = Parsed(testing::IndependentProbText(kMarginals, m));
    MomentBatch moments;
    for (int32_t l = m; l <= n - m; ++l) {
      SCOPED_TRACE("m=" + std::to_string(m) + " l=" + std::to_string(l));
      const Pass pass = ComputePass(p, n, m, l, n - m, &moments);
      EXPECT_EQ(pass.l, l);
      EXPECT_EQ(pass.variablePairs, (IndexMatrix{{1, 2}}));
      EXPECT_EQ(pass.maxOrders, (IndexVector{m, m}));
      ASSERT_EQ(pass.b.size(),
                static_cast<size_t>(1 + 2 * m + m * (m - 1) / 2));
      EXPECT_EQ(pass.b[0], 1.0);
      EXPECT_EQ(pass.mu.size(), pass.b.size());
      // Procedure values are negated bounds.
      EXPECT_LE(-pass.lower.result.value, truth + 1e-12);
      EXPECT_GE(-pass.upper.result.value, truth - 1e-12);
      EXPECT_EQ(pass.lower.result.Vks.size(), 2u);
      EXPECT_EQ(pass.upper.result.Vks.size(), 2u);
      EXPECT_GE(pass.lower.seconds, 0.0);
      EXPECT_GE(pass.upper.seconds, 0.0);
      EXPECT_EQ(&BoundOfSense(pass, Sense::kMinimise), &pass.lower);
      EXPECT_EQ(&BoundOfSense(pass, Sense::kMaximise), &pass.upper);
    }
  }
}

void ExpectSameBound(const PassBound& a, const PassBound& b) {
  EXPECT_EQ(a.result.value, b.result.value);
  EXPECT_EQ(a.result.Kjs, b.result.Kjs);
  EXPECT_EQ(a.result.j, b.result.j);
  EXPECT_EQ(a.result.Vks, b.result.Vks);
}

TEST(Pass, IsTheSameWhetherItsMomentsCameAloneOrWithEarlierLengths) {
  const int32_t n = static_cast<int32_t>(kMarginals.size());
  const int32_t m = 3;
  const RealVector p = Parsed(testing::IndependentProbText(kMarginals, m));
  MomentBatch shared;
  for (int32_t l = m; l <= n - m; ++l) {
    SCOPED_TRACE("l=" + std::to_string(l));
    const Pass inRun = ComputePass(p, n, m, l, n - m, &shared);
    MomentBatch own;
    const Pass alone = ComputePass(p, n, m, l, n - m, &own);
    EXPECT_EQ(inRun.b, alone.b);
    EXPECT_EQ(inRun.mu, alone.mu);
    ExpectSameBound(inRun.lower, alone.lower);
    ExpectSameBound(inRun.upper, alone.upper);
  }
}

}  // namespace
}  // namespace unionbound
