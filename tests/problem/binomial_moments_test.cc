#include "problem/binomial_moments.h"

#include "gtest/gtest.h"

namespace unionbound {
namespace {

const IndexMatrix kPairs = {{1, 2}};

// Number of subsets of {1 .. n} of sizes 1 .. m.
std::size_t SubsetCount(int32_t n, int32_t m) {
  std::size_t count = 0;
  for (int32_t i = 1; i <= m; ++i) {
    std::size_t c = 1;
    for (int32_t j = 1; j <= i; ++j) c = c * (n - i + j) / j;
    count += i <= n ? c : 0;
  }
  return count;
}

TEST(BinomialMomentsTest, AllOnesCountIntersectionsPerBlock) {
  const RealVector ones(SubsetCount(5, 3), 1.0);
  EXPECT_EQ(BinomialMoments(ones, 5, 2, 3, kPairs, IndexVector{3, 3}),
            (RealVector{1, 2, 1, 0, 3, 3, 1, 6, 3, 6}));
  // n = 6, l = 3: C(3,e) in both blocks, C(3,e1) C(3,e2) mixed.
  const RealVector more_ones(SubsetCount(6, 3), 1.0);
  EXPECT_EQ(BinomialMoments(more_ones, 6, 3, 3, kPairs, IndexVector{3, 3}),
            (RealVector{1, 3, 3, 1, 3, 3, 1, 9, 9, 9}));
}

TEST(BinomialMomentsTest, SumsTheRightProbabilities) {
  // n = 4, m = 2, l = 1; subsets {1},{2},{3},{4},{1,2},{1,3},{1,4},{2,3},
  // {2,4},{3,4} get distinct powers of two, so every sum shows its terms.
  RealVector p;
  for (int i = 0; i < 10; ++i) p.push_back(1 << i);
  const RealVector b = BinomialMoments(p, 4, 1, 2, kPairs, IndexVector{2, 2});
  // Labels: constant, {1}{1}, {1}{2}, {2}{1}, {2}{2}, {1,2}{1,1}.
  EXPECT_EQ(b, (RealVector{1.0, 1.0, 0.0, 2.0 + 4.0 + 8.0,
                           128.0 + 256.0 + 512.0, 16.0 + 32.0 + 64.0}));
}

TEST(BinomialMomentsTest, OrderOneAndZeroProbabilities) {
  const RealVector p = {0.1, 0.2, 0.3, 0.4, 0.5};
  EXPECT_EQ(BinomialMoments(p, 5, 2, 1, kPairs, IndexVector{1, 1}),
            (RealVector{1.0, 0.1 + 0.2, ((0.3 + 0.4) + 0.5)}));
  const RealVector zeros(SubsetCount(5, 3), 0.0);
  const RealVector b =
      BinomialMoments(zeros, 5, 2, 3, kPairs, IndexVector{3, 3});
  EXPECT_EQ(b.size(), 10u);
  EXPECT_EQ(b[0], 1.0);
  for (std::size_t t = 1; t < b.size(); ++t) EXPECT_EQ(b[t], 0.0);
}

TEST(BinomialMomentsTest, LengthDependsOnlyOnTheLabels) {
  for (int32_t n = 6; n <= 8; ++n) {
    for (int32_t l = 3; l <= n - 3; ++l) {
      const RealVector p(SubsetCount(n, 3), 0.5);
      EXPECT_EQ(BinomialMoments(p, n, l, 3, kPairs, IndexVector{3, 3}).size(),
                10u);
    }
  }
}

}  // namespace
}  // namespace unionbound
