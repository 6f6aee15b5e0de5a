#include "reference/block_bound.h"

#include <gtest/gtest.h>

#include "numeric/labels.h"
#include "optim/threshold_penalty.h"

namespace unionbound::reference {
namespace {

std::vector<RealVector> gPoints;
double RecordingScore(RealVector x) {
  gPoints.push_back(x);
  return ThresholdPenalty(x);
}

// f(x) = x[0] + 10 x[1]: every score difference names the moved coordinate.
double LinearScore(RealVector x) { return x[0] + 10.0 * x[1]; }

double QuarterScore(RealVector) { return 0.25; }

// Two subsequences with 3 and 4 moved points about the base point (10, 20).
const RealMatrix kP = {{0.0, 0.5, 1.5, 2.5}, {0.0, -1.0, 2.0, 4.0, 8.0}};
const RealVector kQ = {10.0, 20.0};

TEST(BlockBoundTest, ScoresBasePairPointsThenEachSubsequence) {
  const int32_t m = 3;
  const LabelList L = VariableIndexList(m, {{1, 2}}, {m, m});
  const RealVector R = {1.0, 0.5, 0.4, 0.3, 0.6, 0.5, 0.4, 0.2, 0.1, 0.1};
  const std::vector<RealVector> expected = {
      {10.0, 20.0},                              // base point
      {10.5, 19.0},                              // pair label orders (1,1)
      {11.5, 19.0},                              // (2,1)
      {10.5, 22.0},                              // (1,2)
      {10.5, 20.0}, {11.5, 20.0}, {12.5, 20.0},  // subsequence 1
      {10.0, 19.0}, {10.0, 22.0}, {10.0, 24.0}, {10.0, 28.0}  // subsequence 2
  };

  gPoints.clear();
  const BlockBoundResult lower =
      LowerBlockBound(RecordingScore, kP, kQ, {m, m}, m, R, {1, 0}, L);
  EXPECT_EQ(gPoints, expected);
  // One member per family: {m} for the odd q, {N} for the even q.
  EXPECT_EQ(lower.basis, (IndexMatrix{{3}, {4}}));

  gPoints.clear();
  const BlockBoundResult upper =
      UpperBlockBound(RecordingScore, kP, kQ, {m, m}, m, R, {1, 0}, L);
  EXPECT_EQ(gPoints, expected);
  EXPECT_EQ(upper.basis, (IndexMatrix{{3}, {3}}));
}

TEST(BlockBoundTest, PairLabelOnOneSubsequenceAddsBothOffsets) {
  const LabelList L = {{{0}, {0}}, {{1}, {1}}, {{2}, {1}}, {{1, 1}, {1, 2}}};
  gPoints.clear();
  LowerBlockBound(RecordingScore, kP, kQ, {1, 1}, 2, {1.0, 0.5, 0.5, 0.25},
                  {1, 1}, L);
  ASSERT_GE(gPoints.size(), 2u);
  EXPECT_EQ(gPoints[0], kQ);
  EXPECT_EQ(gPoints[1], (RealVector{12.0, 20.0}));
  EXPECT_EQ(gPoints.size(), 2u + 3u + 4u);
}

TEST(BlockBoundTest, OptimumAddsMasterStepsAndBaseScore) {
  // m = 1: no pair labels, so the master objective is 0 and the residual is
  // R itself. Each subsequence solves point * x = R[k+1] with one point.
  const LabelList L = VariableIndexList(1, {{1, 2}}, {1, 1});
  const RealMatrix P = {{0.0, 2.0}, {0.0, 4.0}};
  const RealVector Q = {1.0, 1.0};
  const RealVector R = {1.0, 3.0, 5.0};
  // f0 = 11, G = (2), (40); x = 1.5, 1.25; optimum = (0 + (3 + 50)) + 11.
  for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
    const BlockBoundResult result =
        BlockBound(sense, LinearScore, P, Q, {1, 1}, 1, R, {1, 0}, L);
    EXPECT_EQ(result.optimum, 64.0);
    EXPECT_EQ(result.basis, (IndexMatrix{{1}, {1}}));
  }

  // No subsequences: the optimum is the base score alone.
  const BlockBoundResult empty =
      LowerBlockBound(QuarterScore, {}, {}, {}, 0, {1.0}, {}, {{{0}, {0}}});
  EXPECT_EQ(empty.optimum, 0.25);
  EXPECT_TRUE(empty.basis.empty());
}

}  // namespace
}  // namespace unionbound::reference
