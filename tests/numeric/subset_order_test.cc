// The order of a probability file: binomial coefficients, the probability
// count and its 32-bit limit, stepping, ranking and unranking subsets.
#include "numeric/subset_order.h"

#include <cstdint>
#include <limits>

#include "gtest/gtest.h"

namespace unionbound {
namespace {

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

TEST(BinomialTest, ExactCoefficients) {
  EXPECT_EQ(Binomial(5, 2), 10);
  EXPECT_EQ(Binomial(5, 3), 10);
  EXPECT_EQ(Binomial(4, 4), 1);
  EXPECT_EQ(Binomial(7, 1), 7);
  EXPECT_EQ(Binomial(20, 10), 184756);
  EXPECT_EQ(Binomial(12, 5), 792);
  // Pascal's rule over every coefficient the moment shift tabulates.
  for (int32_t e = 1; e <= 32; ++e) {
    for (int32_t j = 1; j < e; ++j) {
      ASSERT_EQ(Binomial(e, j), Binomial(e - 1, j - 1) + Binomial(e - 1, j))
          << e << " " << j;
    }
  }
  EXPECT_EQ(Binomial(32, 16), 601080390);
}

TEST(BinomialTest, EmptyChoicesAndOutOfRange) {
  EXPECT_EQ(Binomial(0, 0), 1);
  EXPECT_EQ(Binomial(6, 0), 1);
  EXPECT_EQ(Binomial(3, 4), 0);
  EXPECT_EQ(Binomial(0, 1), 0);
  EXPECT_EQ(Binomial(5, -1), 0);
  EXPECT_EQ(Binomial(-1, 2), 0);
}

TEST(BinomialTest, CoefficientsBeyondThirtyTwoBitsAreRefused) {
  EXPECT_EQ(Binomial(34, 17), -1);  // 2333606220
  EXPECT_EQ(Binomial(33, 16), 1166803110);
  EXPECT_EQ(Binomial(kInt32Max, 1), kInt32Max);
  EXPECT_EQ(Binomial(kInt32Max, 2), -1);
  EXPECT_EQ(Binomial(100000, 11), -1);
  EXPECT_EQ(Binomial(kInt32Max, kInt32Max), 1);
}

// The count as the run first worked it out: C(n,i) by the multiplicative
// rule in 32-bit arithmetic, run in wide arithmetic to see whether any step
// leaves the range.
int64_t CountByThirtyTwoBitRule(int64_t n, int64_t m) {
  int64_t total = 0;
  for (int64_t i = 1; i <= m && i <= n; ++i) {
    int64_t c = 1;
    for (int64_t j = 1; j <= i; ++j) {
      if (n + j > kInt32Max) return -1;
      const int64_t product = (n + j - i) * c;
      if (product > kInt32Max) return -1;
      c = product / j;
    }
    total += c;
    if (total > kInt32Max) return -1;
  }
  return total;
}

TEST(ProbabilityCountTest, SumsTheCoefficientsUpToTheOrder) {
  EXPECT_EQ(ProbabilityCount(4, 3), 4 + 6 + 4);
  EXPECT_EQ(ProbabilityCount(3, 5), 7);  // sizes above n add nothing
  EXPECT_EQ(ProbabilityCount(100000, 1), 100000);
  EXPECT_EQ(ProbabilityCount(5, 0), 0);
  EXPECT_EQ(ProbabilityCount(0, 3), 0);
  EXPECT_EQ(ProbabilityCount(-4, 3), 0);
}

TEST(ProbabilityCountTest, RefusesExactlyWhatThirtyTwoBitArithmeticCannotDo) {
  // Around the limit of every order, the count fits when, and only when,
  // no step of the 32-bit rule leaves the range; then both agree.
  const int64_t limits[] = {0,  kInt32Max, 46342, 1627, 339, 141,
                            83, 59,        47,    40,   36,  34};
  for (int32_t m = 1; m <= 11; ++m) {
    for (int64_t n = limits[m] - 300; n <= limits[m] + 300; ++n) {
      if (n > kInt32Max) break;
      const int64_t expected = CountByThirtyTwoBitRule(n, m);
      const int32_t n32 = static_cast<int32_t>(n);
      ASSERT_EQ(ProbabilityCount(n32, m), expected) << n << " " << m;
      ASSERT_EQ(ProbabilityCountFits(n32, m), expected >= 0) << n << " " << m;
    }
  }
  EXPECT_FALSE(ProbabilityCountFits(kInt32Max, 1));  // n + 1 leaves the range
  EXPECT_TRUE(ProbabilityCountFits(kInt32Max - 1, 1));
  // The count 2000 + C(2000,2) + C(2000,3) fits in 32 bits, but the last
  // product 3 * C(2000,3) of the rule does not.
  EXPECT_FALSE(ProbabilityCountFits(2000, 3));
}

TEST(SubsetStepTest, WalksEverySubsetOfASizeInOrder) {
  IndexVector subset = FirstSubset(2);
  IndexMatrix walked = {subset};
  while (NextSubset(&subset, 4)) walked.push_back(subset);
  EXPECT_EQ(walked,
            (IndexMatrix{{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}));
  EXPECT_EQ(subset, (IndexVector{3, 4}));  // the last one stays

  IndexVector empty = FirstSubset(0);
  EXPECT_TRUE(empty.empty());
  EXPECT_FALSE(NextSubset(&empty, 5));
}

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

TEST(SubsetsBySizeTest, UnrankingRankingAndSteppingAgree) {
  const int32_t n = 9;
  const int32_t m = 4;
  const IndexMatrix subsets = SubsetsBySize(n, m);
  ASSERT_EQ(subsets.size(), static_cast<size_t>(ProbabilityCount(n, m)));
  size_t u = 0;
  for (int32_t size = 1; size <= m; ++size) {
    IndexVector stepped = FirstSubset(size);
    do {
      ASSERT_EQ(subsets[u], stepped) << u;
      ASSERT_EQ(SubsetPosition(stepped, n), static_cast<int64_t>(u));
      ++u;
    } while (NextSubset(&stepped, n));
  }
  EXPECT_EQ(u, subsets.size());
  EXPECT_EQ(subsets.back(), (IndexVector{6, 7, 8, 9}));
  EXPECT_EQ(UnrankSubset(n, 3, 0), (IndexVector{1, 2, 3}));
  EXPECT_EQ(UnrankSubset(n, 3, 83), (IndexVector{7, 8, 9}));
}

TEST(SubsetPositionTest, FollowsTheFileOrderForOtherSizes) {
  for (int32_t n : {1, 5, 12}) {
    const IndexMatrix subsets = SubsetsBySize(n, 5);
    for (size_t u = 0; u < subsets.size(); ++u) {
      ASSERT_EQ(SubsetPosition(subsets[u], n), static_cast<int64_t>(u));
    }
  }
}

}  // namespace
}  // namespace unionbound
