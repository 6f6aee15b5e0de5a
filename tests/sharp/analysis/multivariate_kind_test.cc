// The multivariate kind inside the whole analysis: its row and partition,
// its place among the other kinds (never looser than the bivariate row it
// refines, the full program never looser than it), the bivariate row over
// both numberings of the events, and inconsistency it proves.
#include <gtest/gtest.h>

#include "sharp/analysis/analysis.h"
#include "sharp/analysis/bound_rows.h"
#include "sharp/analysis/messages.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

SharpAnalysis AnalyseWith(const GeneratedSystem& s, AnalysisOptions options) {
  options.hasTolerance = true;
  options.tolerance = RoundingTolerance();
  return AnalyseProbabilities(s.p, ExactDataFromDoubles(s.p), s.n, s.m,
                              options);
}

// The tightest bound of one side over the plain splits.
Rational PlainBest(const SharpAnalysis& a, bool lower) {
  const int32_t k = lower ? a.bestLower : a.bestUpper;
  const SharpInterval& in = a.bivariate[k].interval;
  return lower ? in.lower.exact : in.upper.exact;
}

TEST(MultivariateKind, NeverLooserThanBivariateAndContainsTheTruth) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 12, 3, 41);
    SCOPED_TRACE(s.name);
    AnalysisOptions options;
    options.multivariate = MultivariateMode::kOn;
    const SharpAnalysis a = AnalyseWith(s, options);
    ASSERT_TRUE(a.boundsComputed);
    ASSERT_TRUE(a.multivariateComputed);
    const std::vector<BoundRow> rows = BoundRows(a);
    const BoundRow* bi = FindRow(rows, RowKind::kBivariate);
    const BoundRow* mv = FindRow(rows, RowKind::kMultivariate);
    ASSERT_NE(bi, nullptr);
    ASSERT_NE(mv, nullptr);
    // The reordered splits only add candidates: never looser than plain.
    EXPECT_GE(bi->lower.value, PlainBest(a, true));
    EXPECT_LE(bi->upper.value, PlainBest(a, false));
    // The best bivariate splits of both numberings are refined.
    EXPECT_GE(mv->lower.value, bi->lower.value);
    EXPECT_LE(mv->upper.value, bi->upper.value);
    EXPECT_LE(mv->lower.outward, s.unionProbability);
    EXPECT_GE(mv->upper.outward, s.unionProbability);
    for (const PrintedBound* b : {&mv->lower, &mv->upper}) {
      EXPECT_EQ(b->status, "sharp");
      EXPECT_TRUE(b->widened);
      EXPECT_EQ(PartitionProblem(b->groups, s.n), "");
      EXPECT_FALSE(b->rule.empty());
    }
    // A reordered side names its split as two groups, l events first.
    for (const PrintedBound* b : {&bi->lower, &bi->upper}) {
      if (b->groups.empty()) continue;
      ASSERT_EQ(b->groups.size(), 2u);
      EXPECT_EQ(PartitionProblem(b->groups, s.n), "");
    }
    const BoundRow* best = FindRow(rows, RowKind::kBest);
    EXPECT_GE(best->lower.value, mv->lower.value);
    EXPECT_LE(best->upper.value, mv->upper.value);
  }
}

TEST(MultivariateKind, AGivenPartitionIsSolvedAloneAndKAutoSkipsLargeOnes) {
  const GeneratedSystem s = Generate(EventFamily::kCommonShock, 12, 3, 5);
  AnalysisOptions options;
  options.givenGroups = {{{1, 5, 9}, {2, 3, 4, 6}, {7, 8, 10, 11, 12}}};
  options.multivariate = MultivariateMode::kOn;
  const SharpAnalysis a = AnalyseWith(s, options);
  ASSERT_TRUE(a.multivariateComputed);
  ASSERT_EQ(a.multivariate.partitions.size(), 1u);
  EXPECT_EQ(a.multivariate.partitions[0].rule, "given");
  EXPECT_EQ(GroupsText(a.multivariate.partitions[0].groups),
            "1 5 9 | 2 3 4 6 | 7 8 10 11 12");

  // At n = 60, m = 4 every 4-group program has thousands of count vectors:
  // left out by default, with the size for the note.
  const GeneratedSystem large = Generate(EventFamily::kIndependent, 60, 4, 2);
  AnalysisOptions automatic;
  automatic.lFrom = 30;
  automatic.lTo = 30;
  const SharpAnalysis b = AnalyseWith(large, automatic);
  EXPECT_FALSE(b.multivariateComputed);
  EXPECT_GT(b.multivariateSkippedPoints, kMultivariateAutoPoints / 32);
  EXPECT_EQ(FindRow(BoundRows(b), RowKind::kMultivariate), nullptr);
}

TEST(MultivariateKind, FullProgramStoppedAtOnceIsNoLooserThanIt) {
  const GeneratedSystem s = Generate(EventFamily::kGaussianThreshold, 12, 3, 8);
  AnalysisOptions options;
  options.multivariate = MultivariateMode::kOn;
  options.full = true;
  options.fullOptions.timeLimit = 1e-6;
  const SharpAnalysis a = AnalyseWith(s, options);
  ASSERT_TRUE(a.full.computed);
  const std::vector<BoundRow> rows = BoundRows(a);
  const BoundRow* mv = FindRow(rows, RowKind::kMultivariate);
  const BoundRow* full = FindRow(rows, RowKind::kFull);
  ASSERT_NE(mv, nullptr);
  ASSERT_NE(full, nullptr);
  EXPECT_GE(full->lower.value, mv->lower.value);
  EXPECT_LE(full->upper.value, mv->upper.value);
}

// Where only a partition's program proved the data inconsistent and the
// atoms' epsilon was not found (too many events, or out of time), no
// epsilon of 0 is advised: the messages say the change was not measured.
TEST(MultivariateKind, AnUnmeasuredChangeIsNotCalledEpsilonZero) {
  SharpAnalysis a;
  a.consistency.consistent = false;
  a.consistency.infeasibleMultivariate = 2;
  const std::string line =
      InconsistencyMessage(a, false, Rational(0), CommandLineWords(""));
  EXPECT_NE(line.find("was not measured"), std::string::npos) << line;
  EXPECT_EQ(line.find("epsilon = 0"), std::string::npos) << line;
  const std::string report = InconsistencyReport(a);
  EXPECT_NE(report.find("was not measured"), std::string::npos) << report;
  EXPECT_EQ(report.find("epsilon = 0"), std::string::npos) << report;
  // A measured change is still given as epsilon.
  a.consistency.epsilon = Rational(1, 8);
  EXPECT_NE(InconsistencyMessage(a, false, Rational(0), CommandLineWords(""))
                .find("epsilon = 0.125"),
            std::string::npos);
}

}  // namespace
}  // namespace unionbound::sharp
