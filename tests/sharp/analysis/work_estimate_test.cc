// The estimate of long work: it grows with the sizes, knows nothing of
// sizes it was not fitted on, and is said in rough round figures.
#include "sharp/analysis/work_estimate.h"

#include <gtest/gtest.h>

namespace unionbound::sharp {
namespace {

TEST(WorkEstimate, GrowsFasterThanTheNumberOfPrograms) {
  const double small = EstimatedSeconds(1000, 1, 1, 999, 2);
  const double large = EstimatedSeconds(2000, 1, 1, 1999, 2);
  EXPECT_GT(small, 1.0);  // m = 1 at n = 1000 is worth announcing
  EXPECT_GT(large, 4 * small);
  // Two threads share the programs; a range of l takes its share only.
  EXPECT_DOUBLE_EQ(EstimatedSeconds(1000, 1, 1, 999, 1), 2 * small);
  EXPECT_LT(EstimatedSeconds(1000, 1, 400, 500, 2), small / 5);
  EXPECT_LT(EstimatedSeconds(12, 3, 3, 9, 2), 0.01);
}

TEST(WorkEstimate, IsZeroWhereTheModelKnowsNoCost) {
  EXPECT_EQ(EstimatedSeconds(100, 4, 4, 96, 2), 0.0);
  EXPECT_EQ(EstimatedSeconds(100, 0, 0, 100, 2), 0.0);
  EXPECT_EQ(EstimatedSeconds(100, 1, 60, 50, 2), 0.0);  // empty range
}

TEST(WorkEstimate, RoughDurationsAreRoundFigures) {
  EXPECT_EQ(RoughDuration(0.2), "about 1 s");
  EXPECT_EQ(RoughDuration(7.6), "about 8 s");
  EXPECT_EQ(RoughDuration(38.0), "about 40 s");
  EXPECT_EQ(RoughDuration(312.0), "about 5 min");
  EXPECT_EQ(RoughDuration(3000.0), "about 50 min");
  EXPECT_EQ(RoughDuration(20000.0), "about 6 h");
}

}  // namespace
}  // namespace unionbound::sharp
