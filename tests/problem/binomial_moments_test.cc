#include "problem/binomial_moments.h"

#include <cmath>
#include <cstring>
#include <random>

#include "gtest/gtest.h"
#include "numeric/labels.h"
#include "reference/binomial_moments.h"

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

bool SameBits(const RealVector& a, const RealVector& b) {
  return a.size() == b.size() &&
         std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(BinomialMomentsTest, EveryLengthOfOneWalkEqualsTheDefinitionBitForBit) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  for (int32_t n = 1; n <= 11; ++n) {
    for (int32_t m = 1; m <= 6; ++m) {
      RealVector p(SubsetCount(n, m));
      for (double& x : p) x = value(rng) * (rng() % 4 == 0 ? 1e10 : 1e-3);
      // Lengths outside 1 .. n - 1 too, and a walk over all of them.
      const RealMatrix all =
          BinomialMomentsOfLengths(p, n, -1, n + 3, m, kPairs, {m, m});
      ASSERT_EQ(all.size(), static_cast<std::size_t>(n + 3));
      for (int32_t l = -1; l <= n + 1; ++l) {
        SCOPED_TRACE("n=" + std::to_string(n) + " m=" + std::to_string(m) +
                     " l=" + std::to_string(l));
        const RealVector expected =
            reference::BinomialMoments(p, n, l, m, kPairs, {m, m});
        EXPECT_TRUE(SameBits(all[static_cast<std::size_t>(l + 1)], expected));
        EXPECT_TRUE(
            SameBits(BinomialMoments(p, n, l, m, kPairs, {m, m}), expected));
      }
    }
  }
}

TEST(BinomialMomentsTest, OtherLabelListsAndShortVectorsFollowTheDefinition) {
  std::mt19937_64 rng(6);
  const int32_t n = 9;
  const int32_t m = 4;
  RealVector p(SubsetCount(n, m));
  for (double& x : p) x = std::ldexp(static_cast<double>(rng() % 1000), -9);
  struct Shape {
    IndexMatrix pairs;
    IndexVector maxOrders;
    bool byClass;  // the size and the count in 1 .. l decide every label
  };
  const Shape shapes[] = {
      {{{1, 2}}, {2, 5}, true},           // orders that differ from m
      {{{1, 1}}, {4, 4}, true},           // both counts in the first block
      {{{1, 2}}, {}, true},               // no single labels
      {{{1, 2}, {1, 2}}, {4, 4}, false},  // every pair label twice
      {{{2, 1}}, {4, 4}, false},          // the blocks the other way round
      {{{1, 2}}, {4, 4, 2}, false},       // a third subsequence
  };
  for (const Shape& shape : shapes) {
    for (int32_t l = 1; l < n; ++l) {
      const RealVector b =
          BinomialMoments(p, n, l, m, shape.pairs, shape.maxOrders);
      const RealVector expected =
          reference::BinomialMoments(p, n, l, m, shape.pairs, shape.maxOrders);
      if (shape.byClass) {
        EXPECT_TRUE(SameBits(b, expected));
        continue;
      }
      // Not summed at all rather than summed wrongly.
      ASSERT_EQ(b.size(), expected.size());
      EXPECT_EQ(b[0], 1.0);
      for (std::size_t t = 1; t < b.size(); ++t) EXPECT_TRUE(std::isnan(b[t]));
    }
  }
  // Probabilities that stop early: the subsets after them add nothing.
  for (std::size_t size : {std::size_t{0}, std::size_t{5}, p.size() / 2}) {
    const RealVector shorter(p.begin(),
                             p.begin() + static_cast<std::ptrdiff_t>(size));
    for (int32_t l = 1; l < n; ++l) {
      EXPECT_TRUE(SameBits(
          BinomialMoments(shorter, n, l, m, kPairs, {m, m}),
          reference::BinomialMoments(shorter, n, l, m, kPairs, {m, m})));
    }
  }
}

