// The pieces of result.txt and of the console summary: index sets, basis
// subscripts, bound blocks and their notation, and the choice of the best l.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "driver/bound_stage.h"
#include "driver/result_report.h"

namespace unionbound {
namespace {

std::string Printed(const IndexMatrix& X) {
  std::ostringstream out;
  PrintIndexVectors(X, out);
  return out.str();
}

TEST(PrintIndexVectors, EveryElementAndRowIsFollowedByAComma) {
  EXPECT_EQ(Printed({{1, 2}, {3}}), "\n{{1,2,},{3,},}\n");
  EXPECT_EQ(Printed({}), "\n{}\n");
  EXPECT_EQ(Printed({{}}), "\n{{},}\n");
  EXPECT_EQ(Printed({{-1, 0}, {}}), "\n{{-1,0,},{},}\n");
}

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

BoundResult SampleResult(double value) {
  return BoundResult{value, {{3}, {4}}, 0, {{0, 5, 4}, {4, 3, 2}}};
}

TEST(BoundBlock, NotationFollowsTheStreamState) {
  std::ostringstream general;
  WriteBoundBlock(general, BoundKind::kLower, SampleResult(-0.25), 0.016, 3,
                  {{1, 2}}, {3, 3});
  EXPECT_EQ(general.str(),
            "Lower bound on the probability of the union:\n0.25\n"
            "Running time: 0.016\n\nKjs:\n{{3,},{4,},}\nq1:2\nVks:\n"
            "{{0,5,4,},{4,3,2,},}\nBasis subscripts:\n"
            "{{0,4,},{5,4,},{4,4,},{1,4,},{0,3,},{0,2,},{0,2,},{5,3,},"
            "{5,2,},{4,3,},}\n");

  std::ostringstream fixed;
  fixed << std::fixed;
  WriteBoundBlock(fixed, BoundKind::kUpper, SampleResult(0.0), 0.016, 3,
                  {{1, 2}}, {3, 3});
  EXPECT_EQ(fixed.str().substr(0, 96),
            "Upper bound on the probability of the union:\n-0.000000000000000\n"
            "Running time: 0.016000000000000\n");
}

TEST(BoundBlock, AProcedureWithoutCandidatesPrintsEmptySets) {
  std::ostringstream out;
  WriteBoundBlock(out, BoundKind::kLower, BoundResult{1.7e308, {}, -1, {}}, 0.0,
                  3, {{1, 2}}, {3, 3});
  EXPECT_NE(out.str().find("-1.7e+308\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("Kjs:\n{}\nq1:3\nVks:\n{}\nBasis subscripts:\n{}\n"),
            std::string::npos)
      << out.str();
}

TEST(BoundSummary, LowerInGeneralAndUpperInFixedNotation) {
  BoundStage stage;
  stage.anyPass = true;
  stage.lower = BestBound{-0.9, 0.016, 4};
  stage.upper = BestBound{-0.9, 1.5, 5};
  std::ostringstream out;
  WriteBoundSummary(stage, out);
  EXPECT_EQ(out.str(),
            "Lower bound on the probability of the union:\n0.9\n\n"
            "Running time: \n0.016\n\n"
            "The length of the subsequences: l=4\n\n"
            "Upper bound on the probability of the union:\n"
            "0.900000000000000\n\n"
            "Running time: \n1.500\n\n"
            "The length of the subsequences: l=5\n\n");

  stage.lower.value = 0.0;  // a zero procedure value prints as -0
  stage.upper.value = -1.0;
  std::ostringstream zero;
  WriteBoundSummary(stage, zero);
  EXPECT_NE(zero.str().find("union:\n-0\n\n"), std::string::npos);
  EXPECT_NE(zero.str().find("union:\n1.000000000000000\n\n"),
            std::string::npos);
}

TEST(BestBound, OnlyAStrictImprovementReplacesTheBest) {
  EXPECT_TRUE(ReplacesBest(BoundKind::kLower, -0.6, -0.5));
  EXPECT_FALSE(ReplacesBest(BoundKind::kLower, -0.5, -0.5));
  EXPECT_FALSE(ReplacesBest(BoundKind::kLower, -0.4, -0.5));
  EXPECT_TRUE(ReplacesBest(BoundKind::kUpper, -0.4, -0.5));
  EXPECT_FALSE(ReplacesBest(BoundKind::kUpper, -0.5, -0.5));
}

}  // namespace
}  // namespace unionbound
