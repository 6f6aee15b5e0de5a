// The data check: probabilities out of range and intersections more
// probable than a sub-intersection, decided on the exact values, with the
// change each finding needs.
#include "sharp/data/data_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "numeric/subset_order.h"

namespace unionbound::sharp {
namespace {

DataCheck CheckDoubles(const RealVector& p, const SubsetList& subsets,
                       int32_t n) {
  return CheckData(ExactDataFromDoubles(p), p, subsets, n);
}

TEST(DataCheck, TheFlatSubsetListFollowsTheFileOrder) {
  for (int32_t n : {1, 5, 9}) {
    const IndexMatrix subsets = SubsetsBySize(n, 4);
    const SubsetList flat = AllSubsets(n, 4);
    ASSERT_EQ(SubsetCount(flat), subsets.size());
    SubsetCursor cursor(flat);
    for (size_t u = 0; u < subsets.size(); ++u, cursor.Next()) {
      ASSERT_EQ(SubsetAt(flat, u), subsets[u]);
      ASSERT_FALSE(cursor.done());
      ASSERT_EQ(cursor.index(), u);
      ASSERT_EQ(SubsetSize(flat, u), subsets[u].size());
      ASSERT_EQ(IndexVector(cursor.members(), cursor.members() + cursor.size()),
                subsets[u]);
    }
    EXPECT_TRUE(cursor.done());
  }
  // Events renamed: every subset keeps its place, its members take the new
  // names, sorted; the cursor and the lookup by position agree.
  SubsetList renamed = AllSubsets(5, 3);
  renamed.name = {0, 5, 4, 3, 2, 1};
  SubsetList again = renamed;
  again.name = {0, 2, 3, 1, 5, 4};
  for (const SubsetList& list : {renamed, again}) {
    const IndexMatrix plain = SubsetsBySize(5, 3);
    SubsetCursor cursor(list);
    for (size_t u = 0; u < plain.size(); ++u, cursor.Next()) {
      IndexVector expected;
      for (int32_t e : plain[u]) expected.push_back(list.name[e]);
      std::sort(expected.begin(), expected.end());
      ASSERT_EQ(SubsetAt(list, u), expected);
      ASSERT_EQ(IndexVector(cursor.members(), cursor.members() + cursor.size()),
                expected);
    }
  }
}

TEST(DataCheck, FlagsValuesThatAreNotProbabilitiesWithTheirDistance) {
  const SubsetList subsets = AllSubsets(3, 2);
  RealVector p{0.5, 0.4, 0.3, 0.2, 0.1, 0.1};
  EXPECT_FALSE(HasDataError(CheckDoubles(p, subsets, 3)));
  EXPECT_EQ(DataCheckEpsilon(CheckDoubles(p, subsets, 3)), 0);
  p[1] = -1e-300;
  p[2] = 1.0000000000000002;
  const DataCheck check = CheckDoubles(p, subsets, 3);
  ASSERT_EQ(check.badValues.size(), 2u);
  EXPECT_EQ(check.badValues[0].position, 1);
  EXPECT_EQ(check.badValues[0].distance, ExactValue(1e-300));
  EXPECT_EQ(check.badValues[1].position, 2);
  EXPECT_EQ(check.badValues[1].distance, ExactValue(1.0000000000000002) - 1);
  EXPECT_TRUE(HasDataError(check));
  EXPECT_EQ(DataCheckEpsilon({check.badValues, {}}),
            ExactValue(1.0000000000000002) - 1);
  // P{1,2} = 0.2 lies above P{2} < 0, which needs a change of 0.1.
  EXPECT_EQ(DataCheckEpsilon(check),
            ExactValue(0.2) / 2 + Rational(ExactValue(1e-300)) / 2);
}

TEST(DataCheck, IntersectionAboveASubIntersectionNeedsHalfTheExcess) {
  const SubsetList subsets = AllSubsets(3, 3);
  // {1} {2} {3} {1,2} {1,3} {2,3} {1,2,3}
  RealVector p{0.5, 0.4, 0.3, 0.2, 0.1, 0.1, 0.05};
  EXPECT_TRUE(CheckDoubles(p, subsets, 3).orderProblems.empty());
  p[6] = 0.15;  // above P{1,3} and P{2,3}, not above P{1,2}
  DataCheck check = CheckDoubles(p, subsets, 3);
  ASSERT_EQ(check.orderProblems.size(), 2u);
  EXPECT_EQ(check.orderProblems[0].position, 6);
  EXPECT_EQ(check.orderProblems[0].subPosition, 5);  // {2,3}
  EXPECT_EQ(check.orderProblems[1].subPosition, 4);  // {1,3}
  EXPECT_EQ(check.orderProblems[0].excess, ExactValue(0.15) - ExactValue(0.1));
  EXPECT_EQ(DataCheckEpsilon(check), (ExactValue(0.15) - ExactValue(0.1)) / 2);
  // One unit in the last place is an excess like any other.
  p[6] = 0.05;
  p[3] = std::nextafter(0.4, 1.0);
  check = CheckDoubles(p, subsets, 3);
  ASSERT_EQ(check.orderProblems.size(), 1u);
  EXPECT_EQ(check.orderProblems[0].subPosition, 1);
  EXPECT_TRUE(HasDataError(check));
}

TEST(DataCheck, DecidesOnTheTypedDecimalsNotTheirDoubles) {
  // 0.30000000000000001 and 0.3 are the same double but not the same
  // number: the pair is above its member by 1e-17.
  const SubsetList subsets = AllSubsets(2, 2);
  const RationalVector typed{
      Rational(3, 10), Rational(1, 2),
      Rational(3, 10) + Rational(1, mpz_class("100000000000000000"))};
  const RealVector p{0.3, 0.5, 0.3};
  const DataCheck check =
      CheckData(ExactDataFromRationals(typed), p, subsets, 2);
  ASSERT_EQ(check.orderProblems.size(), 1u);
  EXPECT_EQ(check.orderProblems[0].excess,
            Rational(1, mpz_class("100000000000000000")));
}

}  // namespace
}  // namespace unionbound::sharp
