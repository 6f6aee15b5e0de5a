#include "bounds/candidates.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "numeric/subset_order.h"

namespace unionbound {
namespace {

const IndexMatrix kPair12 = {{1, 2}};

TEST(CandidatesTest, WorkedExampleAtLevelZero) {
  const CandidateSet lower = LowerVks({5, 4}, 3, kPair12, 0);
  EXPECT_EQ(lower.vksList, (std::vector<IndexMatrix>{
                               {{0, 5, 4}, {4, 3, 2}},
                               {{5, 0, 4}, {4, 3, 0}},
                               {{5, 4, 0}, {4, 0, 3}},
                           }));
  EXPECT_EQ(lower.qList, (IndexMatrix{{2, 3}, {2, 2}, {2, 2}}));

  const CandidateSet upper = UpperVks({5, 4}, 3, kPair12, 0);
  EXPECT_EQ(upper.vksList, (std::vector<IndexMatrix>{
                               {{0, 5, 4}, {0, 4, 3}},
                               {{5, 0, 4}, {0, 4, 1}},
                               {{5, 4, 0}, {0, 1, 4}},
                           }));
  EXPECT_EQ(upper.qList, (IndexMatrix{{2, 2}, {2, 1}, {2, 1}}));
}

TEST(CandidatesTest, OutermostLevelsHaveOneCandidate) {
  const CandidateSet lowerTop = LowerVks({5, 4}, 3, kPair12, -1);
  EXPECT_EQ(lowerTop.vksList,
            (std::vector<IndexMatrix>{{{5, 4, 3}, {0, 4, 3}}}));
  EXPECT_EQ(lowerTop.qList, (IndexMatrix{{3, 2}}));
  const CandidateSet upperTop = UpperVks({5, 4}, 3, kPair12, -1);
  EXPECT_EQ(upperTop.vksList,
            (std::vector<IndexMatrix>{{{5, 4, 3}, {4, 3, 2}}}));
  EXPECT_EQ(upperTop.qList, (IndexMatrix{{3, 3}}));

  const CandidateSet lowerBottom = LowerVks({5, 4}, 3, kPair12, 2);
  EXPECT_EQ(lowerBottom.vksList,
            (std::vector<IndexMatrix>{{{0, 1, 2}, {4, 0, 1}}}));
  EXPECT_EQ(lowerBottom.qList, (IndexMatrix{{0, 1}}));
  const CandidateSet upperBottom = UpperVks({5, 4}, 3, kPair12, 2);
  EXPECT_EQ(upperBottom.vksList,
            (std::vector<IndexMatrix>{{{0, 1, 2}, {0, 1, 2}}}));
  EXPECT_EQ(upperBottom.qList, (IndexMatrix{{0, 0}}));
}

TEST(CandidatesTest, SingleOrderMirrorsOnlyPositionZero) {
  // Source q = 1 (odd): the lower rule opens with the bottom, the upper rule
  // with the top; source q = 0 (even) the other way round.
  EXPECT_EQ(LowerVks({5, 4}, 1, kPair12, -1).vksList,
            (std::vector<IndexMatrix>{{{5}, {0}}}));
  EXPECT_EQ(LowerVks({5, 4}, 1, kPair12, -1).qList, (IndexMatrix{{1, 0}}));
  EXPECT_EQ(UpperVks({5, 4}, 1, kPair12, -1).vksList,
            (std::vector<IndexMatrix>{{{5}, {4}}}));
  EXPECT_EQ(UpperVks({5, 4}, 1, kPair12, -1).qList, (IndexMatrix{{1, 1}}));

  EXPECT_EQ(LowerVks({5, 4}, 1, kPair12, 0).vksList,
            (std::vector<IndexMatrix>{{{0}, {4}}}));
  EXPECT_EQ(LowerVks({5, 4}, 1, kPair12, 0).qList, (IndexMatrix{{0, 1}}));
  EXPECT_EQ(UpperVks({5, 4}, 1, kPair12, 0).vksList,
            (std::vector<IndexMatrix>{{{0}, {0}}}));
  EXPECT_EQ(UpperVks({5, 4}, 1, kPair12, 0).qList, (IndexMatrix{{0, 0}}));
}

// V consists of the bottom subscripts 0 .. m-q-1 and the top subscripts
// n-q+1 .. n, each group in its own running order.
void ExpectConsistentPattern(const IndexVector& V, int32_t q, int32_t n,
                             int32_t m) {
  ASSERT_EQ(V.size(), static_cast<size_t>(m));
  int32_t nextBottom = 0;
  int32_t nextTop = n;
  for (int32_t subscript : V) {
    if (subscript == nextBottom) {
      ++nextBottom;
    } else {
      EXPECT_EQ(subscript, nextTop);
      --nextTop;
    }
  }
  EXPECT_EQ(n - nextTop, q);
}

TEST(CandidatesTest, EveryLevelGivesConsistentPatternsAlongAChain) {
  const IndexVector sizes = {7, 6, 5};
  const IndexMatrix chain = {{1, 2}, {2, 3}};
  const int32_t m = 5;
  for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
    size_t total = 0;
    for (int32_t j = -1; j <= m - 1; ++j) {
      const CandidateSet set = GenerateVks(sense, sizes, m, chain, j);
      ASSERT_EQ(set.vksList.size(), static_cast<size_t>(Binomial(m, j + 1)));
      ASSERT_EQ(set.qList.size(), set.vksList.size());
      total += set.vksList.size();
      for (size_t e = 0; e < set.vksList.size(); ++e) {
        ASSERT_EQ(set.vksList[e].size(), 3u);
        ASSERT_EQ(set.qList[e].size(), 3u);
        EXPECT_EQ(set.qList[e][0], m - j - 1);
        for (size_t k = 0; k < 3; ++k) {
          ExpectConsistentPattern(set.vksList[e][k], set.qList[e][k], sizes[k],
                                  m);
        }
      }
      // Distinct candidates of the first subsequence.
      IndexMatrix firsts;
      for (const IndexMatrix& vks : set.vksList) firsts.push_back(vks[0]);
      std::sort(firsts.begin(), firsts.end());
      EXPECT_EQ(std::adjacent_find(firsts.begin(), firsts.end()), firsts.end());
    }
    EXPECT_EQ(total, 32u);
  }
}

}  // namespace
}  // namespace unionbound
