// The data check: probabilities out of range and intersections more
// probable than a sub-intersection, with rounding-level excesses tolerated.
#include "sharp/data_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numeric/subset_order.h"

namespace unionbound {
namespace {

TEST(DataCheck, FlagsValuesThatAreNotProbabilities) {
  const IndexMatrix subsets = SubsetsBySize(3, 2);
  RealVector p{0.5, 0.4, 0.3, 0.2, 0.1, 0.1};
  EXPECT_TRUE(CheckData(p, subsets, 3).badValues.empty());
  EXPECT_FALSE(HasGenuineDataError(CheckData(p, subsets, 3)));
  p[1] = -1e-300;
  p[2] = 1.0000000000000002;
  p[5] = std::numeric_limits<double>::quiet_NaN();
  const DataCheck check = CheckData(p, subsets, 3);
  ASSERT_EQ(check.badValues.size(), 3u);
  EXPECT_EQ(check.badValues[0].position, 1);
  EXPECT_EQ(check.badValues[1].position, 2);
  EXPECT_EQ(check.badValues[2].position, 5);
  EXPECT_TRUE(std::isnan(check.badValues[2].value));
  EXPECT_TRUE(HasGenuineDataError(check));
  p = {0.0, 1.0, 0.0, 0.0, 0.0, 0.0};
  p[2] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(CheckData(p, subsets, 3).badValues.size(), 1u);
}

TEST(DataCheck, IntersectionAboveASubIntersectionIsAnErrorBeyondRounding) {
  const IndexMatrix subsets = SubsetsBySize(3, 3);
  // {1} {2} {3} {1,2} {1,3} {2,3} {1,2,3}
  RealVector p{0.5, 0.4, 0.3, 0.2, 0.1, 0.1, 0.05};
  EXPECT_TRUE(CheckData(p, subsets, 3).orderProblems.empty());

  p[6] = 0.15;  // above P{1,3} and P{2,3}, not above P{1,2}
  DataCheck check = CheckData(p, subsets, 3);
  ASSERT_EQ(check.orderProblems.size(), 2u);
  EXPECT_EQ(check.orderProblems[0].position, 6);
  EXPECT_EQ(check.orderProblems[0].subPosition, 5);  // {2,3}
  EXPECT_EQ(check.orderProblems[1].subPosition, 4);  // {1,3}
  EXPECT_NEAR(check.orderProblems[0].excess, 0.05, 1e-15);
  EXPECT_TRUE(HasGenuineDataError(check));

  p[6] = 0.05;
  p[3] = std::nextafter(0.4, 1.0);  // P{1,2} one unit above P{2}
  check = CheckData(p, subsets, 3);
  ASSERT_EQ(check.orderProblems.size(), 1u);
  EXPECT_EQ(check.orderProblems[0].subPosition, 1);
  EXPECT_TRUE(check.orderProblems[0].withinRounding);
  EXPECT_FALSE(HasGenuineDataError(check));
}

}  // namespace
}  // namespace unionbound