// Values whose sums depend on the order of the additions, with signed zeros
// and exact cancellations among them.
RealVector OrderSensitiveValues(std::size_t count, uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  RealVector p(count);
  for (double& x : p) {
    switch (rng() % 6) {
      case 0:
        x = -0.0;
        break;
      case 1:
        x = 0.0;
        break;
      case 2:
        x = (rng() % 2 ? 1e16 : -1e16);
        break;
      default:
        x = value(rng) * (rng() % 3 == 0 ? 1e8 : 1e-3);
    }
  }
  return p;
}

// Lengths side by side in vectors of four and tiles of thirty-two, the tiles
// split between threads, and prefix events on either side of every tile and
// vector border: every length still gets the sums of the definition.
TEST(BinomialMomentsTest, EveryTileAndThreadAddsInTheOrderOfTheDefinition) {
  struct Size {
    int32_t n;
    int32_t m;
  };
  const Size sizes[] = {{3, 3},  {4, 2},  {5, 3},  {15, 3}, {16, 3},
                        {17, 4}, {20, 1}, {31, 3}, {32, 2}, {33, 4},
                        {35, 3}, {23, 5}, {70, 2}};
  for (const Size& size : sizes) {
    const int32_t n = size.n;
    const int32_t m = size.m;
    const RealVector p = OrderSensitiveValues(SubsetCount(n, m), n * 10 + m);
    RealMatrix expected;
    for (int32_t l = -1; l <= n + 1; ++l) {
      expected.push_back(
          reference::BinomialMoments(p, n, l, m, kPairs, {m, m}));
    }
    for (int32_t lFirst : {-1, 0, 1, 3, 6}) {
      if (lFirst > n) continue;
      for (int32_t threads : {1, 2}) {
        const int32_t lCount = n + 2 - lFirst;
        const RealMatrix all = BinomialMomentsOfLengths(
            p, n, lFirst, lCount, m, kPairs, {m, m}, threads);
        ASSERT_EQ(all.size(), static_cast<std::size_t>(lCount));
        for (int32_t i = 0; i < lCount; ++i) {
          SCOPED_TRACE("n=" + std::to_string(n) + " m=" + std::to_string(m) +
                       " l=" + std::to_string(lFirst + i) +
                       " threads=" + std::to_string(threads));
          EXPECT_TRUE(
              SameBits(all[static_cast<std::size_t>(i)],
                       expected[static_cast<std::size_t>(lFirst + i + 1)]));
        }
      }
    }
  }
}

// Probabilities that end inside a run, in the first, a middle and the last
// run of the largest size, with one thread and with two.
TEST(BinomialMomentsTest, ProbabilitiesEndingInsideARunAddNothingAfterThem) {
  const int32_t n = 37;
  const int32_t m = 3;
  const RealVector p = OrderSensitiveValues(SubsetCount(n, m), 7);
  const std::size_t sizeThree = SubsetCount(n, 2);
  for (std::size_t size : {std::size_t{20}, sizeThree + 5, sizeThree + 40,
                           sizeThree + 1000, p.size() - 1}) {
    const RealVector shorter(p.begin(),
                             p.begin() + static_cast<std::ptrdiff_t>(size));
    for (int32_t threads : {1, 2}) {
      const RealMatrix all = BinomialMomentsOfLengths(shorter, n, 0, n + 1, m,
                                                      kPairs, {m, m}, threads);
      for (int32_t l = 0; l <= n; ++l) {
        SCOPED_TRACE("size=" + std::to_string(size) +
                     " l=" + std::to_string(l));
        EXPECT_TRUE(SameBits(
            all[static_cast<std::size_t>(l)],
            reference::BinomialMoments(shorter, n, l, m, kPairs, {m, m})));
      }
    }
  }
}

