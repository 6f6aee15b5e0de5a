// A run on numbers in memory is the program's run: the same report and
// summary, the same refusals and messages, statuses that match its exit
// statuses.
#include <gtest/gtest.h>
#include <unionbound/unionbound.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/running_times.h"

namespace unionbound::api {
namespace {

std::string GoldenFile(const std::string& test, const std::string& name) {
  std::ifstream in(std::string(UNIONBOUND_SOURCE_DIR) + "/tests/golden/" +
                   test + "/" + name);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(RunOnValues, WritesTheProgramsReportAndSummary) {
  for (const auto& [test, n, m] : {std::tuple{"independent_7_3", 7, 3},
                                   {"mixture_10_5", 10, 5},
                                   {"zeros_9_3", 9, 3}}) {
    const Probabilities p =
        ReadProbabilityFile(std::string(UNIONBOUND_SOURCE_DIR) +
                                "/tests/golden/" + test + "/prob.txt",
                            n, m);
    ASSERT_EQ(p.error, "") << test;
    const RunResult run = RunOnValues(p.values, n, m, "prob.txt");
    EXPECT_EQ(run.status, kStatusSound) << test;
    EXPECT_TRUE(run.messages.empty()) << test;
    EXPECT_EQ(testing::MaskRunningTimes(run.report),
              GoldenFile(test, "expected_result.txt"))
        << test;
    EXPECT_NE(GoldenFile(test, "expected_stdout.txt")
                  .find(testing::MaskRunningTimes(run.summary)),
              std::string::npos)
        << test;
    ASSERT_EQ(run.passes.size(), static_cast<size_t>(n - 2 * m + 1));
    const BestBounds best = BestOf(run.passes);
    EXPECT_EQ(run.best.lower, best.lower);
    EXPECT_EQ(run.best.upperL, best.upperL);
  }
}

TEST(RunOnValues, RefusesSizesAndShortValuesWithTheProgramsMessages) {
  const RunResult even = RunOnValues(std::vector<double>(100, 0.1), 8, 2, "p");
  EXPECT_EQ(even.status, kStatusRefused);
  EXPECT_EQ(even.messages,
            std::vector<std::string>{
                "unionbound: m must be an odd number (got 2); even orders "
                "do not give valid bounds"});
  EXPECT_EQ(SizeProblem(8, 2), even.messages[0]);
  EXPECT_EQ(SizeProblem(8, 3), "");

  const RunResult noPass = RunOnValues({}, 5, 3, "p");
  EXPECT_EQ(noPass.messages[0] + "\n",
            GoldenFile("no_pass_5_3", "expected_stderr.txt"));

  const RunResult shortValues =
      RunOnValues(std::vector<double>(91, 0.0), 8, 3, "p");
  EXPECT_EQ(shortValues.status, kStatusRefused);
  EXPECT_EQ(
      shortValues.messages,
      std::vector<std::string>{"unionbound: p: expected 92 numbers, got 91"});
  EXPECT_TRUE(shortValues.passes.empty());
}

TEST(RunOnValues, ComputesOnDoubtfulDataButSaysWhy) {
  // Every probability 0.5 except a pair above its events.
  std::vector<double> p(6 + 15 + 20, 0.25);
  for (int i = 0; i < 6; ++i) p[static_cast<size_t>(i)] = 0.5;
  p[6] = 0.75;  // P{1,2} > P{1}
  const RunResult run = RunOnValues(p, 6, 3, "data");
  EXPECT_EQ(run.status, kStatusUntrustworthy);
  ASSERT_GE(run.messages.size(), 2u);
  EXPECT_EQ(run.messages[0].rfind("unionbound: data: no events have these "
                                  "probabilities",
                                  0),
            0u);
  EXPECT_EQ(run.passes.size(), 1u);
}

TEST(RunOnValues, LeavesOutValuesBeyondTheCountWithAWarning) {
  std::vector<double> p(7, 0.1);
  const RunResult run = RunOnValues(p, 7, 1, "p");
  p.push_back(0.9);
  const RunResult longer = RunOnValues(p, 7, 1, "p");
  EXPECT_EQ(longer.status, kStatusSound);
  EXPECT_EQ(longer.messages,
            std::vector<std::string>{
                "unionbound: p: warning: 1 entry after the 7 numbers that "
                "n=7, m=1 ask for was not read; n and m decide which numbers "
                "are read"});
  EXPECT_EQ(testing::MaskRunningTimes(longer.report),
            testing::MaskRunningTimes(run.report));
}

}  // namespace
}  // namespace unionbound::api
