// The moment programs are built on exactly the moments and the label order
// that unionbound uses, widened as the tolerance says, and generated systems
// are genuine.
#include "sharp/moments/moment_programs.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "numeric/labels.h"
#include "problem/binomial_moments.h"
#include "sharp/data/data_check.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

mpz_class Choose(int32_t a, int32_t b) {
  if (b < 0 || b > a) return 0;
  mpz_class r;
  mpz_bin_uiui(r.get_mpz_t(), static_cast<unsigned long>(a),
               static_cast<unsigned long>(b));
  return r;
}

TEST(MomentPrograms, BivariateRowsFollowTheLabelsAndMatchUnionboundsMoments) {
  const GeneratedSystem s = Generate(EventFamily::kCommonShock, 9, 3, 3);
  const LabelList labels = VariableIndexList(3, {{1, 2}}, {3, 3});
  const ProgramData data = MakeProgramData(ExactDataFromDoubles(s.p),
                                           AllSubsets(s.n, s.m), s.n, s.m);
  for (int32_t l = 3; l <= 6; ++l) {
    SCOPED_TRACE("l=" + std::to_string(l));
    const GridProgram p = BoundProgram(data, l, Sense::kMinimise);
    const RealVector b = BinomialMoments(s.p, s.n, l, s.m, {{1, 2}}, {3, 3});
    ASSERT_EQ(p.rows.size(), labels.size());
    ASSERT_EQ(b.size(), labels.size());
    ASSERT_EQ(PointCount(p), static_cast<size_t>((l + 1) * (s.n - l + 1)));
    EXPECT_TRUE(p.extra.empty());
    for (size_t t = 0; t < labels.size(); ++t) {
      EXPECT_NEAR(RoundNearest(p.rhs[t]), b[t], 1e-15 * (1 + b[t]));
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
          ASSERT_EQ(PointEntry(p, t, i, j), Choose(i, e1) * Choose(j, e2));
          ASSERT_EQ(PointCost(p, i, j), i + j > 0 ? 1 : 0);
        }
      }
    }
  }
}

TEST(MomentPrograms, CertainEventsGiveBinomialCoefficientsExactly) {
  const int32_t n = 5;
  const RealVector ones(static_cast<size_t>(5 + 10 + 10), 1.0);
  const ProgramData data =
      MakeProgramData(ExactDataFromDoubles(ones), AllSubsets(n, 3), n, 3);
  const GridProgram p = BoundProgram(data, 2, Sense::kMaximise);
  const std::vector<int> expected{1, 2, 1, 0, 3, 3, 1, 6, 3, 6};
  ASSERT_EQ(p.rhs.size(), expected.size());
  for (size_t t = 0; t < expected.size(); ++t) {
    EXPECT_EQ(p.rhs[t], expected[t]) << t;
  }
  EXPECT_EQ(p.pointCost, -1);
  const GridProgram uni = BoundProgram(data, kUnivariate, Sense::kMinimise);
  ASSERT_EQ(uni.rows.size(), 4u);
  for (int32_t j = 0; j <= 3; ++j) {
    EXPECT_EQ(uni.rhs[j], Rational(Choose(n, j)));
    for (int32_t k = 0; k <= n; ++k) {
      EXPECT_EQ(PointEntry(uni, j, k, 0), Choose(k, j));
    }
  }
  // Orders above n give no row: three events, orders up to 8.
  EXPECT_EQ(UnivariateRows(3, 8).size(), 4u);
}

TEST(MomentPrograms, ToleranceWidensEveryMomentByItsCountOfNumbers) {
  const int32_t n = 6;
  const GeneratedSystem s = Generate(EventFamily::kIndependent, n, 2, 4);
  const ExactData exact = ExactDataFromDoubles(s.p);
  const SubsetList subsets = AllSubsets(n, 2);
  const Rational t(1, 1000);
  const GridProgram typed =
      BoundProgram(MakeProgramData(exact, subsets, n, 2), 2, Sense::kMinimise);
  const GridProgram wide = BoundProgram(
      WidenProgramData(exact, subsets, n, 2, t), 2, Sense::kMinimise);
  // Row t of the typed program, its lower end A x - w = low and the band
  // w + s = high - low in a row of its own.
  const size_t base = typed.rows.size();
  ASSERT_EQ(wide.rows.size(), base + (base - 1));
  ASSERT_EQ(wide.extra.size(), 2 * (base - 1));
  EXPECT_EQ(wide.rhs[0], 1);
  for (size_t r = 1; r < base; ++r) {
    const GridRow row = typed.rows[r];
    const mpz_class count = Choose(2, row.e1) * Choose(n - 2, row.e2);
    EXPECT_EQ(wide.rhs[r], typed.rhs[r] - t * count) << r;
    EXPECT_EQ(wide.rhs[base + r - 1], 2 * t * count) << r;
  }
}

TEST(EventSystems, GeneratedSystemsAreGenuine) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 12, 3, 9);
    SCOPED_TRACE(s.name);
    const DataCheck check =
        CheckData(ExactDataFromDoubles(s.p), s.p, AllSubsets(s.n, s.m), s.n);
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

}  // namespace
}  // namespace unionbound::sharp
