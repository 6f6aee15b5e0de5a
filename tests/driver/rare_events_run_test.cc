// Whole runs on rare events, where a plain double evaluation of the bounds
// loses their digits: every place a bound is printed (the summary, every
// pass of result.txt, the --json document) must hold a valid bound close to
// the union, the run must exit 0 and say once on standard error which passes
// were evaluated again, and events so rare that their probabilities are
// subnormal must keep their exact bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "driver/event_systems.h"
#include "driver/program_run.h"

namespace unionbound::testing {
namespace {

using nlohmann::json;

const char kLowerHeading[] = "Lower bound on the probability of the union:";
const char kUpperHeading[] = "Upper bound on the probability of the union:";

// Every number printed on the line after each occurrence of heading.
std::vector<double> ValuesAfter(const std::string& text,
                                const std::string& heading) {
  std::vector<double> values;
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] != heading) continue;
    char* end = nullptr;
    values.push_back(std::strtod(lines[i + 1].c_str(), &end));
    EXPECT_EQ(*end, '\0') << "not a number: " << lines[i + 1];
  }
  return values;
}

// The summary's number follows its heading on the same line (after the
// prompts, which end without a line break).
double SummaryValue(const std::string& out, const std::string& heading) {
  const size_t at = out.find(heading);
  if (at == std::string::npos) return std::nan("");
  return std::strtod(out.c_str() + at + heading.size(), nullptr);
}

// P(A_i) = s * i for twelve independent events, m = 3: the union is known
// to far beyond 1e-12, and the plain double evaluation of the bounds puts
// the lower one above the upper one at s = 1e-10.
TEST(RareEventsRun, EveryPrintedBoundIsValidAndTheRunSaysWhatWasRedone) {
  const double s = 1e-10;
  std::vector<double> marginals;
  double logNone = 0.0;
  for (int i = 1; i <= 12; ++i) {
    marginals.push_back(s * i);
    logNone += std::log1p(-s * i);
  }
  const double truth = -std::expm1(logNone);
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt", IndependentProbText(marginals, 3));
  const ProgramRun run = RunProgramInShell(
      folder.path(), "", "-n 12 -m 3 --json doc.json < /dev/null");

  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err.rfind("unionbound: the bounds of l=", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(" were evaluated again on rescaled moments: the "
                         "events are so rare that double precision lost "
                         "digits of them\n"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(SplitLines(run.err).size(), 1u) << run.err;

  // The best bounds as the summary prints them: the lower one with 15
  // significant digits, the upper one with 15 decimals.
  const double lower = SummaryValue(run.out, kLowerHeading);
  const double upper = SummaryValue(run.out, kUpperHeading);
  EXPECT_NEAR(lower, truth, 1e-9 * truth);
  EXPECT_LE(lower, truth * (1 + 1e-12));
  EXPECT_NEAR(upper, truth, 5e-16);

  // Every pass of result.txt: the first with 15 significant digits, the
  // later ones with 15 decimals, so a bound may be off by half of 1e-15.
  ASSERT_TRUE(run.report.has_value());
  const std::vector<double> lowers = ValuesAfter(*run.report, kLowerHeading);
  const std::vector<double> uppers = ValuesAfter(*run.report, kUpperHeading);
  ASSERT_EQ(lowers.size(), 7u);  // l = 3 .. 9
  ASSERT_EQ(uppers.size(), 7u);
  for (size_t i = 0; i < lowers.size(); ++i) {
    EXPECT_LE(lowers[i], truth * (1 + 1e-12) + 5e-16) << "l=" << i + 3;
    EXPECT_GE(uppers[i], truth * (1 - 1e-12) - 5e-16) << "l=" << i + 3;
  }

  // The JSON document holds every pass to the last bit: each one valid, the
  // best ones those of the summary, and the same message.
  const json doc = json::parse(ReadWholeFile(folder.path() / "doc.json"));
  EXPECT_EQ(doc["status"], 0);
  ASSERT_EQ(doc["passes"].size(), 7u);
  for (const json& pass : doc["passes"]) {
    const double low = pass["lower"]["value"].get<double>();
    const double up = pass["upper"]["value"].get<double>();
    EXPECT_LE(low, truth * (1 + 1e-12)) << pass["l"];
    EXPECT_GE(up, truth * (1 - 1e-12)) << pass["l"];
  }
  const double bestUpper = doc["upper"]["value"].get<double>();
  EXPECT_NEAR(doc["lower"]["value"].get<double>(), lower, 1e-14 * truth);
  EXPECT_NEAR(bestUpper, upper, 5e-16);
  EXPECT_NEAR(bestUpper, truth, 1e-9 * truth);
  EXPECT_GE(bestUpper, truth * (1 - 1e-12));
  ASSERT_EQ(doc["messages"].size(), 1u);
  EXPECT_EQ(doc["messages"][0].get<std::string>() + "\n", run.err);
}

// Twelve events each of the smallest subnormal probability, no two
// together: the union is 12 times it, and both bounds say so exactly.
TEST(RareEventsRun, SubnormalProbabilitiesGiveTheirExactUnion) {
  std::vector<double> marginals(12, 0x1p-1074);
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt", IndependentProbText(marginals, 3));
  const ProgramRun run = RunProgramInShell(
      folder.path(), "", "-n 12 -m 3 --json doc.json < /dev/null");
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = json::parse(ReadWholeFile(folder.path() / "doc.json"));
  EXPECT_EQ(doc["lower"]["value"].get<double>(), 12 * 0x1p-1074);
  EXPECT_EQ(doc["upper"]["value"].get<double>(), 12 * 0x1p-1074);
  // The summary's upper bound has 15 decimals: 0 to them.
  EXPECT_EQ(SummaryValue(run.out, kLowerHeading), 12 * 0x1p-1074);
}

}  // namespace
}  // namespace unionbound::testing
