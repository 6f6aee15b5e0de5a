#include "reference/subsequence_step.h"

#include <gtest/gtest.h>

#include "capture_stdout.h"

namespace unionbound::reference {
namespace {

// Points 1, 2, 4 (entry 0 unread); with a = m = 2 every basis holds point 1
// and one family member: {2} (the lower end) or {3} (the last point).
const RealVector kRow = {99.0, 1.0, 2.0, 4.0};
const RealVector kCosts = {10.0, 20.0, 30.0};
const RealVector kPrices = {3.0, 5.0};

TEST(SubsequenceStepTest, OneMemberPerFamilyChosenByParity) {
  // Basis {2}: x1 + 2 x2 = 3, x1 + 4 x2 = 5, so x = (1, 1).
  const BlockSolution lowEnd = MinBlockBasis(kCosts, kRow, 2, 2, kPrices, 1);
  EXPECT_EQ(lowEnd.basis, IndexVector{2});
  EXPECT_EQ(lowEnd.x, (RealVector{1.0, 1.0}));
  EXPECT_EQ(lowEnd.value, 30.0);
  // Basis {3}: x1 + 4 x2 = 3, x1 + 16 x2 = 5, so x = (7/3, 1/6).
  const BlockSolution lastPoint = MinBlockBasis(kCosts, kRow, 2, 2, kPrices, 0);
  EXPECT_EQ(lastPoint.basis, IndexVector{3});
  ASSERT_EQ(lastPoint.x.size(), 2u);
  EXPECT_DOUBLE_EQ(lastPoint.x[0], 7.0 / 3.0);
  EXPECT_DOUBLE_EQ(lastPoint.x[1], 1.0 / 6.0);
  EXPECT_DOUBLE_EQ(lastPoint.value, 10.0 * 7.0 / 3.0 + 30.0 / 6.0);

  // The selector's remainder under truncating division: -1 for negative odd.
  struct Case {
    int32_t s;
    IndexVector minBasis;
    IndexVector maxBasis;
  };
  for (const Case& c :
       {Case{1, {2}, {3}}, Case{0, {3}, {2}}, Case{-1, {3}, {3}},
        Case{2, {3}, {2}}, Case{3, {2}, {3}}, Case{-2, {3}, {2}},
        Case{-3, {3}, {3}}}) {
    EXPECT_EQ(MinBlockBasis(kCosts, kRow, 2, 2, kPrices, c.s).basis, c.minBasis)
        << "s=" << c.s;
    EXPECT_EQ(MaxBlockBasis(kCosts, kRow, 2, 2, kPrices, c.s).basis, c.maxBasis)
        << "s=" << c.s;
  }
}

TEST(SubsequenceStepTest, BestMemberWinsAndTiesKeepTheFirst) {
  // m = 1, a = 2: no fixed points; PairBases gives {1,2}, {2,3}, {3,4}.
  // With H = (1, 2) they solve to x = (0, 0.5), (0.5, 0), (2/3, -1/4).
  const RealVector row = {0.0, 1.0, 2.0, 3.0, 4.0};
  const RealVector H = {1.0, 2.0};

  const RealVector G = {1.0, 4.0, 3.0, 40.0};  // values 2, 2, about -8
  const BlockSolution maxTie = MaxBlockBasis(G, row, 2, 1, H, 0);
  EXPECT_EQ(maxTie.basis, (IndexVector{1, 2}));
  EXPECT_EQ(maxTie.x, (RealVector{0.0, 0.5}));
  EXPECT_EQ(maxTie.value, 2.0);
  const BlockSolution minBest = MinBlockBasis(G, row, 2, 1, H, 1);
  EXPECT_EQ(minBest.basis, (IndexVector{3, 4}));
  EXPECT_NEAR(minBest.value, -8.0, 1e-12);

  const RealVector flipped = {0.0, -2.0, 9.0, 0.0};  // values -1, -1, about 6
  EXPECT_EQ(MinBlockBasis(flipped, row, 2, 1, H, 1).basis, (IndexVector{1, 2}));
  EXPECT_EQ(MaxBlockBasis(flipped, row, 2, 1, H, 0).basis, (IndexVector{3, 4}));
}

TEST(SubsequenceStepTest, EmptyFamilyKeepsTheSentinel) {
  // a = m - 1: size 0, and the family closed by the last point is empty.
  CaptureStdout capture;
  const BlockSolution minSol = MinBlockBasis(kCosts, kRow, 1, 2, {3.0}, 0);
  EXPECT_EQ(minSol.value, 1.7e308);
  EXPECT_TRUE(minSol.x.empty());
  EXPECT_TRUE(minSol.basis.empty());
  const BlockSolution maxSol = MaxBlockBasis(kCosts, kRow, 1, 2, {3.0}, 1);
  EXPECT_EQ(maxSol.value, -1.7e308);
  EXPECT_TRUE(maxSol.x.empty());
  EXPECT_TRUE(maxSol.basis.empty());
  EXPECT_EQ(capture.Text(), "in KSubsets, k<0in KSubsets, k<0");
}

}  // namespace
}  // namespace unionbound::reference
