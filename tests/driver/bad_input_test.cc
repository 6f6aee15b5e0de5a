// How the program answers input it cannot trust: console entries it refuses,
// and probability or report files that fail.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "driver/event_systems.h"
#include "driver/program_run.h"
#include "driver/running_times.h"

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
  const std::string both = kPromptN + kPromptM;
  ExpectRefused("", kPromptN, "standard input ended before n");
  ExpectRefused("abc\n3\n", kPromptN,
                "expected a whole number for n (the number of events), got "
                "\"abc\"");
  ExpectRefused("99999999999\n3\n", kPromptN, "for n");
  ExpectRefused("7\n", both, "ended before m");
  ExpectRefused("7\nx\n", both,
                "for m (the maximum order of the "
                "intersections), got \"x\"");
  // Each size is one whole token: what follows the digits is no part of
  // the next one.
  for (const char* n :
       {"15abc", "3.5", "0x10", "1e1", "7.", "+", "--7", "7,", "\xff"}) {
    ExpectRefused(std::string(n) + "\n3\n", kPromptN, "for n");
  }
  for (const char* m : {"3.5", "3abc", "0x3", "3e0", "3-", "-"}) {
    ExpectRefused("15\n" + std::string(m) + "\n", both,
                  "got \"" + std::string(m) + "\"");
  }
  // A long token is shown cut short, bytes that do not print as escapes.
  ExpectRefused(std::string(100, '9') + "\n3\n", kPromptN,
                "got \"" + std::string(40, '9') + "...\"");
  ExpectRefused("7\n3\x01\n", both, "got \"3\\x01\"");
  // Sizes beyond the supported range are refused before m is asked for.
  ExpectRefused("2147483646\n1\n", kPromptN,
                "n must be at most 100000 (got 2147483646)");
}

TEST(ConsoleInput, SizesWithoutAnyBoundAreRefused) {
  const std::string both = kPromptN + kPromptM;
  ExpectRefused("1\n1\n", kPromptN,
                "n must be at least 2 for any bound (got 1)");
  ExpectRefused("0\n1\n", kPromptN, "(got 0)");
  ExpectRefused("-5\n1\n", kPromptN, "(got -5)");
  ExpectRefused("5\n3\n", both,
                "n must be at least 2m = 6 for any bound (got n=5, m=3)");
  ExpectRefused("3\n5\n", both, "n must be at least 2m = 10");
  ExpectRefused("21\n11\n", both, "n must be at least 2m = 22");
}

TEST(ConsoleInput, SignedAndSpacedTokensAreTakenAsIntegers) {
  const std::string prob =
      IndependentProbText({0.1, 0.2, 0.3, 0.1, 0.2, 0.3, 0.1}, 3);
  const ProgramRun plain = RunProgram(prob, "7\n3\n\n");
  ASSERT_EQ(plain.status, 0) << plain.err;
  for (const char* input :
       {"+7\n+3\n\n", "  7\t 3\n\n", "007\n03\n\n", "7 3\n"}) {
    SCOPED_TRACE(input);
    const ProgramRun run = RunProgram(prob, input);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.size(), plain.out.size());
  }
}

// A missing, short or unreadable file gives no bounds: one line, nothing
// on standard output after the prompts, no report, status 2.
TEST(ProbabilityFile, MissingOrFaultyDataGiveNoBounds) {
  const std::string input = "7\n3\n\n";
  std::string zeros;
  for (int i = 0; i < 63; ++i) zeros += "0\n";
  const ProgramRun reference = RunProgram(zeros, input);
  ASSERT_EQ(reference.status, 0);

  {
    // No prob.txt at all: said before the questions, which are not asked.
    TempFolder folder;
    const ProgramRun missing = RunProgramIn(folder.path(), input);
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err,
              "unionbound: cannot read prob.txt (No such file or directory); "
              "nothing was computed and result.txt was left as it was\n");
    EXPECT_EQ(missing.out, "");
    EXPECT_FALSE(missing.report.has_value());
  }
  const ProgramRun short_file = RunProgram("0 0 0\n", input);
  EXPECT_EQ(short_file.status, 2);
  EXPECT_EQ(short_file.err,
            "unionbound: prob.txt: n=7, m=3 need 63 numbers, but the input "
            "ends after 3; nothing was computed and result.txt was left as it "
            "was\n");
  EXPECT_EQ(short_file.out, kPromptN + kPromptM);
  EXPECT_FALSE(short_file.report.has_value());

  // A token is named whole, with its own position.
  for (const auto& [token, position] :
       {std::pair{"zero", 3}, std::pair{"0.25abc", 3}, std::pair{"0x1p-3", 3},
        std::pair{"0,500", 3}}) {
    const ProgramRun bad_token =
        RunProgram("0 0 " + std::string(token) + " 0\n" + zeros, input);
    EXPECT_EQ(bad_token.status, 2);
    EXPECT_EQ(bad_token.err, "unionbound: prob.txt: number " +
                                 std::to_string(position) +
                                 " is not a number: \"" + token +
                                 "\"; nothing was computed and result.txt "
                                 "was left as it was\n");
    EXPECT_EQ(bad_token.out, kPromptN + kPromptM);
    EXPECT_FALSE(bad_token.report.has_value());
  }
  // The last number half-read would leave one entry over and other bounds.
  std::string last = zeros.substr(0, zeros.size() - 2);
  const ProgramRun half = RunProgram(last + "0.001x5130911053113081\n", input);
  EXPECT_EQ(half.status, 2);
  EXPECT_NE(half.err.find("number 63 is not a number: "
                          "\"0.001x5130911053113081\""),
            std::string::npos)
      << half.err;

  // Entries beyond the count are never read, but they are counted.
  const ProgramRun extra = RunProgram(zeros + "0.5 junk\n", input);
  EXPECT_EQ(extra.status, 0) << extra.err;
  EXPECT_EQ(extra.err,
            "unionbound: prob.txt: warning: 2 entries after the 63 numbers "
            "that n=7, m=3 ask for were not read; n and m decide which "
            "numbers are read\n");
  EXPECT_EQ(MaskRunningTimes(extra.out), MaskRunningTimes(reference.out));
  const ProgramRun one_extra = RunProgram(zeros + "\n\n7", input);
  EXPECT_NE(one_extra.err.find("1 entry after the 63 numbers that n=7, m=3 "
                               "ask for was not read"),
            std::string::npos)
      << one_extra.err;
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
