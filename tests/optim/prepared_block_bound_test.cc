#include "optim/prepared_block_bound.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "bounds/candidates.h"
#include "bounds/procedure.h"
#include "capture_stdout.h"
#include "numeric/labels.h"
#include "optim/threshold_penalty.h"
#include "reference/block_bound.h"
#include "reference/moment_shift.h"

namespace unionbound {
namespace {

std::vector<RealVector> gPoints;
double RecordingScore(RealVector x) {
  gPoints.push_back(x);
  return x[0] * 0.25 - x[1] + (x[0] > 1.5 ? 1.0 : 0.0);
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof(double)) == 0;
}

// Support rows of random points; repeated points make singular systems, so
// the solver's messages take part in the comparison.
RealVector RandomRow(std::mt19937_64& rng, int32_t last, bool repeats) {
  RealVector row;
  for (int32_t x = 0; x <= last; ++x) {
    row.push_back(repeats ? static_cast<double>(rng() % 4)
                          : x + static_cast<double>(rng() % 3) / 8.0);
  }
  return row;
}

// Every candidate of both senses of one problem: the prepared evaluation
// gives the optimum, the bases, the scored points and the messages of the
// step-by-step reference::BlockBound bit for bit. Counts the candidates that
// wrote messages.
void ExpectSameAsBlockBound(std::mt19937_64& rng, int32_t m,
                            const IndexVector& C, const IndexVector& sizes,
                            bool repeats, Scoring scoring, int* withMessages) {
  const LabelList L = VariableIndexList(m, {{1, 2}}, C);
  ASSERT_TRUE(CanPrepareBlockBound(sizes, C, m, L));
  const RealMatrix supports = {RandomRow(rng, sizes[0], repeats),
                               RandomRow(rng, sizes[1], repeats)};
  RealVector mu;
  for (std::size_t t = 0; t < L.size(); ++t) {
    mu.push_back(static_cast<double>(rng() % 1000) / 999.0);
  }
  for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
    PreparedBlockBound prepared =
        PrepareBlockBound(sense, scoring, sizes, C, m, L);
    for (int32_t j = -1; j <= m - 1; ++j) {
      const CandidateSet set = GenerateVks(sense, sizes, m, {{1, 2}}, j);
      for (std::size_t e = 0; e < set.vksList.size(); ++e) {
        const ReorderedSupports r =
            ReorderByVks(supports, set.vksList[e], set.qList[e]);
        const RealVector R = reference::ShiftMoments(mu, r.Q, L, C);

        gPoints.clear();
        CaptureStdout literalOut;
        const reference::BlockBoundResult expected = reference::BlockBound(
            sense, scoring.f, r.P, r.Q, C, m, R, set.qList[e], L);
        const std::string expectedText = literalOut.Text();
        const std::vector<RealVector> expectedPoints = gPoints;

        gPoints.clear();
        CaptureStdout preparedOut;
        const double optimum =
            EvaluatePreparedBlockBound(&prepared, r.P, r.Q, R, set.qList[e]);
        SCOPED_TRACE("m=" + std::to_string(m) + " j=" + std::to_string(j) +
                     " candidate " + std::to_string(e));
        EXPECT_TRUE(SameBits(optimum, expected.optimum))
            << optimum << " vs " << expected.optimum;
        ASSERT_EQ(expected.basis.size(), 2u);
        for (std::size_t k = 0; k < 2; ++k) {
          const IndexVector chosen = prepared.chosen[k] == nullptr
                                         ? IndexVector{}
                                         : *prepared.chosen[k];
          EXPECT_EQ(chosen, expected.basis[k]);
        }
        EXPECT_EQ(preparedOut.Text(), expectedText);
        if (!scoring.isThresholdPenalty) {
          EXPECT_EQ(gPoints, expectedPoints);
        }
        if (!expectedText.empty()) ++*withMessages;
      }
    }
  }
}

TEST(PreparedBlockBoundTest, EveryCandidateGivesWhatTheStepByStepFormGives) {
  std::mt19937_64 rng(17);
  int withMessages = 0;
  for (int32_t m = 1; m <= 7; m += 2) {
    ExpectSameAsBlockBound(rng, m, {m, m}, {m, m + 3}, false,
                           ThresholdPenaltyScoring(), &withMessages);
    ExpectSameAsBlockBound(rng, m, {m, m}, {m + 4, m}, false, RecordingScore,
                           &withMessages);
  }
  // More orders than m: families with several members.
  ExpectSameAsBlockBound(rng, 3, {5, 4}, {8, 7}, false,
                         ThresholdPenaltyScoring(), &withMessages);
  ExpectSameAsBlockBound(rng, 2, {4, 5}, {9, 6}, false, RecordingScore,
                         &withMessages);
}

TEST(PreparedBlockBoundTest, SingularSystemsWriteTheSameMessages) {
  std::mt19937_64 rng(23);
  int withMessages = 0;
  for (int32_t m = 2; m <= 5; ++m) {
    ExpectSameAsBlockBound(rng, m, {m, m}, {m + 1, m + 2}, true,
                           ThresholdPenaltyScoring(), &withMessages);
    ExpectSameAsBlockBound(rng, m, {m + 1, m}, {m + 2, m + 2}, true,
                           RecordingScore, &withMessages);
  }
  EXPECT_GT(withMessages, 20);
}

TEST(PreparedBlockBoundTest, OnlyTheRunsShapeCanBePrepared) {
  const int32_t m = 3;
  const LabelList L = VariableIndexList(m, {{1, 2}}, {m, m});
  EXPECT_TRUE(CanPrepareBlockBound({m, m}, {m, m}, m, L));
  EXPECT_FALSE(CanPrepareBlockBound({m - 1, m}, {m, m}, m, L));  // few points
  EXPECT_FALSE(CanPrepareBlockBound({m, m}, {m - 1, m}, m, L));  // few orders
  EXPECT_FALSE(CanPrepareBlockBound({m, m, m}, {m, m, m}, m,
                                    VariableIndexList(m, {{1, 2}}, {m, m, m})));
  EXPECT_FALSE(CanPrepareBlockBound({m, m}, {m, m}, m,
                                    VariableIndexList(m, {{2, 1}}, {m, m})));
  EXPECT_FALSE(CanPrepareBlockBound({m, m}, {m, m}, 0, L));
}

}  // namespace
}  // namespace unionbound
