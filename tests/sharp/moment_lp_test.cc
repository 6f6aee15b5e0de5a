// The moment programs are built on exactly the moments and the label order
// that unionbound uses, and generated systems are genuine.
#include "sharp/moment_lp.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "problem/binomial_moments.h"
#include "problem/labels.h"
#include "sharp/data_check.h"
#include "sharp/sharp_report.h"
#include "sharp_test_util.h"

namespace unionbound {
namespace {

TEST(MomentLp, BivariateRowsFollowTheLabelsAndMatchUnionboundsMoments) {
  const GeneratedSystem s = Generate(EventFamily::kCommonShock, 9, 3, 3);
  const LabelList labels = VariableIndexList(3, {{1, 2}}, {3, 3});
  for (int32_t l = 3; l <= 6; ++l) {
    SCOPED_TRACE("l=" + std::to_string(l));
    const MomentLp lp = BivariateLp(s.p, s.subsets, s.n, l, s.m);
    const RealVector b = BinomialMoments(s.p, s.n, l, s.m, {{1, 2}}, {3, 3});
    ASSERT_EQ(RowCount(lp), labels.size());
    ASSERT_EQ(b.size(), labels.size());
    ASSERT_EQ(ColumnCount(lp), static_cast<size_t>((l + 1) * (s.n - l + 1)));
    for (size_t t = 0; t < labels.size(); ++t) {
      EXPECT_NEAR(RoundNearest(lp.moments[t]), b[t], 1e-15 * (1 + b[t]));
      EXPECT_GT(lp.allowance[t] + (t == 0 ? 1 : 0), 0);
      // The label's orders for subsequences 1 and 2.
      int32_t e1 = 0;
      int32_t e2 = 0;
      if (labels[t][0].size() == 2) {
        e1 = labels[t][1][0];
        e2 = labels[t][1][1];
      } else if (labels[t][0][0] == 1) {
        e1 = labels[t][1][0];
      } else if (labels[t][0][0] == 2) {
        e2 = labels[t][1][0];
      }
      for (int32_t i = 0; i <= l; ++i) {
        for (int32_t j = 0; j <= s.n - l; ++j) {
          const size_t k = static_cast<size_t>(i * (s.n - l + 1) + j);
          ASSERT_EQ(lp.coefficients[t][k],
                    ExactBinomial(i, e1) * ExactBinomial(j, e2));
          ASSERT_EQ(lp.inUnion[k], i + j > 0 ? 1 : 0);
        }
      }
    }
  }
}

TEST(MomentLp, CertainEventsGiveBinomialCoefficientsExactly) {
  const int32_t n = 5;
  const IndexMatrix subsets =
      Generate(EventFamily::kIndependent, n, 3, 1).subsets;
  const RealVector ones(subsets.size(), 1.0);
  const MomentLp lp = BivariateLp(ones, subsets, n, 2, 3);
  const std::vector<int> expected{1, 2, 1, 0, 3, 3, 1, 6, 3, 6};
  ASSERT_EQ(lp.moments.size(), expected.size());
  for (size_t t = 0; t < expected.size(); ++t) {
    EXPECT_EQ(lp.moments[t], expected[t]) << t;
  }
  const MomentLp uni = UnivariateLp(ones, subsets, n, 3);
  ASSERT_EQ(RowCount(uni), 4u);
  for (int32_t j = 0; j <= 3; ++j) {
    EXPECT_EQ(uni.moments[j], Rational(ExactBinomial(n, j)));
    for (int32_t k = 0; k <= n; ++k) {
      EXPECT_EQ(uni.coefficients[j][k], ExactBinomial(k, j));
    }
  }
  // Orders above n give no row: three events, orders up to 8.
  EXPECT_EQ(RowCount(UnivariateLp({0.5, 0.5, 0.5}, {{1}, {2}, {3}}, 3, 8)), 4u);
}

TEST(EventSystems, GeneratedSystemsAreGenuine) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 12, 3, 9);
    SCOPED_TRACE(s.name);
    const DataCheck check = CheckData(s.p, s.subsets, s.n);
    EXPECT_TRUE(check.badValues.empty());
    EXPECT_TRUE(check.orderProblems.empty());
    double s1 = 0.0;
    double largest = 0.0;
    for (int32_t i = 0; i < s.n; ++i) {
      s1 += s.p[i];
      largest = std::max(largest, s.p[i]);
    }
    EXPECT_GE(s.unionProbability, largest);
    EXPECT_LE(s.unionProbability, std::min(1.0, s1) + 1e-15);
    EXPECT_GT(s.unionProbability, 0.0);
    EXPECT_LT(s.unionProbability, 1.0);
  }
  const MixtureModel model = MakeEventSystem(EventFamily::kIndependent, 3, 5);
  const RealVector p = IntersectionProbabilities(model, {{1, 3}});
  const RealVector& q = model.occurrence[0];
  EXPECT_EQ(p[0], RoundNearest(ExactValue(q[0]) * ExactValue(q[2])));
  EXPECT_EQ(UnionProbability(model),
            RoundNearest(1 - (1 - ExactValue(q[0])) * (1 - ExactValue(q[1])) *
                                 (1 - ExactValue(q[2]))));
  EventFamily parsed;
  EXPECT_TRUE(ParseEventFamily("gaussian", &parsed));
  EXPECT_EQ(parsed, EventFamily::kGaussianThreshold);
  EXPECT_FALSE(ParseEventFamily("normal", &parsed));
}

TEST(SharpReport, PrintedBoundsAreRoundedOutward) {
  EXPECT_EQ(FormatRoundedDown(0.1, 3), "0.100");
  EXPECT_EQ(FormatRoundedUp(0.1, 3), "0.101");
  EXPECT_EQ(FormatRoundedDown(0.5, 3), "0.500");
  EXPECT_EQ(FormatRoundedUp(0.5, 3), "0.500");
  EXPECT_EQ(FormatRoundedDown(1.0, 2), "1.00");
  EXPECT_EQ(FormatRoundedUp(0.0, 2), "0.00");
  EXPECT_EQ(FormatRoundedDown(-0.25, 1), "-0.3");
  EXPECT_EQ(FormatRoundedUp(-0.25, 1), "-0.2");
  EXPECT_EQ(FormatRoundedDown(0.0123, 10), "0.0123000000");
  EXPECT_EQ(FormatRoundedUp(0.0123, 10), "0.0123000001");
}

}  // namespace
}  // namespace unionbound
