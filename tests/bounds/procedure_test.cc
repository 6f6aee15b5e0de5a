#include "bounds/procedure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "bounds/candidates.h"
#include "capture_stdout.h"
#include "numeric/labels.h"
#include "numeric/moment_shift.h"
#include "numeric/subset_order.h"
#include "optim/prepared_block_bound.h"
#include "optim/threshold_penalty.h"
#include "problem/binomial_moments.h"
#include "problem/power_moments.h"
#include "problem/support_rows.h"
#include "reference/procedure.h"

namespace unionbound {
namespace {

const IndexMatrix kPair12 = {{1, 2}};

// Intersection probabilities of independent events with the given
// marginals, in the order of SubsetsBySize.
RealVector IndependentProbabilities(const RealVector& marginals, int32_t m) {
  RealVector p;
  const int32_t n = static_cast<int32_t>(marginals.size());
  for (const IndexVector& subset : SubsetsBySize(n, m)) {
    double product = 1.0;
    for (int32_t event : subset) product = product * marginals[event - 1];
    p.push_back(product);
  }
  return p;
}

// The data of one pass over l, as the driver prepares it.
struct Pass {
  RealMatrix supports;
  RealVector mu;
  IndexVector maxOrders;
};

Pass MakePass(const RealVector& p, int32_t n, int32_t l, int32_t m) {
  Pass pass;
  pass.supports = SupportRows(n, l);
  pass.maxOrders = {m, m};
  const RealVector b = BinomialMoments(p, n, l, m, kPair12, pass.maxOrders);
  pass.mu =
      MatrixVectorProduct(PowerMomentMatrix(m, kPair12, pass.maxOrders), b);
  return pass;
}

const RealVector kMarginals = {0.02, 0.05, 0.08, 0.1, 0.12,
                               0.15, 0.03, 0.07, 0.2, 0.04};

std::vector<RealVector> gPoints;
double RecordingScore(RealVector x) {
  gPoints.push_back(x);
  return ThresholdPenalty(x);
}

double ConstantScore(RealVector) { return -1.0; }

double NanScore(RealVector) { return std::numeric_limits<double>::quiet_NaN(); }

TEST(ReorderByVksTest, BasicPointsFirstThenTheRestShiftedToTheBase) {
  const RealMatrix Z = {{0, 1, 2, 3, 4}, {10, 11, 12, 13, 14}};
  const ReorderedSupports result =
      ReorderByVks(Z, {{0, 4, 3}, {4, 3, 0}}, {2, 2});
  EXPECT_EQ(result.P, (RealMatrix{{0, 4, 3, 1, 2}, {0, -1, -4, -3, -2}}));
  EXPECT_EQ(result.Q, (RealVector{0, 14}));

  // Rows of different lengths and q: the tail starts at subscript m - q.
  const ReorderedSupports mixed = ReorderByVks(
      {{0, 1, 2, 3}, {0, 2, 4, 6, 8, 10}}, {{3, 0}, {0, 1}}, {1, 0});
  EXPECT_EQ(mixed.P, (RealMatrix{{0, -3, -2, -1}, {0, 2, 4, 6, 8, 10}}));
  EXPECT_EQ(mixed.Q, (RealVector{3, 0}));
}

TEST(BoundProcedureTest, VisitsEveryCandidateInLevelOrder) {
  const int32_t n = 8;
  const RealVector p = IndependentProbabilities(
      RealVector(kMarginals.begin(), kMarginals.begin() + n), 3);
  for (int32_t m : {1, 2, 3}) {
    const Pass pass = MakePass(p, n, 3, m);
    const IndexVector sizes = {3, n - 3};
    // Per candidate: the base point, the pair points, every own point.
    const size_t callsPerCandidate = 1 + m * (m - 1) / 2 + n;
    for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
      gPoints.clear();
      BoundProcedure(sense, RecordingScore, pass.supports, pass.mu,
                     pass.maxOrders, kPair12, m);
      ASSERT_EQ(gPoints.size(), (size_t{1} << m) * callsPerCandidate);
      // Each candidate starts by scoring its base point (V_0[0], V_1[0]).
      size_t call = 0;
      for (int32_t j = -1; j <= m - 1; ++j) {
        for (const IndexMatrix& vks :
             GenerateVks(sense, sizes, m, kPair12, j).vksList) {
          EXPECT_EQ(gPoints[call], (RealVector{static_cast<double>(vks[0][0]),
                                               static_cast<double>(vks[1][0])}))
              << "m=" << m << " j=" << j;
          call += callsPerCandidate;
        }
      }
    }
  }
}

TEST(BoundProcedureTest, EqualOptimaKeepTheFirstCandidate) {
  const int32_t n = 8;
  const int32_t m = 3;
  const RealVector p = IndependentProbabilities(
      RealVector(kMarginals.begin(), kMarginals.begin() + n), m);
  const Pass pass = MakePass(p, n, 4, m);

  const BoundResult lower = LowerBoundProcedure(
      ConstantScore, pass.supports, pass.mu, pass.maxOrders, kPair12, m);
  EXPECT_EQ(lower.value, -1.0);
  EXPECT_EQ(lower.j, -1);
  EXPECT_EQ(lower.Vks, (IndexMatrix{{4, 3, 2}, {0, 4, 3}}));
  // q = (3, 2): one member per family, {m} for odd q, {N} for even q.
  EXPECT_EQ(lower.Kjs, (IndexMatrix{{3}, {4}}));

  const BoundResult upper = UpperBoundProcedure(
      ConstantScore, pass.supports, pass.mu, pass.maxOrders, kPair12, m);
  EXPECT_EQ(upper.value, -1.0);
  EXPECT_EQ(upper.j, -1);
  EXPECT_EQ(upper.Vks, (IndexMatrix{{4, 3, 2}, {4, 3, 2}}));
  EXPECT_EQ(upper.Kjs, (IndexMatrix{{4}, {4}}));
}

TEST(BoundProcedureTest, NoCandidatePassingLeavesTheSentinel) {
  const int32_t n = 6;
  const int32_t m = 2;
  const RealVector p = IndependentProbabilities(
      RealVector(kMarginals.begin(), kMarginals.begin() + n), m);
  const Pass pass = MakePass(p, n, 2, m);

  const BoundResult lower = LowerBoundProcedure(
      NanScore, pass.supports, pass.mu, pass.maxOrders, kPair12, m);
  EXPECT_EQ(lower.value, 1.7e308);
  EXPECT_EQ(lower.j, -1);
  EXPECT_TRUE(lower.Kjs.empty());
  EXPECT_TRUE(lower.Vks.empty());

  const BoundResult upper = UpperBoundProcedure(
      NanScore, pass.supports, pass.mu, pass.maxOrders, kPair12, m);
  EXPECT_EQ(upper.value, -1.7e308);
  EXPECT_EQ(upper.j, -1);
  EXPECT_TRUE(upper.Kjs.empty());
  EXPECT_TRUE(upper.Vks.empty());
}

TEST(BoundProcedureTest, IndependentEventsLieWithinTheBounds) {
  const int32_t n = static_cast<int32_t>(kMarginals.size());
  double none = 1.0;
  for (double marginal : kMarginals) none = none * (1.0 - marginal);
  const double union_probability = 1.0 - none;

  for (int32_t m : {1, 3, 5}) {
    const RealVector p = IndependentProbabilities(kMarginals, m);
    for (int32_t l = m; l <= n - m; ++l) {
      const Pass pass = MakePass(p, n, l, m);
      const BoundResult lower =
          LowerBoundProcedure(ThresholdPenaltyScoring(), pass.supports, pass.mu,
                              pass.maxOrders, kPair12, m);
      const BoundResult upper =
          UpperBoundProcedure(ThresholdPenaltyScoring(), pass.supports, pass.mu,
                              pass.maxOrders, kPair12, m);
      SCOPED_TRACE(testing::Message() << "m=" << m << " l=" << l);
      EXPECT_LE(-lower.value, union_probability + 1e-9);
      EXPECT_GE(-upper.value, union_probability - 1e-9);
      // A candidate was kept (the sentinel would pass the checks above).
      EXPECT_EQ(lower.Vks.size(), 2u);
      EXPECT_EQ(upper.Vks.size(), 2u);
      // Knowing only S1, the upper bound is the classical min(1, S1); higher
      // orders pin the union down closely.
      const double width = lower.value - upper.value;
      if (m == 1) {
        EXPECT_NEAR(-upper.value, 0.86, 1e-12);
      } else {
        EXPECT_LT(width, m == 3 ? 0.06 : 1e-3);
      }
    }
  }
}

TEST(BoundProcedureTest, GivesWhatTheStepByStepFormGives) {
  std::mt19937_64 rng(41);
  for (int32_t m = 1; m <= 7; m += 2) {
    for (int32_t n : {2 * m, 2 * m + 5}) {
      RealVector marginals;
      for (int32_t i = 0; i < n; ++i) {
        marginals.push_back(0.02 + static_cast<double>(rng() % 100) / 1000.0);
      }
      const RealVector p = IndependentProbabilities(marginals, m);
      for (int32_t l = m; l <= n - m; l += 2) {
        const Pass pass = MakePass(p, n, l, m);
        for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
          std::string expectedText;
          BoundResult expected;
          {
            CaptureStdout out;
            expected = reference::BoundProcedure(sense, ThresholdPenalty,
                                                 pass.supports, pass.mu,
                                                 pass.maxOrders, kPair12, m);
            expectedText = out.Text();
          }
          CaptureStdout out;
          const BoundResult result =
              BoundProcedure(sense, ThresholdPenaltyScoring(), pass.supports,
                             pass.mu, pass.maxOrders, kPair12, m);
          SCOPED_TRACE(testing::Message()
                       << "m=" << m << " n=" << n << " l=" << l);
          EXPECT_EQ(std::memcmp(&result.value, &expected.value, sizeof(double)),
                    0);
          EXPECT_EQ(result.Kjs, expected.Kjs);
          EXPECT_EQ(result.j, expected.j);
          EXPECT_EQ(result.Vks, expected.Vks);
          EXPECT_EQ(out.Text(), expectedText);
        }
      }
    }
  }
}

