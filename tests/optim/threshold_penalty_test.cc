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

}  // namespace
}  // namespace unionbound
