// The moment shift by plan against the step-by-step expansion of
// reference::ShiftMoments: the expansions in their order of terms, the
// moments about the shift point, and bit-for-bit agreement on the label lists
// of every order a run takes.
#include "numeric/moment_shift.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <random>

#include "capture_stdout.h"
#include "gtest/gtest.h"
#include "numeric/labels.h"
#include "reference/moment_shift.h"

namespace unionbound {
namespace {

// Labels of total order 4 for two subsequences: the constant, the orders
// 1 .. 4 of each subsequence, then the mixed orders (e1, e2) with
// e1 + e2 <= 4, the second order in the outer loop.
LabelList OrderFourLabels() {
  LabelList labels = {{{0}, {0}}};
  for (int32_t d = 1; d <= 2; ++d) {
    for (int32_t e = 1; e <= 4; ++e) labels.push_back({{d}, {e}});
  }
  for (int32_t j = 1; j <= 3; ++j) {
    for (int32_t e = 1; e <= 4 - j; ++e) labels.push_back({{1, 2}, {e, j}});
  }
  return labels;
}

// Distinct, inexact moment values, so that a change in the order of the
// additions shows in the last bits.
RealVector SomeMoments(std::size_t count) {
  RealVector mu;
  for (std::size_t t = 0; t < count; ++t) mu.push_back(0.1 * t + 1.0 / 3.0);
  return mu;
}

// Power moments E[X1^e1 X2^e2] of a small discrete distribution, in label
// order, and the moments about (p1, p2) computed directly.
struct Distribution {
  RealVector x1 = {0.0, 1.0, 2.0, 3.0};
  RealVector x2 = {2.0, 0.0, 1.0, 4.0};
  RealVector weight = {0.1, 0.2, 0.3, 0.4};

  double Moment(int32_t e1, int32_t e2, double p1, double p2) const {
    double s = 0.0;
    for (std::size_t i = 0; i < weight.size(); ++i) {
      s += weight[i] * std::pow(x1[i] - p1, e1) * std::pow(x2[i] - p2, e2);
    }
    return s;
  }

