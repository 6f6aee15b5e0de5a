// The basis subscripts: one row per moment label, in label order, derived
// from the candidate's Vks and the chosen bases Kjs.
#include "bounds/basis_subscripts.h"

#include <gtest/gtest.h>

namespace unionbound {
namespace {

TEST(BasisSubscripts, OneRowPerLabelInLabelOrder) {
  // m = 1: base, then entry 0 replaced, then entry 1 replaced.
  // E[i] = Vks[i] + (Kjs[i][0] - m + j + 1).
  const IndexMatrix one =
      BasisSubscripts(1, {{1, 2}}, {1, 1}, {{7}, {4}}, {{3}, {2}}, /*j=*/0);
  EXPECT_EQ(one, (IndexMatrix{{7, 4}, {3, 4}, {7, 2}}));

  // m = 3, j = 1: E[0] = (0, 1, 5, Kjs - 1), E[1] = (6, 0, 1, Kjs - 1).
  const IndexMatrix three = BasisSubscripts(
      3, {{1, 2}}, {3, 3}, {{0, 1, 5}, {6, 0, 1}}, {{4}, {8}}, /*j=*/1);
  ASSERT_EQ(three.size(), 10u);
  EXPECT_EQ(three[0], (IndexVector{0, 6}));
  EXPECT_EQ(three[1], (IndexVector{1, 6}));
  EXPECT_EQ(three[2], (IndexVector{5, 6}));
  EXPECT_EQ(three[3], (IndexVector{3, 6}));
  EXPECT_EQ(three[4], (IndexVector{0, 0}));
  EXPECT_EQ(three[5], (IndexVector{0, 1}));
  EXPECT_EQ(three[6], (IndexVector{0, 7}));
  EXPECT_EQ(three[7], (IndexVector{1, 0}));
  EXPECT_EQ(three[8], (IndexVector{1, 1}));
  EXPECT_EQ(three[9], (IndexVector{5, 0}));
}

TEST(BasisSubscripts, NothingToDeriveWithoutAKeptCandidate) {
  EXPECT_TRUE(BasisSubscripts(3, {{1, 2}}, {3, 3}, {}, {}, -1).empty());
  EXPECT_TRUE(
      BasisSubscripts(3, {{1, 2}}, {3, 3}, {{0, 1, 2}, {0, 1, 2}}, {}, 0)
          .empty());
}

}  // namespace
}  // namespace unionbound
