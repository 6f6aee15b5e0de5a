// Whole runs on numbers that no events can have, and on files that hold more
// numbers than n and m ask for. Numbers that are no probabilities give no
// bounds; probabilities that no events can have together are computed as
// always, standard error names the problems with their events, values and
// places in the file, and the exit status is 2 only where the data or the
// bounds cannot be trusted.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "driver/event_systems.h"
#include "driver/program_run.h"
#include "driver/running_times.h"

namespace unionbound::testing {
namespace {

// Fifteen independent events whose probabilities are exact in binary, so
// that scaled and altered files read back exactly.
const std::vector<double> kMarginals = {
    0.125,  0.25,   0.0625, 0.5,   0.375,   0.1875, 0.125,  0.25,
    0.0625, 0.3125, 0.4375, 0.125, 0.09375, 0.25,   0.03125};

std::vector<std::string> Numbers(const std::string& text) {
  std::vector<std::string> numbers;
  std::istringstream in(text);
  std::string number;
  while (in >> number) numbers.push_back(number);
  return numbers;
}

std::string Joined(const std::vector<std::string>& numbers) {
  std::string text;
  for (const std::string& number : numbers) text += number + "\n";
  return text;
}

// The file with its entry at `position` (from 0) replaced.
std::string WithEntry(size_t position, const std::string& entry) {
  std::vector<std::string> numbers =
      Numbers(IndependentProbText(kMarginals, 3));
  numbers[position] = entry;
  return Joined(numbers);
}

const std::string kHeading =
    "unionbound: prob.txt: no events have these probabilities (";

// The run went on as usual: a summary, and a report with every pass.
void ExpectCompleteRun(const ProgramRun& run, int32_t n, int32_t m) {
  EXPECT_NE(run.out.find("Upper bound on the probability of the union:"),
            std::string::npos);
  ASSERT_TRUE(run.report.has_value());
  EXPECT_NE(run.report->find("l=" + std::to_string(n - m) + "\n"),
            std::string::npos);
}

TEST(DataCheckRun, GenuineDataRunSilently) {
  const ProgramRun run =
      RunProgram(IndependentProbText(kMarginals, 3), "15\n3\n\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
}

const std::string kPrompts =
    "Number of events. n=Maximum order of the intersections (must be an odd "
    "number). m=";

// No bounds at all: one line on standard error, nothing on standard output
// after the prompts, no report, status 2.
void ExpectNoBounds(const ProgramRun& run, const std::string& line) {
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, line +
                         "; nothing was computed and result.txt was left "
                         "as it was\n");
  EXPECT_EQ(run.out, kPrompts);
  EXPECT_FALSE(run.report.has_value());
}

TEST(DataCheckRun, AFileInPercentGivesNoBoundsAndAsksAboutPercentages) {
  std::vector<std::string> numbers;
  for (const std::string& number :
       Numbers(IndependentProbText(kMarginals, 3))) {
    numbers.push_back(std::to_string(std::stod(number) * 100.0));
  }
  const ProgramRun run = RunProgram(Joined(numbers), "15\n3\n\n");
  ExpectNoBounds(run,
                 "unionbound: prob.txt: number 1: P{1} = 12.5 is not a "
                 "probability in [0, 1] (nor are 224 more numbers); every "
                 "number lies in [0, 100]: are they percentages? Divide them "
                 "by 100");
}

TEST(DataCheckRun, OneValueOutsideZeroToOneGivesNoBounds) {
  ExpectNoBounds(RunProgram(WithEntry(2, "-0.5"), "15\n3\n\n"),
                 "unionbound: prob.txt: number 3: P{3} = -0.5 is not a "
                 "probability in [0, 1]");
  ExpectNoBounds(RunProgram(WithEntry(20, "1e308"), "15\n3\n\n"),
                 "unionbound: prob.txt: number 21: P{1,7} = 1e+308 is not a "
                 "probability in [0, 1]");
  // Beyond the tolerance, however little; within it, a probability.
  ExpectNoBounds(RunProgram(WithEntry(1, "1.00000001"), "15\n3\n\n"),
                 "unionbound: prob.txt: number 2: P{2} = 1.00000001 is not a "
                 "probability in [0, 1]; every number lies in [0, 100]: are "
                 "they percentages? Divide them by 100");
  // (which the rest of the data check then compares as any other)
  const ProgramRun within = RunProgram(WithEntry(0, "-1e-310"), "15\n3\n\n");
  EXPECT_EQ(within.err.find("is not a probability"), std::string::npos)
      << within.err;
  ExpectCompleteRun(within, 15, 3);
}

TEST(DataCheckRun, InconsistentProbabilitiesAreComputedAndFlagged) {
  // A probability of 1 puts every pair with event 2 below its floor
  // P{2} + P{j} - 1: no events have these numbers, yet each is one.
  const ProgramRun run = RunProgram(WithEntry(1, "1"), "15\n3\n\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind(kHeading, 0), 0u) << run.err;
  EXPECT_NE(run.err.find("\nunionbound: prob.txt: number 16: P{1,2} = "
                         "0.03125 is below P{1} + P{2} - 1 = 0.125\n"),
            std::string::npos)
      << run.err;
  ExpectCompleteRun(run, 15, 3);
}

TEST(DataCheckRun, AnIntersectionAboveItsPartIsNamedWithBoth) {
  // P{1,2,7} is number 15 + 105 + 5 = 125; P{1,7} is number 21.
  const ProgramRun run = RunProgram(WithEntry(124, "0.31"), "15\n3\n\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("\nunionbound: prob.txt: number 125: P{1,2,7} = "
                         "0.31 exceeds P{1,7} = 0.015625 (number 21)\n"),
            std::string::npos)
      << run.err;
}

TEST(DataCheckRun, AWrongNumberOfEventsIsCaught) {
  // 575 numbers of 15 events read as 14 events: 469 numbers, every one past
  // the first 14 misplaced, and 106 left over.
  const ProgramRun run =
      RunProgram(IndependentProbText(kMarginals, 3), "14\n3\n\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind(kHeading, 0), 0u) << run.err;
  EXPECT_NE(run.err.find("\nunionbound: prob.txt: warning: 106 entries after "
                         "the 469 numbers that n=14, m=3 ask for were not "
                         "read; n and m decide which numbers are read\n"),
            std::string::npos)
      << run.err;
  ExpectCompleteRun(run, 14, 3);
}

TEST(DataCheckRun, LeftOverNumbersAloneAreAWarning) {
  const std::string genuine = IndependentProbText(kMarginals, 3);
  const ProgramRun sound = RunProgram(genuine, "15\n3\n\n");
  const ProgramRun run = RunProgram(genuine + "0.5 0.25\n0.125", "15\n3\n\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "unionbound: prob.txt: warning: 3 entries after the 575 numbers "
            "that n=15, m=3 ask for were not read; n and m decide which "
            "numbers are read\n");
  EXPECT_EQ(MaskRunningTimes(run.out), MaskRunningTimes(sound.out));
  EXPECT_EQ(MaskRunningTimes(*run.report), MaskRunningTimes(*sound.report));
}

TEST(DataCheckRun, CrossingBestBoundsAreNamed) {
  // All of the file's pairs far too likely: the best lower bound climbs
  // above the best upper bound.
  std::vector<std::string> numbers =
      Numbers(IndependentProbText(kMarginals, 3));
  for (size_t i = 15; i < 120; ++i) numbers[i] = "0.01";
  const ProgramRun run = RunProgram(Joined(numbers), "15\n3\n\n");
  EXPECT_EQ(run.status, 2);
  const std::vector<std::string> lines = SplitLines(run.err);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("unionbound: the best lower bound ", 0), 0u)
      << run.err;
  EXPECT_NE(lines.back().find(") exceeds the best upper bound "),
            std::string::npos);
}

}  // namespace
}  // namespace unionbound::testing
