#include "problem/subsets_by_size.h"

#include "gtest/gtest.h"

namespace unionbound {
namespace {

TEST(SubsetsBySizeTest, BySizeThenLexicographic) {
  const IndexMatrix expected = {
      {1},    {2},    {3},    {4},       {1, 2},    {1, 3},    {1, 4},
      {2, 3}, {2, 4}, {3, 4}, {1, 2, 3}, {1, 2, 4}, {1, 3, 4}, {2, 3, 4}};
  EXPECT_EQ(SubsetsBySize(4, 3), expected);
}

TEST(SubsetsBySizeTest, SizesAboveNContributeNothing) {
  EXPECT_EQ(SubsetsBySize(3, 5),
            (IndexMatrix{{1}, {2}, {3}, {1, 2}, {1, 3}, {2, 3}, {1, 2, 3}}));
  EXPECT_TRUE(SubsetsBySize(4, 0).empty());
  EXPECT_TRUE(SubsetsBySize(4, -2).empty());
}

TEST(SubsetsBySizeTest, LargerListIsOrderedAndComplete) {
  const IndexMatrix subsets = SubsetsBySize(9, 4);
  EXPECT_EQ(subsets.size(), 9u + 36u + 84u + 126u);
  for (std::size_t u = 1; u < subsets.size(); ++u) {
    const IndexVector& a = subsets[u - 1];
    const IndexVector& b = subsets[u];
    EXPECT_TRUE(a.size() < b.size() || (a.size() == b.size() && a < b)) << u;
  }
  EXPECT_EQ(subsets.back(), (IndexVector{6, 7, 8, 9}));
}

}  // namespace
}  // namespace unionbound
