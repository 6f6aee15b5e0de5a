// A run on numbers in memory is the program's run: the same report and
// summary, the same refusals and messages, statuses that match its exit
// statuses.
#include <gtest/gtest.h>
#include <unionbound/unionbound.h>

#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <tuple>
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

// The documented route ReadProbabilityFile -> ComputePasses -> BestOf gives
// no bounds from numbers that cannot be probabilities, and neither does
// RunOnValues.
TEST(LibraryRoute, NumbersThatAreNoProbabilitiesGiveNoBounds) {
  const std::string folder = ::testing::TempDir();
  const auto fileOf = [&](const std::string& name, const std::string& text) {
    const std::string path = folder + "/" + name;
    std::ofstream(path) << text;
    return path;
  };
  std::string percent;
  std::string stray;
  std::string comma;
  for (int i = 0; i < 6 + 15 + 20; ++i) {
    percent += i < 6 ? "50 " : i < 21 ? "25 " : "12.5 ";
    stray += i == 40 ? "0.1x " : "0.1 ";
    comma += i == 3 ? "0,5 " : "0.1 ";
  }
  for (const auto& [name, text, error] :
       {std::tuple{"percent.txt", percent,
                   "number 1: P{1} = 50 is not a probability in [0, 1] (nor "
                   "are 40 more numbers); every number lies in [0, 100]: are "
                   "they percentages? Divide them by 100"},
        std::tuple{"stray.txt", stray, "number 41 is not a number: \"0.1x\""},
        std::tuple{"comma.txt", comma, "number 4 is not a number: \"0,5\""},
        std::tuple{"short.txt", std::string("0.1 0.1"),
                   "n=6, m=3 need 41 numbers, but the input ends after 2"}}) {
    SCOPED_TRACE(name);
    const std::string path = fileOf(name, text);
    const Probabilities p = ReadProbabilityFile(path, 6, 3);
    EXPECT_EQ(p.error, path + ": " + error);
    if (std::string(name) != "percent.txt") continue;
    // The values themselves never give passes, however they came.
    EXPECT_TRUE(ComputePasses(p.values, 6, 3).empty());
    EXPECT_FALSE(BestOf(ComputePasses(p.values, 6, 3)).any);
    const RunResult run = RunOnValues(p.values, 6, 3, "p");
    EXPECT_EQ(run.status, kStatusUntrustworthy);
    EXPECT_FALSE(run.best.any);
    EXPECT_TRUE(run.passes.empty());
    EXPECT_EQ(run.report, "");
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0], "unionbound: p: " + std::string(error) +
                                   "; nothing was computed");
  }
  // Not finite values are no probabilities either.
  std::vector<double> p(41, 0.1);
  p[5] = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(ComputePasses(p, 6, 3).empty());
  EXPECT_NE(RunOnValues(p, 6, 3, "p")
                .messages[0]
                .find("number 6: P{6} = inf is not a probability"),
            std::string::npos);
}

}  // namespace
}  // namespace unionbound::api
