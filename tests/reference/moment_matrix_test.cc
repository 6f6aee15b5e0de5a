#include "reference/moment_matrix.h"

#include "capture_stdout.h"
#include "gtest/gtest.h"

namespace unionbound::reference {
namespace {

TEST(MomentMatrixTest, NoPairLabelsGiveEmptyRows) {
  const RealMatrix M = MomentMatrix(
      RealMatrix{{0.5, 1.5, 2.5}},
      LabelList{{{0}, {0}}, {{1}, {1}}, {{1}, {2}}}, IndexVector{2}, 0);
  EXPECT_EQ(M, (RealMatrix{{}, {}, {}}));
}

TEST(MomentMatrixTest, SinglePairColumnOfTwoSubsequences) {
  const double a0 = 0.25, a1 = 1.5, b0 = -2.0, b1 = 0.75;
  const LabelList labels = {
      {{0}, {0}}, {{1}, {1}}, {{2}, {1}}, {{1, 2}, {1, 1}}};
  const RealMatrix M = MomentMatrix(RealMatrix{{a0, a1}, {b0, b1}}, labels,
                                    IndexVector{1, 1}, 2);
  EXPECT_EQ(M, (RealMatrix{{1.0}, {a1}, {b1}, {a1 * b1}}));
}

TEST(MomentMatrixTest, TotalOrderThreeRowsAndColumns) {
  // Column points: (1,1) -> (a1, b1), (2,1) -> (a2, b1), (1,2) -> (a1, b2).
  const RealMatrix E = {{9.0, 2.0, 3.0, 9.0}, {9.0, 5.0, 7.0, 9.0}};
  const LabelList labels = {{{0}, {0}},      {{1}, {1}},       {{1}, {2}},
                            {{1}, {3}},      {{2}, {1}},       {{2}, {2}},
                            {{2}, {3}},      {{1, 2}, {1, 1}}, {{1, 2}, {2, 1}},
                            {{1, 2}, {1, 2}}};
  CaptureStdout out;
  const RealMatrix M = MomentMatrix(E, labels, IndexVector{3, 3}, 3);
  EXPECT_EQ(M, (RealMatrix{{1.0, 1.0, 1.0},
                           {2.0, 3.0, 2.0},
                           {4.0, 9.0, 4.0},
                           {8.0, 27.0, 8.0},
                           {5.0, 5.0, 7.0},
                           {25.0, 25.0, 49.0},
                           {125.0, 125.0, 343.0},
                           {10.0, 15.0, 14.0},
                           {20.0, 45.0, 28.0},
                           {50.0, 75.0, 98.0}}));
  EXPECT_EQ(out.Text(), "");
}

TEST(MomentMatrixTest, FirstSubsequenceOfThePairTakesTheFirstOrder) {
  // The pair (2, 1): subsequence 2 uses the first order of each label,
  // subsequence 1 the second.
  const RealMatrix E = {{0.0, 2.0, 3.0}, {0.0, 5.0, 7.0}};
  const LabelList labels = {{{0}, {0}},       {{1}, {1}},
                            {{2}, {1}},       {{2, 1}, {1, 1}},
                            {{2, 1}, {2, 1}}, {{2, 1}, {1, 2}}};
  const RealMatrix M = MomentMatrix(E, labels, IndexVector{1, 1}, 3);
  // Column points (subsequence 1, subsequence 2): (2,5), (2,7), (3,5).
  EXPECT_EQ(M, (RealMatrix{{1.0, 1.0, 1.0},
                           {2.0, 2.0, 3.0},
                           {5.0, 7.0, 5.0},
                           {10.0, 14.0, 15.0},
                           {50.0, 98.0, 75.0},
                           {20.0, 28.0, 45.0}}));
}

TEST(MomentMatrixTest, PairLabelsWithoutBlocksAreLeftOut) {
  const LabelList labels = {
      {{0}, {0}}, {{1}, {1}}, {{2}, {1}}, {{1, 2}, {1, 1}}};
  const RealMatrix M = MomentMatrix(RealMatrix{{0.0, 2.0}, {0.0, 3.0}}, labels,
                                    IndexVector{1, 1}, 1);
  EXPECT_EQ(M, (RealMatrix{{1.0}, {2.0}, {3.0}}));
}

}  // namespace
}  // namespace unionbound::reference
