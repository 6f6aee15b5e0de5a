#include "optim/subset_enumeration.h"

#include <gtest/gtest.h>

#include "capture_stdout.h"

namespace unionbound {
namespace {

TEST(RangeTest, ConsecutiveSteppedAndFromOne) {
  EXPECT_EQ(Range(0, -1), IndexVector{});
  EXPECT_EQ(Range(3, 3), IndexVector{3});
  EXPECT_EQ(Range(-2, 1), (IndexVector{-2, -1, 0, 1}));

  EXPECT_EQ(StepRange(5, 4, -1), (IndexVector{5, 4}));
  EXPECT_EQ(StepRange(5, 6, -1), IndexVector{});
  EXPECT_EQ(StepRange(1, 7, 3), (IndexVector{1, 4, 7}));
  EXPECT_EQ(StepRange(1, 8, 3), (IndexVector{1, 4, 7}));
  EXPECT_EQ(StepRange(7, 1, 3), IndexVector{});
  EXPECT_EQ(StepRange(9, 2, -3), (IndexVector{9, 6, 3}));
  EXPECT_EQ(StepRange(1, 1, 0), IndexVector{});
  EXPECT_EQ(StepRange(1, 5, 0), IndexVector{});

  EXPECT_EQ(RangeFromOne(0), IndexVector{});
  EXPECT_EQ(RangeFromOne(-3), IndexVector{});
  EXPECT_EQ(RangeFromOne(3), (IndexVector{1, 2, 3}));
}

TEST(KSubsetsTest, LexicographicOrderOfPositions) {
  EXPECT_EQ(KSubsets({1, 2, 3, 4}, 2),
            (IndexMatrix{{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}));
  // Positions, not values, decide the order; repeated values are kept.
  EXPECT_EQ(KSubsets({7, 3, 9}, 2), (IndexMatrix{{7, 3}, {7, 9}, {3, 9}}));
  EXPECT_EQ(KSubsets({2, 2, 3}, 2), (IndexMatrix{{2, 2}, {2, 3}, {2, 3}}));

  const IndexMatrix triples = KSubsets({1, 2, 3, 4, 5}, 3);
  ASSERT_EQ(triples.size(), 10u);
  EXPECT_EQ(triples.front(), (IndexVector{1, 2, 3}));
  EXPECT_EQ(triples[3], (IndexVector{1, 3, 4}));
  EXPECT_EQ(triples[6], (IndexVector{2, 3, 4}));
  EXPECT_EQ(triples.back(), (IndexVector{3, 4, 5}));
}

TEST(KSubsetsTest, EmptyFullAndOversizedSubsets) {
  CaptureStdout capture;
  EXPECT_EQ(KSubsets({1, 2, 3}, 0), IndexMatrix{IndexVector{}});
  EXPECT_EQ(KSubsets({}, 0), IndexMatrix{IndexVector{}});
  EXPECT_EQ(KSubsets({1, 2, 3}, 3), (IndexMatrix{{1, 2, 3}}));
  EXPECT_EQ(KSubsets({5}, 1), (IndexMatrix{{5}}));
  EXPECT_EQ(KSubsets({4, 6}, 1), (IndexMatrix{{4}, {6}}));
  EXPECT_EQ(KSubsets({1, 2}, 3), IndexMatrix{});
  EXPECT_EQ(KSubsets({}, 1), IndexMatrix{});
  EXPECT_EQ(capture.Text(), "");
}

TEST(KSubsetsTest, NegativeKReportsWithoutLineEnd) {
  CaptureStdout capture;
  EXPECT_EQ(KSubsets({1, 2}, -1), IndexMatrix{});
  EXPECT_EQ(capture.Text(), "in KSubsets, k<0");
  EXPECT_EQ(KSubsets({}, -3), IndexMatrix{});
  EXPECT_EQ(capture.Text(), "in KSubsets, k<0in KSubsets, k<0");
}

TEST(TransposeTest, IndexRowsFollowTheFirstRow) {
  EXPECT_EQ(Transpose(IndexMatrix{{1, 2, 3}, {4, 5, 6}}),
            (IndexMatrix{{1, 4}, {2, 5}, {3, 6}}));
  // Elements beyond the first row's length are not used.
  EXPECT_EQ(Transpose(IndexMatrix{{1, 2}, {3, 4, 5}}),
            (IndexMatrix{{1, 3}, {2, 4}}));
  // A shorter later row contributes only what it has.
  EXPECT_EQ(Transpose(IndexMatrix{{1, 2, 3}, {4}}),
            (IndexMatrix{{1, 4}, {2}, {3}}));
  EXPECT_EQ(Transpose(IndexMatrix{}), IndexMatrix{});
  EXPECT_EQ(Transpose(IndexMatrix{{}, {1, 2}}), IndexMatrix{});
}

TEST(TransposeTest, MatrixRowsAreCopiedWhole) {
  const std::vector<IndexMatrix> X = {{{1, 2}, {3}}, {{4}, {5, 6, 7}}};
  const std::vector<IndexMatrix> expected = {{{1, 2}, {4}}, {{3}, {5, 6, 7}}};
  EXPECT_EQ(Transpose(X), expected);
  EXPECT_EQ(Transpose(std::vector<IndexMatrix>{}), std::vector<IndexMatrix>{});
}

}  // namespace
}  // namespace unionbound
