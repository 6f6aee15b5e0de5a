#include "numeric/moment_shift.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <random>

#include "capture_stdout.h"
#include "gtest/gtest.h"
#include "numeric/binomial.h"
#include "problem/labels.h"

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

TEST(LabelLookupTest, FindsFirstEqualLabelOrMinusOne) {
  const LabelList labels = {
      {{0}, {0}},       {{1}, {1}},       {{1}, {2}},       {{2}, {1}},
      {{1, 2}, {1, 1}}, {{2, 1}, {1, 1}}, {{1, 2}, {2, 1}}, {{2}, {1}}};
  EXPECT_EQ(FindSingleLabel(labels, 2, 1), 3);
  EXPECT_EQ(FindSingleLabel(labels, 0, 0), 0);
  EXPECT_EQ(FindSingleLabel(labels, 1, 3), -1);
  EXPECT_EQ(FindSingleLabel(labels, 3, 1), -1);
  EXPECT_EQ(FindPairLabel(labels, 1, 2, 1, 1), 4);
  EXPECT_EQ(FindPairLabel(labels, 2, 1, 1, 1), 5);
  EXPECT_EQ(FindPairLabel(labels, 1, 2, 2, 1), 6);
  EXPECT_EQ(FindPairLabel(labels, 1, 2, 1, 2), -1);
  // A single label never matches a pair key and vice versa.
  EXPECT_EQ(FindPairLabel(LabelList{{{1}, {1}}}, 1, 1, 1, 1), -1);
  EXPECT_EQ(FindSingleLabel(LabelList{{{1, 1}, {1, 1}}}, 1, 1), -1);
}

TEST(ShiftMomentsTest, SingleLabelsSumMiddleTermsFirst) {
  const LabelList labels = OrderFourLabels();
  const RealVector mu = SomeMoments(labels.size());
  const RealVector r =
      ShiftMoments(mu, RealVector{0.3, 1.7}, labels, IndexVector{4, 4});
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
      ShiftMoments(mu, RealVector{0.3, 1.7}, labels, IndexVector{4, 4});
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
      ShiftMoments(mu, RealVector{1.25, -0.5}, labels, IndexVector{4, 4});
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
      ShiftMoments(mu, RealVector{0.0, 0.0}, labels, IndexVector{4, 4});
  ASSERT_EQ(r.size(), mu.size());
  EXPECT_EQ(r[0], 1.0);
  for (std::size_t t = 1; t < r.size(); ++t) EXPECT_EQ(r[t], mu[t]) << t;
}

TEST(ShiftMomentsTest, ConstantOnlyAndMissingLabels) {
  EXPECT_EQ(ShiftMoments(RealVector{5.0}, RealVector{0.5, 0.5},
                         LabelList{{{0}, {0}}}, IndexVector{0, 0}),
            (RealVector{1.0}));

  // {{1},{1}} is missing, so the order-2 moment cannot be formed.
  const RealVector r =
      ShiftMoments(RealVector{1.0, 2.0}, RealVector{0.5},
                   LabelList{{{0}, {0}}, {{1}, {2}}}, IndexVector{1});
  ASSERT_EQ(r.size(), 2u);
  EXPECT_TRUE(std::isnan(r[1]));
}

// The expansions as the rules write them, with a label search for every
// moment and IntPower for every power.
RealVector ReferenceShift(const RealVector& mu, const RealVector& p,
                          const LabelList& labels, int32_t S) {
  RealVector r = {1.0};
  for (int32_t t = 1; t <= S; ++t) {
    const int32_t d = labels[t][0][0];
    const int32_t e = labels[t][1][0];
    const double c = -p[d - 1];
    double s = 0.0;
    for (int32_t j = 1; j <= e - 1; ++j) {
      s = IntPower(c, e - j) * mu[FindSingleLabel(labels, d, j)] *
              Binomial(e, j) +
          s;
    }
    r.push_back((IntPower(c, e) + mu[FindSingleLabel(labels, d, e)]) + s);
  }
  for (std::size_t t = S + 1; t < labels.size(); ++t) {
    const int32_t d1 = labels[t][0][0], d2 = labels[t][0][1];
    const int32_t e1 = labels[t][1][0], e2 = labels[t][1][1];
    const double c1 = -p[d1 - 1], c2 = -p[d2 - 1];
    auto m1 = [&](int32_t j) { return mu[FindSingleLabel(labels, d1, j)]; };
    auto m2 = [&](int32_t j) { return mu[FindSingleLabel(labels, d2, j)]; };
    auto m12 = [&](int32_t j1, int32_t j2) {
      return mu[FindPairLabel(labels, d1, d2, j1, j2)];
    };
    double s = IntPower(c2, e2) * IntPower(c1, e1);
    for (int32_t j1 = 1; j1 <= e1 - 1; ++j1) {
      s = (IntPower(c1, e1 - j1) * IntPower(c2, e2)) * m1(j1) *
              Binomial(e1, j1) +
          s;
    }
    s = IntPower(c2, e2) * m1(e1) + s;
    for (int32_t j2 = 1; j2 <= e2 - 1; ++j2) {
      s = (IntPower(c1, e1) * IntPower(c2, e2 - j2)) * m2(j2) *
              Binomial(e2, j2) +
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
    r.push_back(s);
  }
  return r;
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
        const RealVector expected = ReferenceShift(mu, p, labels, B[0] + B[1]);
        ShiftMomentsByPlan(plan, mu, p, &r);
        ASSERT_EQ(r.size(), expected.size());
        EXPECT_EQ(
            std::memcmp(r.data(), expected.data(), r.size() * sizeof(double)),
            0)
            << "m=" << m;
        EXPECT_EQ(ShiftMoments(mu, p, labels, B), r);
      }
    }
  }
}

TEST(ShiftMomentsTest, OrdersBelowOneAreLeftToTheSearchAndItsMessages) {
  const LabelList labels = {{{0}, {0}}, {{1}, {0}}};
  EXPECT_FALSE(PlanShift(labels, IndexVector{1}).usable);
  CaptureStdout out;
  const RealVector r =
      ShiftMoments(RealVector{1.0, 2.0}, RealVector{0.0}, labels, {1});
  EXPECT_EQ(out.Text(), "zero^zero is not defined\n");
  ASSERT_EQ(r.size(), 2u);
}

}  // namespace
}  // namespace unionbound