TEST(BoundProcedureTest, EveryPassThatTheProgramsTakeCanBePrepared) {
  // Both programs take 1 <= m <= kMaxIntersectionOrder and make passes
  // l = m .. n - m with orders (m, m) and the pair (1, 2); the procedures
  // evaluate the candidates of every such pass.
  for (int32_t m = 1; m <= kMaxIntersectionOrder; ++m) {
    const IndexVector C = {m, m};
    const LabelList L = VariableIndexList(m, kPair12, C);
    EXPECT_TRUE(PlanShift(L, C).usable) << "m=" << m;
    for (int32_t n : {2 * m, 2 * m + 1, 3 * m + 4, 100000}) {
      for (int32_t l : {m, m + 1, n / 2, n - m - 1, n - m}) {
        if (l < m || l > n - m) continue;
        EXPECT_TRUE(CanPrepareBlockBound({l, n - l}, C, m, L))
            << "m=" << m << " n=" << n << " l=" << l;
      }
    }
  }
}

TEST(BoundProcedureTest, DataOfAnotherShapeHaveNoCandidate) {
  // The procedures evaluate the candidates of a pass; other shapes end with
  // the result of a procedure where no candidate passes.
  const int32_t n = 8;
  const int32_t m = 3;
  const RealVector p = IndependentProbabilities(
      RealVector(kMarginals.begin(), kMarginals.begin() + n), m);
  const Pass pass = MakePass(p, n, 4, m);
  struct Shape {
    const char* what;
    RealMatrix supports;
    IndexVector maxOrders;
    IndexMatrix pairs;
  };
  const Shape shapes[] = {
      {"three subsequences",
       {{0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3}},
       {m, m, m},
       kPair12},
      {"too few points", SupportRows(n, m - 1), pass.maxOrders, kPair12},
      {"too few orders", pass.supports, {m, m - 1}, kPair12},
      {"orders beyond the tables",
       pass.supports,
       {m, ShiftPlan::kMaxTabulatedOrder + 1},
       kPair12},
      {"the pair the other way round", pass.supports, pass.maxOrders, {{2, 1}}},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(shape.what);
    CaptureStdout out;
    const BoundResult lower =
        LowerBoundProcedure(ThresholdPenaltyScoring(), shape.supports, pass.mu,
                            shape.maxOrders, shape.pairs, m);
    EXPECT_EQ(lower.value, 1.7e308);
    EXPECT_EQ(lower.j, -1);
    EXPECT_TRUE(lower.Kjs.empty());
    EXPECT_TRUE(lower.Vks.empty());
    const BoundResult upper =
        UpperBoundProcedure(ThresholdPenaltyScoring(), shape.supports, pass.mu,
                            shape.maxOrders, shape.pairs, m);
    EXPECT_EQ(upper.value, -1.7e308);
    EXPECT_TRUE(upper.Vks.empty());
    EXPECT_EQ(out.Text(), "");
  }
  EXPECT_EQ(LowerBoundProcedure(ThresholdPenaltyScoring(), pass.supports,
                                pass.mu, pass.maxOrders, kPair12, 0)
                .value,
            1.7e308);
}

}  // namespace
}  // namespace unionbound
