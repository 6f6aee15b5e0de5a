// unionbound run from the command line: the same report, summary, messages
// and exit status as the dialogue, without prompts; the files the options
// name; the JSON document; and refusals of options.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "driver/event_systems.h"
#include "driver/program_run.h"
#include "driver/running_times.h"

namespace unionbound::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

fs::path GoldenRoot() {
  return fs::path(UNIONBOUND_SOURCE_DIR) / "tests" / "golden";
}

// Runs the program with the given arguments (shell words) in folder.
ProgramRun RunWithArguments(const fs::path& folder, const std::string& args) {
  return RunProgramInShell(folder, "", args + " < /dev/null");
}

// The dialogue's standard output as a run from the command line prints it:
// without the two prompts and the final request to press RETURN.
std::string WithoutPrompts(std::string out) {
  for (const std::string& prompt :
       {std::string("Number of events. n="),
        std::string(
            "Maximum order of the intersections (must be an odd number). "
            "m="),
        std::string("Press RETURN to continue")}) {
    const size_t at = out.find(prompt);
    if (at != std::string::npos) out.erase(at, prompt.size());
  }
  return out;
}

TEST(ScriptedRun, GivesTheDialoguesOutputsOnEveryGoldenInput) {
  int cases = 0;
  for (const auto& entry : fs::directory_iterator(GoldenRoot())) {
    if (!entry.is_directory()) continue;
    const fs::path golden = entry.path();
    SCOPED_TRACE(golden.filename().string());
    std::istringstream sizes(ReadWholeFile(golden / "stdin.txt"));
    std::string n;
    std::string m;
    sizes >> n >> m;
    TempFolder dialogue;
    TempFolder scripted;
    if (fs::exists(golden / "prob.txt")) {
      fs::copy_file(golden / "prob.txt", dialogue.path() / "prob.txt");
      fs::copy_file(golden / "prob.txt", scripted.path() / "prob.txt");
    }
    const ProgramRun asked =
        RunProgramIn(dialogue.path(), ReadWholeFile(golden / "stdin.txt"));
    const ProgramRun given =
        RunWithArguments(scripted.path(), "-n " + n + " -m " + m);
    EXPECT_EQ(given.status, asked.status);
    EXPECT_EQ(given.err, asked.err);
    EXPECT_EQ(MaskRunningTimes(given.out),
              WithoutPrompts(MaskRunningTimes(asked.out)));
    ASSERT_EQ(given.report.has_value(), asked.report.has_value());
    if (asked.report) {
      EXPECT_EQ(MaskRunningTimes(*given.report),
                MaskRunningTimes(*asked.report));
    }
    ++cases;
  }
  EXPECT_GE(cases, 10);
}

// The bound lines of result.txt, in file order: every line after a
// "... bound on the probability of the union:" heading.
std::vector<std::string> ReportBoundLines(const std::string& report) {
  std::vector<std::string> bounds;
  const std::vector<std::string> lines = SplitLines(report);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i].find("bound on the probability of the union:") !=
        std::string::npos) {
      bounds.push_back(lines[i + 1]);
    }
  }
  return bounds;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(ScriptedRun, JsonHoldsTheDoublesTheReportPrints) {
  TempFolder folder;
  fs::copy_file(GoldenRoot() / "independent_20_3" / "prob.txt",
                folder.path() / "in.txt");
  const ProgramRun run = RunWithArguments(
      folder.path(), "-n 20 -m 3 -i in.txt -o out.txt --json run.json");
  ASSERT_EQ(run.status, 0) << run.err;
  const json doc = json::parse(ReadWholeFile(folder.path() / "run.json"));
  EXPECT_EQ(doc["program"], "unionbound");
  EXPECT_EQ(doc["n"], 20);
  EXPECT_EQ(doc["m"], 3);
  EXPECT_EQ(doc["input"], "in.txt");
  EXPECT_EQ(doc["numbers_read"], doc["numbers_expected"]);
  EXPECT_EQ(doc["data_check"]["problems"], 0);
  EXPECT_EQ(doc["status"], 0);
  EXPECT_TRUE(doc["messages"].empty());

  // The report prints the first pass's bounds with 15 significant digits
  // and every later one with 15 decimals.
  std::ostringstream printed;
  printed.precision(15);
  const json& passes = doc["passes"];
  ASSERT_EQ(passes.size(), 20u - 2 * 3 + 1);
  for (size_t i = 0; i < passes.size(); ++i) {
    if (i == 1) printed << std::fixed;
    printed << passes[i]["lower"]["value"].get<double>() << "\n"
            << passes[i]["upper"]["value"].get<double>() << "\n";
  }
  const std::vector<std::string> reported =
      ReportBoundLines(ReadWholeFile(folder.path() / "out.txt"));
  EXPECT_EQ(reported, SplitLines(printed.str()));

  // The best bounds are those of their passes, bit for bit, and the summary
  // prints them.
  for (const char* sense : {"lower", "upper"}) {
    const json& best = doc[sense];
    const json& pass = passes[best["l"].get<size_t>() - 3];
    EXPECT_TRUE(SameBits(best["value"].get<double>(),
                         pass[sense]["value"].get<double>()));
  }
  std::ostringstream summary;
  summary.precision(15);
  summary << doc["lower"]["value"].get<double>();
  EXPECT_NE(run.out.find(summary.str() + "\n"), std::string::npos) << run.out;
}

