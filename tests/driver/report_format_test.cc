// The pieces of result.txt and of the console summary: index sets, bound
// blocks and their notation, the layout of a whole pass, and the choice of
// the best l.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "driver/bound_summary.h"
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

BoundResult SampleResult(double value) {
  return BoundResult{value, {{3}, {4}}, 0, {{0, 5, 4}, {4, 3, 2}}};
}

TEST(BoundBlock, NotationFollowsTheStreamState) {
  std::ostringstream general;
  WriteBoundBlock(general, Sense::kMinimise, SampleResult(-0.25), 0.016, 3,
                  {{1, 2}}, {3, 3});
  EXPECT_EQ(general.str(),
            "Lower bound on the probability of the union:\n0.25\n"
            "Running time: 0.016\n\nKjs:\n{{3,},{4,},}\nq1:2\nVks:\n"
            "{{0,5,4,},{4,3,2,},}\nBasis subscripts:\n"
            "{{0,4,},{5,4,},{4,4,},{1,4,},{0,3,},{0,2,},{0,2,},{5,3,},"
            "{5,2,},{4,3,},}\n");

  std::ostringstream fixed;
  fixed << std::fixed;
  WriteBoundBlock(fixed, Sense::kMaximise, SampleResult(0.0), 0.016, 3,
                  {{1, 2}}, {3, 3});
  EXPECT_EQ(fixed.str().substr(0, 96),
            "Upper bound on the probability of the union:\n-0.000000000000000\n"
            "Running time: 0.016000000000000\n");
}

TEST(BoundBlock, AProcedureWithoutCandidatesPrintsEmptySets) {
  std::ostringstream out;
  WriteBoundBlock(out, Sense::kMinimise, BoundResult{1.7e308, {}, -1, {}}, 0.0,
                  3, {{1, 2}}, {3, 3});
  EXPECT_NE(out.str().find("-1.7e+308\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("Kjs:\n{}\nq1:3\nVks:\n{}\nBasis subscripts:\n{}\n"),
            std::string::npos)
      << out.str();
}

// A pass of m = 1 with made-up results; only the layout matters here.
Pass SamplePass(int32_t l, double lowerValue, double upperValue) {
  Pass pass;
  pass.l = l;
  pass.m = 1;
  pass.variablePairs = {{1, 2}};
  pass.maxOrders = {1, 1};
  pass.b = {1.0, 0.5, 0.25};
  pass.mu = {1.0, 0.5, 0.25};
  pass.lower =
      PassBound{BoundResult{lowerValue, {{1}, {2}}, 0, {{0}, {1}}}, 0.5};
  pass.upper =
      PassBound{BoundResult{upperValue, {{2}, {1}}, 0, {{1}, {0}}}, 0.25};
  return pass;
}

TEST(PassReport, HeaderLowerUpperAndMomentsInThisOrder) {
  std::ostringstream report;
  WriteReportHeader(report, 4, 1, 1);
  WritePassReport(report, SamplePass(1, -0.5, -0.75));
  WritePassReport(report, SamplePass(2, -0.5, -0.75));
  const std::string first =
      "n=4, m=1, m_k=1\n"
      "\n\nThe length of the subsecuences. l=1\n"
      "Lower bound on the probability of the union:\n0.5\n"
      "Running time: 0.5\n\n"
      "Kjs:\n{{1,},{2,},}\nq1:0\nVks:\n{{0,},{1,},}\n"
      "Basis subscripts:\n{{0,1,},{1,1,},{0,2,},}\n"
      "Upper bound on the probability of the union:\n0.75\n"
      "Running time: 0.25\n\n"
      "Kjs:\n{{2,},{1,},}\nq1:0\nVks:\n{{1,},{0,},}\n"
      "Basis subscripts:\n{{1,0,},{2,0,},{1,1,},}\n"
      "\nThe binomial moments:\n"
      "{1.00000000000000000000,0.50000000000000000000,"
      "0.25000000000000000000,}\n";
  ASSERT_EQ(report.str().substr(0, first.size()), first);
  // The moments of the first pass leave the stream in fixed notation.
  const std::string second =
      "\n\nThe length of the subsecuences. l=2\n"
      "Lower bound on the probability of the union:\n"
      "0.500000000000000\nRunning time: 0.500000000000000\n";
  EXPECT_EQ(report.str().substr(first.size(), second.size()), second);
}

TEST(BoundSummary, LowerInGeneralAndUpperInFixedNotation) {
  BestBounds best;
  best.anyPass = true;
  best.lower = BestBound{-0.9, 0.016, 4};
  best.upper = BestBound{-0.9, 1.5, 5};
  std::ostringstream out;
  WriteBoundSummary(best, out);
  EXPECT_EQ(out.str(),
            "Lower bound on the probability of the union:\n0.9\n\n"
            "Running time: \n0.016\n\n"
            "The length of the subsequences: l=4\n\n"
            "Upper bound on the probability of the union:\n"
            "0.900000000000000\n\n"
            "Running time: \n1.500\n\n"
            "The length of the subsequences: l=5\n\n");

  best.lower.value = 0.0;  // a zero procedure value prints as -0
  best.upper.value = -1.0;
  std::ostringstream zero;
  WriteBoundSummary(best, zero);
  EXPECT_NE(zero.str().find("union:\n-0\n\n"), std::string::npos);
  EXPECT_NE(zero.str().find("union:\n1.000000000000000\n\n"),
            std::string::npos);
}

TEST(BoundSummary, WithoutAPassOnlyExplains) {
  std::ostringstream out;
  WriteBoundSummary(BestBounds{}, out);
  EXPECT_EQ(out.str(),
            "No bounds: no subsequence length l fits, since n is less than "
            "2m.\n");
}

TEST(BestBounds, TheFirstPassSetsBothAndOnlyStrictImprovementsReplace) {
  BestBounds best;
  // The first pass counts whatever its values.
  KeepBestBounds(SamplePass(3, 5.0, -5.0), &best);
  EXPECT_TRUE(best.anyPass);
  EXPECT_EQ(best.lower.l, 3);
  EXPECT_EQ(best.upper.l, 3);
  EXPECT_EQ(best.lower.seconds, 0.5);
  EXPECT_EQ(best.upper.seconds, 0.25);

  KeepBestBounds(SamplePass(4, 5.0, -5.0), &best);  // ties: l = 3 stays
  EXPECT_EQ(best.lower.l, 3);
  EXPECT_EQ(best.upper.l, 3);

  KeepBestBounds(SamplePass(5, 6.0, -6.0), &best);  // both worse
  EXPECT_EQ(best.lower.l, 3);
  EXPECT_EQ(best.upper.l, 3);

  KeepBestBounds(SamplePass(6, -0.6, -0.4), &best);  // both better
  EXPECT_EQ(best.lower.l, 6);
  EXPECT_EQ(best.lower.value, -0.6);
  EXPECT_EQ(best.upper.l, 6);
  EXPECT_EQ(best.upper.value, -0.4);
}

}  // namespace
}  // namespace unionbound
