// Whole runs of the built program: console dialogue, result.txt layout, the
// summary and the exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "driver/event_systems.h"
#include "driver/program_run.h"
#include "driver/running_times.h"

namespace unionbound::testing {
namespace {

const std::string kPrompts =
    "Number of events. n=Maximum order of the intersections (must be an odd "
    "number). m=";
const std::vector<double> kSevenMarginals = {0.05, 0.1,  0.15, 0.2,
                                             0.08, 0.12, 0.03};

bool Matches(const std::string& text, const char* pattern) {
  return std::regex_match(text, std::regex(pattern));
}

// Checks one pass of result.txt starting at line `at`; returns the line after
// it. `fixed` tells whether its bounds are in fixed notation.
size_t ExpectPass(const std::vector<std::string>& lines, size_t at, int l,
                  bool fixed) {
  const char* bound =
      fixed ? R"(-?[0-9]+\.[0-9]{15})" : R"(-?[0-9]+(\.[0-9]+)?(e[-+][0-9]+)?)";
  const char* time = fixed ? R"(Running time: [0-9]+\.[0-9]{15})"
                           : R"(Running time: [0-9]+(\.[0-9]{1,3})?)";
  EXPECT_EQ(lines.at(at), "");
  EXPECT_EQ(lines.at(at + 1), "");
  EXPECT_EQ(lines.at(at + 2),
            "The length of the subsecuences. l=" + std::to_string(l));
  size_t i = at + 3;
  for (const char* heading : {"Lower bound on the probability of the union:",
                              "Upper bound on the probability of the union:"}) {
    EXPECT_EQ(lines.at(i), heading);
    EXPECT_TRUE(Matches(lines.at(i + 1), bound)) << lines.at(i + 1);
    EXPECT_TRUE(Matches(lines.at(i + 2), time)) << lines.at(i + 2);
    EXPECT_EQ(lines.at(i + 3), "");
    EXPECT_EQ(lines.at(i + 4), "Kjs:");
    EXPECT_TRUE(Matches(lines.at(i + 5), R"(\{(\{[0-9]+,\},){2}\})"))
        << lines.at(i + 5);
    EXPECT_TRUE(Matches(lines.at(i + 6), "q1:[0-3]")) << lines.at(i + 6);
    EXPECT_EQ(lines.at(i + 7), "Vks:");
    EXPECT_TRUE(Matches(lines.at(i + 8), R"(\{(\{([0-9]+,){3}\},){2}\})"))
        << lines.at(i + 8);
    EXPECT_EQ(lines.at(i + 9), "Basis subscripts:");
    EXPECT_TRUE(
        Matches(lines.at(i + 10), R"(\{(\{-?[0-9]+,-?[0-9]+,\},){10}\})"))
        << lines.at(i + 10);
    i += 11;
  }
  EXPECT_EQ(lines.at(i), "");
  EXPECT_EQ(lines.at(i + 1), "The binomial moments:");
  EXPECT_TRUE(
      Matches(lines.at(i + 2), R"(\{1\.0{20},(-?[0-9]+\.[0-9]{20},){9}\})"))
      << lines.at(i + 2);
  return i + 3;
}

TEST(WholeRun, SevenEventsMakePassesThreeAndFourWithTheReportLayout) {
  const ProgramRun run =
      RunProgram(IndependentProbText(kSevenMarginals, 3), "7\n3\n\n");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  ASSERT_TRUE(run.report.has_value());
  const std::vector<std::string> lines = SplitLines(*run.report);
  EXPECT_EQ(lines.at(0), "n=7, m=3, m_k=3");
  size_t next = ExpectPass(lines, 1, 3, /*fixed=*/false);
  next = ExpectPass(lines, next, 4, /*fixed=*/true);
  EXPECT_EQ(next, lines.size());
  EXPECT_EQ(run.report->back(), '\n');
}

TEST(WholeRun, ConsoleSummaryHasItsExactForm) {
  const ProgramRun run =
      RunProgram(IndependentProbText(kSevenMarginals, 3), "7\n3\n\n");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(run.out.substr(0, kPrompts.size()), kPrompts);
  const std::regex summary(R"(Lower bound on the probability of the union:\n)"
                           R"((-?[0-9]+(\.[0-9]+)?)\n\n)"
                           R"(Running time: \n[0-9]+\.[0-9]{3}\n\n)"
                           R"(The length of the subsequences: l=[34]\n\n)"
                           R"(Upper bound on the probability of the union:\n)"
                           R"((-?[0-9]+\.[0-9]{15})\n\n)"
                           R"(Running time: \n[0-9]+\.[0-9]{3}\n\n)"
                           R"(The length of the subsequences: l=[34]\n\n)"
                           R"(Press RETURN to continue)");
  std::smatch parts;
  const std::string after_prompts = run.out.substr(kPrompts.size());
  ASSERT_TRUE(std::regex_match(after_prompts, parts, summary)) << run.out;
  const double truth = IndependentUnion(kSevenMarginals);
  EXPECT_LE(std::stod(parts[1]), truth + 1e-9);
  EXPECT_GE(std::stod(parts[3]), truth - 1e-9);
}

TEST(WholeRun, TooFewEventsForAPassAreRefusedBeforeAnyReading) {
  // n = 5, m = 3: no l satisfies m <= l <= n - m.
  const ProgramRun five =
      RunProgram(IndependentProbText({0.1, 0.2, 0.3, 0.4, 0.5}, 3), "5\n3\n");
  EXPECT_EQ(five.status, 1);
  EXPECT_EQ(five.err,
            "unionbound: n must be at least 2m = 6 for any bound (got n=5, "
            "m=3)\n");
  EXPECT_FALSE(five.report.has_value());
  EXPECT_EQ(five.out, kPrompts);

  // n = 6, m = 3 is the smallest run: one pass, l = 3.
  const ProgramRun six = RunProgram(
      IndependentProbText({0.1, 0.2, 0.3, 0.4, 0.5, 0.1}, 3), "6\n3\n");
  EXPECT_EQ(six.status, 0) << six.err;
  ASSERT_TRUE(six.report.has_value());
  EXPECT_NE(six.report->find("l=3\n"), std::string::npos);
  EXPECT_EQ(six.report->find("l=4\n"), std::string::npos);
}

TEST(WholeRun, EqualBoundsAcrossLKeepTheEarlierL) {
  // With every probability 0 all passes give the same bounds.
  std::string zeros;
  for (int i = 0; i < 63; ++i) zeros += "0\n";
  const ProgramRun run = RunProgram(zeros, "7\n3\n\n");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> out = SplitLines(run.out);
  EXPECT_NE(run.out.find("The length of the subsequences: l=3\n\nUpper"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(out.at(out.size() - 3), "The length of the subsequences: l=3");
}

TEST(WholeRun, ANewRunReplacesTheWholeEarlierReport) {
  // The folder keeps the report of an earlier run, made longer; the new run
  // must replace all of it rather than write over its start.
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt",
                 IndependentProbText(kSevenMarginals, 3));
  const ProgramRun first = RunProgramIn(folder.path(), "7\n3\n\n");
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_TRUE(first.report.has_value());
  WriteWholeFile(folder.path() / "result.txt",
                 *first.report + std::string(4096, '#') + "\n");
  const ProgramRun second = RunProgramIn(folder.path(), "7\n3\n\n");
  ASSERT_EQ(second.status, 0) << second.err;
  ASSERT_TRUE(second.report.has_value());
  EXPECT_EQ(second.report->find('#'), std::string::npos);
  EXPECT_EQ(MaskRunningTimes(*second.report), MaskRunningTimes(*first.report));
  EXPECT_EQ(MaskRunningTimes(second.out), MaskRunningTimes(first.out));
}

TEST(BundledExample, BoundsBracketTheTrueUnionProbability) {
  // examples/README.md: the union of the twelve divisibility events has
  // probability 843/1000.
  const std::filesystem::path example =
      std::filesystem::path(UNIONBOUND_SOURCE_DIR) / "examples" / "prob.txt";
  const ProgramRun run = RunProgram(ReadWholeFile(example), "12\n3\n\n");
  ASSERT_EQ(run.status, 0) << run.err;
  std::smatch parts;
  ASSERT_TRUE(std::regex_search(
      run.out, parts, std::regex(R"(union:\n(\S+)\n[\s\S]*union:\n(\S+)\n)")))
      << run.out;
  EXPECT_LE(std::stod(parts[1]), 0.843);
  EXPECT_GE(std::stod(parts[2]), 0.843);
}

}  // namespace
}  // namespace unionbound::testing