// Probabilities that arrive a stretch at a time, the stretches ending
// anywhere: inside a run, at its first or last probability, one at a time.
TEST(BinomialMomentsTest, ProbabilitiesArrivingInStretchesGiveTheSameSums) {
  const int32_t n = 33;
  const int32_t m = 3;
  const RealVector p = OrderSensitiveValues(SubsetCount(n, m), 9);
  RealMatrix expected;
  for (int32_t l = m; l <= n - m; ++l) {
    expected.push_back(reference::BinomialMoments(p, n, l, m, kPairs, {m, m}));
  }
  std::mt19937_64 rng(10);
  for (size_t longest :
       {std::size_t{1}, std::size_t{7}, std::size_t{33}, std::size_t{500}}) {
    for (int32_t shares : {1, 2}) {
      MomentSums sums(n, m, n - 2 * m + 1, m, kPairs, {m, m}, shares);
      for (size_t arrived = 0; arrived < p.size();) {
        arrived = std::min(p.size(), arrived + 1 + rng() % longest);
        // The shares are each at their own place in the walk.
        for (int32_t s = sums.shares() - 1; s >= 0; --s) {
          sums.Advance(s, p.data(), arrived);
        }
      }
      const RealMatrix moments = sums.Moments();
      ASSERT_EQ(moments.size(), expected.size());
      for (std::size_t i = 0; i < moments.size(); ++i) {
        SCOPED_TRACE("longest=" + std::to_string(longest) +
                     " l=" + std::to_string(m + static_cast<int32_t>(i)));
        EXPECT_TRUE(SameBits(moments[i], expected[i]));
      }
    }
  }
}

TEST(BinomialMomentsTest, BatchesOfAnySizeHandOutTheSameMoments) {
  const int32_t n = 35;
  const int32_t m = 3;
  const RealVector p = OrderSensitiveValues(SubsetCount(n, m), 8);
  for (int32_t lengths : {1, 3, 15, 16, 17, 29, 0}) {
    MomentBatch batch;
    batch.lengths = lengths;
    for (int32_t l = m; l <= n - m; ++l) {
      SCOPED_TRACE("lengths=" + std::to_string(lengths) +
                   " l=" + std::to_string(l));
      const RealVector& b =
          BatchedBinomialMoments(p, n, l, n - m, m, kPairs, {m, m}, &batch);
      EXPECT_TRUE(
          SameBits(b, reference::BinomialMoments(p, n, l, m, kPairs, {m, m})));
      if (lengths > 0) {
        EXPECT_LE(batch.moments.size(), static_cast<std::size_t>(lengths));
      }
    }
  }
}

// Every length of the largest runs fits one batch of the memory allowed.
TEST(BinomialMomentsTest, OneBatchHoldsEveryLengthOfALargeRun) {
  EXPECT_GE(LengthsPerBatch(3), 2300);
  EXPECT_GE(LengthsPerBatch(1), 100000);
  EXPECT_GE(LengthsPerBatch(2), 65536);
  EXPECT_GE(LengthsPerBatch(100000), 1);
}

TEST(BinomialMomentsTest, BatchesHandOutEveryLengthOnce) {
  const int32_t n = 40;
  const int32_t m = 3;
  RealVector p(SubsetCount(n, m));
  for (std::size_t u = 0; u < p.size(); ++u) p[u] = 1.0 / (u + 3.0);
  MomentBatch batch;
  for (int32_t l = m; l <= n - m; ++l) {
    const RealVector& b =
        BatchedBinomialMoments(p, n, l, n - m, m, kPairs, {m, m}, &batch);
    EXPECT_TRUE(SameBits(b, BinomialMoments(p, n, l, m, kPairs, {m, m})));
    EXPECT_LE(batch.moments.size(),
              static_cast<std::size_t>(LengthsPerBatch(m)));
    EXPECT_LE(batch.first + static_cast<int32_t>(batch.moments.size()) - 1,
              n - m);
  }
}

}  // namespace
}  // namespace unionbound
