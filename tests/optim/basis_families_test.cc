#include "optim/basis_families.h"

#include <gtest/gtest.h>

#include "capture_stdout.h"

namespace unionbound {
namespace {

using Family = std::vector<IndexVector>;

TEST(BasisFamiliesTest, PairsWithinTheRange) {
  // Even size: pairs only; odd size: led by the lower end.
  EXPECT_EQ(PairBases(6, 2, 5),
            (Family{{2, 3, 4, 5}, {2, 3, 5, 6}, {3, 4, 5, 6}}));
  EXPECT_EQ(PairBases(6, 2, 4), (Family{{2, 3, 4}, {2, 4, 5}, {2, 5, 6}}));
  EXPECT_EQ(PairBases(9, 3, 3), (Family{{3}}));
  EXPECT_EQ(PairBases(7, 1, 4), (Family{{1, 2, 3, 4},
                                        {1, 2, 4, 5},
                                        {1, 2, 5, 6},
                                        {1, 2, 6, 7},
                                        {2, 3, 4, 5},
                                        {2, 3, 5, 6},
                                        {2, 3, 6, 7},
                                        {3, 4, 5, 6},
                                        {3, 4, 6, 7},
                                        {4, 5, 6, 7}}));
}

TEST(BasisFamiliesTest, MembersClosedByTheLastPoint) {
  // Odd size: pairs then N; even size: lower end, pairs, then N.
  EXPECT_EQ(PairBasesWithEnd(6, 2, 4),
            (Family{{2, 3, 6}, {3, 4, 6}, {4, 5, 6}}));
  EXPECT_EQ(PairBasesWithEnd(7, 2, 5),
            (Family{{2, 3, 4, 7}, {2, 4, 5, 7}, {2, 5, 6, 7}}));
  EXPECT_EQ(PairBasesWithEnd(9, 3, 3), (Family{{9}}));
  EXPECT_EQ(PairBasesWithEnd(9, 3, 4), (Family{{3, 9}}));
}

TEST(BasisFamiliesTest, SizeZero) {
  CaptureStdout capture;
  EXPECT_EQ(PairBases(5, 3, 2), (Family{IndexVector{}}));
  EXPECT_EQ(capture.Text(), "");
  EXPECT_EQ(PairBasesWithEnd(5, 3, 2), Family{});
  EXPECT_EQ(capture.Text(), "in KSubsets, k<0");
}

}  // namespace
}  // namespace unionbound
