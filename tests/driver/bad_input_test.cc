// How the program answers input it cannot trust: console entries it refuses,
// and probability or report files that fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "driver/event_systems.h"
#include "driver/program_run.h"

namespace unionbound::testing {
namespace {

const std::string kPromptN = "Number of events. n=";
const std::string kPromptM =
    "Maximum order of the intersections (must be an odd number). m=";

// A refused entry: exit status 1, one line on standard error that contains
// `reason`, nothing written to result.txt, no prompt after the refused one.
void ExpectRefused(const std::string& input, const std::string& prompts,
                   const std::string& reason) {
  SCOPED_TRACE("input: " + input);
  const ProgramRun run = RunProgram("0.1 0.2 0.3\n", input);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, prompts);
  EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  EXPECT_FALSE(run.report.has_value());
}

TEST(ConsoleInput, EntriesThatAreNotIntegersOrMissingAreRefused) {
  ExpectRefused("", kPromptN, "standard input ended before n");
  ExpectRefused("abc\n3\n", kPromptN, "expected a whole number");
  ExpectRefused("99999999999\n3\n", kPromptN, "expected a whole number");
  ExpectRefused("7\n", kPromptN + kPromptM, "ended before m");
  ExpectRefused("7\nx\n", kPromptN + kPromptM, "expected a whole number");
  // "7.5": n reads 7, then ".5" is no integer for m.
  ExpectRefused("7.5\n3\n", kPromptN + kPromptM, "for m");
  // Sizes beyond the supported range are refused before m is asked for.
  ExpectRefused("2147483646\n1\n", kPromptN,
                "n must be at most 100000 (got 2147483646)");
}

TEST(ConsoleInput, OrdersOutsideWhatTheMethodSupportsAreRefused) {
  const std::string both = kPromptN + kPromptM;
  ExpectRefused("7\n0\n", both, "m must be at least 1 (got 0)");
  ExpectRefused("7\n-3\n", both, "m must be at least 1 (got -3)");
  ExpectRefused("7\n2\n", both, "m must be an odd number (got 2)");
  ExpectRefused("9\n4\n", both, "m must be an odd number (got 4)");
  ExpectRefused("30\n13\n", both, "m must be at most 11 (got 13)");
  ExpectRefused("3000\n3\n", both, "32-bit limit");
}

TEST(ProbabilityFile, MissingOrFaultyDataKeepTheOutputButFailTheRun) {
  const std::string input = "7\n3\n\n";
  std::string zeros;
  for (int i = 0; i < 63; ++i) zeros += "0\n";
  const ProgramRun reference = RunProgram(zeros, input);
  ASSERT_EQ(reference.status, 0);

  {
    TempFolder folder;  // no prob.txt at all
    const ProgramRun missing = RunProgramIn(folder.path(), input);
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "unionbound: prob.txt: expected 63 numbers, read 0 (the file "
              "cannot be opened); the missing ones were taken as 0\n");
    EXPECT_EQ(missing.report.has_value(), true);
    EXPECT_EQ(SplitLines(*missing.report).size(),
              SplitLines(*reference.report).size());
  }
  const ProgramRun short_file = RunProgram("0 0 0\n", input);
  EXPECT_EQ(short_file.status, 2);
  EXPECT_NE(short_file.err.find("expected 63 numbers, read 3 (the file ends "
                                "early)"),
            std::string::npos)
      << short_file.err;

  const ProgramRun bad_token = RunProgram("0 0 zero 0\n" + zeros, input);
  EXPECT_EQ(bad_token.status, 2);
  EXPECT_NE(bad_token.err.find("read 2 (a token is not a number)"),
            std::string::npos)
      << bad_token.err;
  // Entries that failed are 0.0, so the output equals the all-zero run.
  EXPECT_EQ(bad_token.out.size(), reference.out.size());

  // Numbers beyond the count are never read.
  const ProgramRun extra = RunProgram(zeros + "0.5 junk\n", input);
  EXPECT_EQ(extra.status, 0) << extra.err;
  EXPECT_EQ(extra.err, "");
}

TEST(ReportFile, AReportThatCannotBeCreatedFailsTheRunButNotTheSummary) {
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt",
                 IndependentProbText({0.1, 0.2, 0.3, 0.1, 0.2, 0.3, 0.1}, 3));
  std::filesystem::create_directory(folder.path() / "result.txt");
  const ProgramRun run = RunProgramIn(folder.path(), "7\n3\n\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("cannot open result.txt"), std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("Upper bound on the probability of the union:"),
            std::string::npos);
}

}  // namespace
}  // namespace unionbound::testing
