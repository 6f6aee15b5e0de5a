#include "optim/threshold_penalty.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace unionbound {
namespace {

TEST(ThresholdPenaltyTest, MinusOneOnlyAboveOneTenth) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(ThresholdPenalty({}), 0.0);
  EXPECT_EQ(ThresholdPenalty({0.1, 0.05}), 0.0);
  EXPECT_EQ(ThresholdPenalty({0.0, 0.0, -5.0}), 0.0);
  EXPECT_EQ(ThresholdPenalty({0.0, 0.1000001}), -1.0);
  EXPECT_EQ(ThresholdPenalty({std::nextafter(0.1, 1.0)}), -1.0);
  EXPECT_EQ(ThresholdPenalty({0.0, 3.0}), -1.0);
  EXPECT_EQ(ThresholdPenalty({3.0, 0.0}), -1.0);
  // A NaN never counts, but does not hide a later coordinate that does.
  EXPECT_EQ(ThresholdPenalty({nan}), 0.0);
  EXPECT_EQ(ThresholdPenalty({nan, 0.0}), 0.0);
  EXPECT_EQ(ThresholdPenalty({nan, 2.0}), -1.0);
}

TEST(ThresholdPenaltyTest, PointFormScoresLikeTheVectorForm) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {-inf, -1.0, 0.0, 0.1, std::nextafter(0.1, 1.0),
                           0.5,  inf,  nan};
  for (double x0 : values) {
    for (double x1 : values) {
      EXPECT_EQ(ThresholdPenaltyOfPoint(x0, x1), ThresholdPenalty({x0, x1}))
          << x0 << " " << x1;
    }
  }
}

TEST(ThresholdPenaltyTest, OnlyItsOwnScoringSaysItIsTheThresholdPenalty) {
  constexpr Scoring threshold = ThresholdPenaltyScoring();
  EXPECT_TRUE(threshold.isThresholdPenalty);
  EXPECT_EQ(threshold.f({0.2, 0.0}), -1.0);
  // Handed over as a plain function it is scored like any other.
  EXPECT_FALSE(Scoring(ThresholdPenalty).isThresholdPenalty);
}

}  // namespace
}  // namespace unionbound