TEST(ScriptedRun, StandardInputAndOutputByDash) {
  TempFolder folder;
  const std::string prob =
      IndependentProbText({0.1, 0.2, 0.05, 0.3, 0.15, 0.08, 0.12}, 3);
  WriteWholeFile(folder.path() / "prob.txt", prob);
  const ProgramRun fromFile = RunWithArguments(folder.path(), "-n 7 -m 3");
  ASSERT_EQ(fromFile.status, 0) << fromFile.err;
  const ProgramRun fromStdin = RunProgramInShell(
      folder.path(), "", "-n 7 -m 3 -i - -o piped.txt --json - < prob.txt");
  ASSERT_EQ(fromStdin.status, 0) << fromStdin.err;
  EXPECT_EQ(MaskRunningTimes(ReadWholeFile(folder.path() / "piped.txt")),
            MaskRunningTimes(*fromFile.report));
  // Standard output carries the JSON document alone.
  const json doc = json::parse(fromStdin.out);
  EXPECT_EQ(doc["input"], "-");
  EXPECT_EQ(doc["numbers_read"], doc["numbers_expected"]);
}

TEST(ScriptedRun, QuietPrintsErrorsOnly) {
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt", "0.1 0.2 0.3\n");  // short
  const ProgramRun run = RunWithArguments(folder.path(), "-n 7 -m 3 --quiet");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("need 63 numbers, but the input ends after 3"),
            std::string::npos)
      << run.err;
  EXPECT_FALSE(run.report.has_value());
}

TEST(ScriptedRun, TwoRunsInOneFolderWithTheirOwnReportsDoNotMeet) {
  TempFolder folder;
  const std::string first =
      IndependentProbText({0.1, 0.2, 0.05, 0.3, 0.15, 0.08, 0.12, 0.2}, 3);
  const std::string second =
      IndependentProbText({0.3, 0.01, 0.25, 0.1, 0.05, 0.2, 0.02, 0.4}, 3);
  WriteWholeFile(folder.path() / "a.txt", first);
  WriteWholeFile(folder.path() / "b.txt", second);
  const std::string binary = std::string("'") + UNIONBOUND_BINARY + "'";
  const std::string both =
      "cd '" + folder.path().string() + "' && { " + binary +
      " -n 8 -m 3 -i a.txt -o ra.txt -q & " + binary +
      " -n 8 -m 3 -i b.txt -o rb.txt -q --json rb.json & wait; }";
  ASSERT_EQ(std::system(both.c_str()), 0);

  for (const auto& [input, report] :
       {std::pair{"a.txt", "ra.txt"}, std::pair{"b.txt", "rb.txt"}}) {
    TempFolder alone;
    fs::copy_file(folder.path() / input, alone.path() / "prob.txt");
    const ProgramRun single = RunWithArguments(alone.path(), "-n 8 -m 3");
    EXPECT_EQ(MaskRunningTimes(ReadWholeFile(folder.path() / report)),
              MaskRunningTimes(*single.report))
        << report;
  }
  EXPECT_FALSE(fs::exists(folder.path() / "result.txt"));
  EXPECT_EQ(json::parse(ReadWholeFile(folder.path() / "rb.json"))["input"],
            "b.txt");
}

