// The closed-form bounds from singles and pairs on cases worked out by hand,
// and their validity on generated systems.
#include "sharp/analysis/classical_bounds.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

Rational Q(const char* text) {
  Rational q;
  EXPECT_TRUE(ParseExactDecimal(text, &q)) << text;
  return q;
}

// Singles then pairs (1,2), (1,3), ..., as in prob.txt.
ClassicalBounds BoundsOf(int32_t n, const std::vector<const char*>& values) {
  RationalVector exact;
  for (const char* v : values) exact.push_back(Q(v));
  return ComputeClassicalBounds(ExactDataFromRationals(exact), AllSubsets(n, 2),
                                n, 2);
}

TEST(ClassicalBounds, TreeShapedOverlapsGiveTheUnionExactly) {
  // P(A3 and A2) = 0, so no triple intersection: union = 1.1 - 0.3 = 0.8.
  // de Caen: 0.25/0.8 + 0.16/0.6 + 0.04/0.3 = 0.7125. Kuai-Alajaji-Takahara:
  // alpha = 1.6, 1.5, 1.5, so 0.5*(0.3+0.4) + 0.4*0.75 + 0.2*0.75 = 0.8.
  const ClassicalBounds b =
      BoundsOf(3, {"0.5", "0.4", "0.2", "0.2", "0.1", "0"});
  ASSERT_TRUE(b.computed);
  EXPECT_EQ(b.hunterWorsley, Q("0.8"));
  EXPECT_EQ(b.deCaen, Q("0.7125"));
  EXPECT_EQ(b.kuaiAlajajiTakahara, Q("0.8"));
}

TEST(ClassicalBounds, HunterWorsleyTakesTheHeaviestTree) {
  // Kruskal by hand: 0.3 (1,2), 0.25 (2,3), 0.2 (1,4); the tree weighs
  // 0.75, so the bound is 2 - 0.75 (above 1, kept unclipped).
  const ClassicalBounds b = BoundsOf(4, {"0.5", "0.5", "0.5", "0.5", "0.3",
                                         "0.1", "0.2", "0.25", "0.05", "0.15"});
  ASSERT_TRUE(b.computed);
  EXPECT_EQ(b.hunterWorsley, Q("1.25"));
  std::vector<std::pair<int32_t, int32_t>> edges = b.tree;
  for (auto& e : edges) {
    if (e.first > e.second) std::swap(e.first, e.second);
  }
  std::sort(edges.begin(), edges.end());
  const std::vector<std::pair<int32_t, int32_t>> heaviest{
      {1, 2}, {1, 4}, {2, 3}};
  EXPECT_EQ(edges, heaviest);
}

TEST(ClassicalBounds, IdenticalAndDisjointEventsAreExact) {
  const ClassicalBounds same =
      BoundsOf(3, {"0.3", "0.3", "0.3", "0.3", "0.3", "0.3"});
  EXPECT_EQ(same.hunterWorsley, Q("0.3"));
  EXPECT_EQ(same.deCaen, Q("0.3"));
  EXPECT_EQ(same.kuaiAlajajiTakahara, Q("0.3"));
  const ClassicalBounds apart = BoundsOf(3, {"0.2", "0.3", "0", "0", "0", "0"});
  EXPECT_EQ(apart.hunterWorsley, Q("0.5"));
  EXPECT_EQ(apart.deCaen, Q("0.5"));
  EXPECT_EQ(apart.kuaiAlajajiTakahara, Q("0.5"));
}

TEST(ClassicalBounds, NeedPairsAndValuesInTheUnitInterval) {
  RationalVector singles{Q("0.5"), Q("0.25")};
  EXPECT_FALSE(ComputeClassicalBounds(ExactDataFromRationals(singles),
                                      AllSubsets(2, 1), 2, 1)
                   .computed);
  EXPECT_FALSE(BoundsOf(2, {"0.5", "1.5", "0.1"}).computed);
}

TEST(ClassicalBounds, ContainTheUnionOfGeneratedSystems) {
  // The probabilities are the doubles nearest to the model's, so the
  // bounds may miss the union by rounding only.
  const Rational slack = Rational(1) / Rational(mpz_class("1000000000000"));
  for (EventFamily family : AllFamilies()) {
    for (int32_t n : {2, 5, 12}) {
      for (uint64_t seed : {3u, 77u}) {
        const GeneratedSystem s = Generate(family, n, 3, seed);
        const ClassicalBounds b = ComputeClassicalBounds(
            ExactDataFromDoubles(s.p), AllSubsets(n, 3), n, 3);
        ASSERT_TRUE(b.computed) << s.name;
        const Rational truth = ExactValue(s.unionProbability);
        EXPECT_GE(b.hunterWorsley + slack, truth) << s.name;
        EXPECT_LE(b.kuaiAlajajiTakahara - slack, truth) << s.name;
        EXPECT_GE(b.kuaiAlajajiTakahara, b.deCaen) << s.name;
      }
    }
  }
}

}  // namespace
}  // namespace unionbound::sharp
