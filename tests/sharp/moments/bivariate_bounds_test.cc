// The sharp bivariate bounds against unionbound's bounds of the same l,
// against the univariate ones, and against the true union probability of
// generated genuine systems.
#include <gtest/gtest.h>

#include "sharp/analysis/analysis.h"
#include "sharp/moments/sharp_bound.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

// Slack for comparing unionbound's floating-point bounds with certified ones.
constexpr double kSlack = 1e-9;

void ExpectContains(const SharpInterval& in, double truth,
                    const std::string& what) {
  SCOPED_TRACE(what);
  ASSERT_TRUE(IsUsable(in.lower));
  ASSERT_TRUE(IsUsable(in.upper));
  EXPECT_LE(in.lower.bound, truth);
  EXPECT_GE(in.upper.bound, truth);
  EXPECT_LE(ExactValue(in.lower.bound), in.lower.exact);
  EXPECT_GE(ExactValue(in.upper.bound), in.upper.exact);
  EXPECT_EQ(in.lower.status, SharpStatus::kSharp);
  EXPECT_EQ(in.upper.status, SharpStatus::kSharp);
}

TEST(BivariateSharp, EveryLIsAtLeastAsTightAsUnionboundsBoundOfThatL) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t m : {1, 3, 5}) {
      const GeneratedSystem s = Generate(family, 11, m, 100 + m);
      const SharpAnalysis a = Analyse(s.p, s.n, s.m, true);
      SCOPED_TRACE(s.name);
      ASSERT_EQ(a.bivariate.size(), static_cast<size_t>(s.n - 2 * m + 1));
      ASSERT_EQ(a.method.perL.size(), a.bivariate.size());
      for (size_t i = 0; i < a.bivariate.size(); ++i) {
        const SharpInterval& in = a.bivariate[i].interval;
        const MethodBound& method = a.method.perL[i];
        SCOPED_TRACE("l=" + std::to_string(method.l));
        ASSERT_EQ(a.bivariate[i].l, method.l);
        ASSERT_TRUE(IsUsable(in.lower));
        ASSERT_TRUE(IsUsable(in.upper));
        EXPECT_GE(in.lower.bound, method.lower - kSlack);
        EXPECT_LE(in.upper.bound, method.upper + kSlack);
      }
    }
  }
}

TEST(BivariateSharp, UnivariateIsNeverTighterThanTheBestBivariate) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 12, 3, 7);
    const SharpAnalysis a = Analyse(s.p, s.n, s.m, true);
    SCOPED_TRACE(s.name);
    ASSERT_GE(a.bestLower, 0);
    ASSERT_GE(a.bestUpper, 0);
    const SharpInterval& uni = a.univariate;
    const SharpBound& lower = a.bivariate[a.bestLower].interval.lower;
    const SharpBound& upper = a.bivariate[a.bestUpper].interval.upper;
    // The univariate program is a relaxation of every bivariate one, so
    // their exact optima are ordered.
    EXPECT_LE(uni.lower.exact, lower.exact);
    EXPECT_GE(uni.upper.exact, upper.exact);
  }
}

TEST(SharpBounds, TrueUnionProbabilityLiesInsideEveryCertifiedBound) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t n : {10, 16}) {
      const GeneratedSystem s = Generate(family, n, 3, 31 * n);
      const SharpAnalysis a = Analyse(s.p, s.n, s.m, true);
      SCOPED_TRACE(s.name);
      EXPECT_FALSE(IsInconsistent(a));
      ExpectContains(a.univariate, s.unionProbability, "univariate");
      for (const BivariateResult& row : a.bivariate) {
        ExpectContains(row.interval, s.unionProbability,
                       "l=" + std::to_string(row.l));
      }
    }
  }
}

// Rare events put right-hand sides far below any floating-point tolerance;
// the bounds must stay valid and every one sharp.
TEST(SharpBounds, RareEventsStayValidAndSharp) {
  for (int32_t n : {20, 40}) {
    const GeneratedSystem s = Generate(EventFamily::kRareEvents, n, 4, n);
    SCOPED_TRACE(s.name);
    const SharpAnalysis a = Analyse(s.p, n, 4, true);
    ExpectContains(a.univariate, s.unionProbability, "univariate");
    for (const BivariateResult& row : a.bivariate) {
      ExpectContains(row.interval, s.unionProbability,
                     "l=" + std::to_string(row.l));
      EXPECT_LT(row.interval.upper.bound - row.interval.lower.bound,
                s.unionProbability);
    }
  }
}

}  // namespace
}  // namespace unionbound::sharp