TEST(ScriptedRun, RefusedOptionsAndSizesExitOneWithOneLine) {
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt",
                 IndependentProbText({0.1, 0.2, 0.05, 0.3, 0.15, 0.08}, 3));
  for (const char* args :
       {"12 3 prob.txt more", "12", "-n 12 -m 3 4", "-n 12 -m 3 --json ''",
        "-n 6 -m 3 -i ''", "-n 12", "-m 3", "-n x -m 3",
        "-n 6 -m 3 --frobnicate", "-n 6 -m 3 -i", "-o r.txt", "-n 6 -m 4",
        "-n 200000 -m 3", "-n 6 -m 13"}) {
    SCOPED_TRACE(args);
    const ProgramRun run = RunWithArguments(folder.path(), args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(SplitLines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("unionbound: ", 0), 0u) << run.err;
    EXPECT_FALSE(run.report.has_value());
  }
  // The sizes are refused with the dialogue's messages.
  const ProgramRun asked = RunProgramIn(folder.path(), "6\n4\n");
  const ProgramRun given = RunWithArguments(folder.path(), "-n 6 -m 4");
  EXPECT_EQ(given.err, asked.err);
}

// A run refused before anything is computed still writes the JSON document
// asked for: the sizes as given, the status and the message, no bounds.
struct Refusal {
  const char* args;  // --json r.json, or --json - for standard output
  int status;
  json n;
  json m;
};

// Test names show the arguments.
void PrintTo(const Refusal& refusal, std::ostream* out) {
  *out << refusal.args;
}

class RefusedRunJson : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedRunJson, HoldsTheSizesTheStatusAndTheMessage) {
  const Refusal& refusal = GetParam();
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt",
                 IndependentProbText({0.1, 0.2, 0.05, 0.3, 0.15, 0.08}, 3));
  const ProgramRun run = RunWithArguments(folder.path(), refusal.args);
  EXPECT_EQ(run.status, refusal.status) << run.err;
  EXPECT_FALSE(run.report.has_value());
  const bool toStdout =
      std::string(refusal.args).find("--json -") != std::string::npos;
  const json doc =
      json::parse(toStdout ? run.out : ReadWholeFile(folder.path() / "r.json"));
  std::vector<std::string> keys;
  for (const auto& [key, value] : doc.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"input", "m", "messages", "n",
                                            "program", "status", "version"}));
  EXPECT_EQ(doc["program"], "unionbound");
  EXPECT_EQ(doc["n"], refusal.n);
  EXPECT_EQ(doc["m"], refusal.m);
  EXPECT_EQ(doc["status"], refusal.status);
  EXPECT_EQ(doc["messages"], json(SplitLines(run.err)));
  EXPECT_EQ(SplitLines(run.err).size(), 1u) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfRefusal, RefusedRunJson,
    ::testing::Values(
        Refusal{"-n x -m 3 --json r.json", 1, nullptr, 3},
        Refusal{"-n 99999999999 -m 3 --json r.json", 1, nullptr, 3},
        Refusal{"-n 6 -m 4 --json r.json", 1, 6, 4},
        Refusal{"-n 5 -m 3 --json r.json", 1, 5, 3},
        Refusal{"-n 6 -m 3 --json - --frobnicate", 1, 6, 3},
        Refusal{"-n 6 --json r.json", 1, 6, nullptr},
        Refusal{"-n 6 -m 3 -i missing.txt --json r.json", 2, 6, 3}));

TEST(ScriptedRun, HelpAndVersionExitZero) {
  TempFolder folder;
  const ProgramRun help = RunWithArguments(folder.path(), "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--json"), std::string::npos);
  const ProgramRun version = RunWithArguments(folder.path(), "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("unionbound ", 0), 0u);
  EXPECT_EQ(version.err, "");
}

}  // namespace
}  // namespace unionbound::testing
