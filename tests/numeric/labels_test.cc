#include "numeric/labels.h"

#include "gtest/gtest.h"

namespace unionbound {
namespace {

TEST(VariableIndexListTest, OrderForTotalOrderThree) {
  const LabelList expected = {
      {{0}, {0}},       {{1}, {1}},      {{1}, {2}}, {{1}, {3}},
      {{2}, {1}},       {{2}, {2}},      {{2}, {3}}, {{1, 2}, {1, 1}},
      {{1, 2}, {2, 1}}, {{1, 2}, {1, 2}}};
  EXPECT_EQ(VariableIndexList(3, IndexMatrix{{1, 2}}, IndexVector{3, 3}),
            expected);
}

TEST(VariableIndexListTest, LengthAndShapesFollowTheArguments) {
  EXPECT_EQ(VariableIndexList(1, IndexMatrix{{1, 2}}, IndexVector{1, 1}),
            (LabelList{{{0}, {0}}, {{1}, {1}}, {{2}, {1}}}));
  for (int32_t m = 1; m <= 6; ++m) {
    EXPECT_EQ(
        VariableIndexList(m, IndexMatrix{{1, 2}}, IndexVector{m, m}).size(),
        static_cast<std::size_t>(1 + 2 * m + m * (m - 1) / 2))
        << "m = " << m;
  }
  // Unequal orders per subsequence, and the pair numbers taken as given.
  EXPECT_EQ(
      VariableIndexList(2, IndexMatrix{{2, 1}}, IndexVector{1, 2}),
      (LabelList{
          {{0}, {0}}, {{1}, {1}}, {{2}, {1}}, {{2}, {2}}, {{2, 1}, {1, 1}}}));
  EXPECT_EQ(VariableIndexList(4, IndexMatrix{}, IndexVector{}),
            (LabelList{{{0}, {0}}}));
}

}  // namespace
}  // namespace unionbound