  RealVector ByLabel(const LabelList& labels, double p1, double p2) const {
    RealVector mu;
    for (const Label& label : labels) {
      if (label[0].size() == 2) {
        mu.push_back(Moment(label[1][0], label[1][1], p1, p2));
      } else if (label[0][0] == 1) {
        mu.push_back(Moment(label[1][0], 0, p1, p2));
      } else if (label[0][0] == 2) {
        mu.push_back(Moment(0, label[1][0], p1, p2));
      } else {
        mu.push_back(1.0);
      }
    }
    return mu;
  }
};

bool SameBits(const RealVector& a, const RealVector& b) {
  return a.size() == b.size() &&
         (a.empty() ||
          std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

// The moments about p by the plan of the label list, checked bit for bit
// against the step-by-step expansion.
RealVector Shift(const RealVector& mu, const RealVector& p,
                 const LabelList& labels, const IndexVector& B) {
  const ShiftPlan plan = PlanShift(labels, B);
  EXPECT_TRUE(plan.usable);
  RealVector r;
  ShiftMomentsByPlan(plan, mu, p, &r);
  EXPECT_TRUE(SameBits(r, reference::ShiftMoments(mu, p, labels, B)));
  return r;
}

TEST(LabelLookupTest, FindsFirstEqualLabelOrMinusOne) {
  const LabelList labels = {
      {{0}, {0}},       {{1}, {1}},       {{1}, {2}},       {{2}, {1}},
      {{1, 2}, {1, 1}}, {{2, 1}, {1, 1}}, {{1, 2}, {2, 1}}, {{2}, {1}}};
  EXPECT_EQ(reference::FindSingleLabel(labels, 2, 1), 3);
  EXPECT_EQ(reference::FindSingleLabel(labels, 0, 0), 0);
  EXPECT_EQ(reference::FindSingleLabel(labels, 1, 3), -1);
  EXPECT_EQ(reference::FindSingleLabel(labels, 3, 1), -1);
  EXPECT_EQ(reference::FindPairLabel(labels, 1, 2, 1, 1), 4);
  EXPECT_EQ(reference::FindPairLabel(labels, 2, 1, 1, 1), 5);
  EXPECT_EQ(reference::FindPairLabel(labels, 1, 2, 2, 1), 6);
  EXPECT_EQ(reference::FindPairLabel(labels, 1, 2, 1, 2), -1);
  // A single label never matches a pair key and vice versa.
  EXPECT_EQ(reference::FindPairLabel(LabelList{{{1}, {1}}}, 1, 1, 1, 1), -1);
  EXPECT_EQ(reference::FindSingleLabel(LabelList{{{1, 1}, {1, 1}}}, 1, 1), -1);
}

TEST(ShiftMomentsTest, SingleLabelsSumMiddleTermsFirst) {
  const LabelList labels = OrderFourLabels();
  const RealVector mu = SomeMoments(labels.size());
  const RealVector r =
      Shift(mu, RealVector{0.3, 1.7}, labels, IndexVector{4, 4});
  ASSERT_EQ(r.size(), labels.size());
  EXPECT_EQ(r[0], 1.0);

  const double c = -0.3;
  EXPECT_EQ(r[1], (c + mu[1]) + 0.0);
  EXPECT_EQ(r[2], (c * c + mu[2]) + (c * mu[1] * 2 + 0.0));
  double s = 0.0;
  s = c * c * c * mu[1] * 4 + s;
  s = c * c * mu[2] * 6 + s;
  s = c * mu[3] * 4 + s;
  EXPECT_EQ(r[4], (c * c * c * c + mu[4]) + s);

  const double c2 = -1.7;
  EXPECT_EQ(r[5], (c2 + mu[5]) + 0.0);
  s = 0.0;
  s = c2 * c2 * mu[5] * 3 + s;
  s = c2 * mu[6] * 3 + s;
  EXPECT_EQ(r[7], (c2 * c2 * c2 + mu[7]) + s);
}

TEST(ShiftMomentsTest, PairLabelsFollowTheTermGroups) {
  const LabelList labels = OrderFourLabels();
  const RealVector mu = SomeMoments(labels.size());
  const RealVector r =
      Shift(mu, RealVector{0.3, 1.7}, labels, IndexVector{4, 4});
  ASSERT_EQ(r.size(), labels.size());
  const double c1 = -0.3;
  const double c2 = -1.7;
  // Positions: {{1},{e}} at e, {{2},{e}} at 4 + e, then (1,1), (2,1),
  // (3,1), (1,2), (2,2), (1,3) from 9 on.
  const double m10 = mu[1], m20 = mu[2], m30 = mu[3];
  const double m01 = mu[5], m02 = mu[6], m03 = mu[7];
  const double m11 = mu[9], m21 = mu[10], m31 = mu[11];
  const double m12 = mu[12], m22 = mu[13], m13 = mu[14];

  EXPECT_EQ(r[9], c2 * c1 + c2 * m10 + c1 * m01 + m11);

  double s = (c2 * c2) * (c1 * c1);
  s = (c1 * (c2 * c2)) * m10 * 2 + s;
  s = (c2 * c2) * m20 + s;
  s = ((c1 * c1) * c2) * m01 * 2 + s;
  s = (c1 * c1) * m02 + s;
  s = (c1 * c2) * m11 * 4 + s;
  s = s + m22;
  s = c1 * m12 * 2 + s;
  s = c2 * m21 * 2 + s;
  EXPECT_EQ(r[13], s);

  s = c2 * (c1 * c1 * c1);
  s = ((c1 * c1) * c2) * m10 * 3 + s;
  s = (c1 * c2) * m20 * 3 + s;
  s = c2 * m30 + s;
  s = (c1 * c1 * c1) * m01 + s;
  s = s + m31;
  s = (c1 * c1) * m11 * 3 + s;
  s = c1 * m21 * 3 + s;
  EXPECT_EQ(r[11], s);

  s = (c2 * c2 * c2) * c1;
  s = c2 * c2 * c2 * m10 + s;
  s = (c1 * (c2 * c2)) * m01 * 3 + s;
  s = (c1 * c2) * m02 * 3 + s;
  s = c1 * m03 + s;
  s = s + m13;
  s = (c2 * c2) * m11 * 3 + s;
  s = c2 * m12 * 3 + s;
  EXPECT_EQ(r[14], s);
}

TEST(ShiftMomentsTest, MatchesMomentsAboutTheShiftPoint) {
  const LabelList labels = OrderFourLabels();
  const Distribution dist;
  const RealVector mu = dist.ByLabel(labels, 0.0, 0.0);
  const RealVector r =
      Shift(mu, RealVector{1.25, -0.5}, labels, IndexVector{4, 4});
  const RealVector expected = dist.ByLabel(labels, 1.25, -0.5);
  ASSERT_EQ(r.size(), expected.size());
  for (std::size_t t = 0; t < r.size(); ++t) {
    EXPECT_NEAR(r[t], expected[t], 1e-12) << "label position " << t;
  }
}

TEST(ShiftMomentsTest, ZeroShiftKeepsTheMoments) {
  const LabelList labels = OrderFourLabels();
  RealVector mu = SomeMoments(labels.size());
  mu[0] = 42.0;  // never used: element 0 is always 1.0
  const RealVector r =
      Shift(mu, RealVector{0.0, 0.0}, labels, IndexVector{4, 4});
  ASSERT_EQ(r.size(), mu.size());
  EXPECT_EQ(r[0], 1.0);
  for (std::size_t t = 1; t < r.size(); ++t) EXPECT_EQ(r[t], mu[t]) << t;
}

TEST(ShiftMomentsTest, ConstantOnlyAndMissingLabels) {
  EXPECT_EQ(Shift(RealVector{5.0}, RealVector{0.5, 0.5}, LabelList{{{0}, {0}}},
                  IndexVector{0, 0}),
            (RealVector{1.0}));

  // {{1},{1}} is missing, so the order-2 moment cannot be formed.
  const RealVector r = Shift(RealVector{1.0, 2.0}, RealVector{0.5},
                             LabelList{{{0}, {0}}, {{1}, {2}}}, IndexVector{1});
  ASSERT_EQ(r.size(), 2u);
  EXPECT_TRUE(std::isnan(r[1]));
}

TEST(ShiftMomentsTest, PlannedLookupsGiveTheExpansionsBitForBit) {
  std::mt19937_64 rng(3);
  for (int32_t m = 1; m <= 11; ++m) {
    for (const IndexVector& B : {IndexVector{m, m}, IndexVector{m + 2, m}}) {
      const LabelList labels = VariableIndexList(m, {{1, 2}}, B);
      const ShiftPlan plan = PlanShift(labels, B);
      ASSERT_TRUE(plan.usable);
      RealVector r;
      for (int round = 0; round < 20; ++round) {
        RealVector mu;
        for (std::size_t t = 0; t < labels.size(); ++t) {
          mu.push_back(std::ldexp(static_cast<double>(rng() % 100000),
                                  static_cast<int>(rng() % 30) - 20));
        }
        const RealVector p = {static_cast<double>(rng() % 23),
                              -static_cast<double>(rng() % 23) / 3.0};
        ShiftMomentsByPlan(plan, mu, p, &r);
        EXPECT_TRUE(SameBits(r, reference::ShiftMoments(mu, p, labels, B)))
            << "m=" << m;
      }
    }
  }
}

TEST(ShiftMomentsTest, OrdersOutsideTheTablesCannotBePlanned) {
  // Only the step-by-step expansion reaches IntPower with the order 0, which
  // reports it; the procedures never shift such a list.
  const LabelList labels = {{{0}, {0}}, {{1}, {0}}};
  EXPECT_FALSE(PlanShift(labels, IndexVector{1}).usable);
  const IndexVector beyond = {ShiftPlan::kMaxTabulatedOrder + 1, 1};
  EXPECT_FALSE(
      PlanShift(VariableIndexList(1, {{1, 2}}, beyond), beyond).usable);
  CaptureStdout out;
  const RealVector r = reference::ShiftMoments(RealVector{1.0, 2.0},
                                               RealVector{0.0}, labels, {1});
  EXPECT_EQ(out.Text(), "zero^zero is not defined\n");
  ASSERT_EQ(r.size(), 2u);
}

}  // namespace
}  // namespace unionbound
