// The files a run from the command line names, at their edges: outputs that
// would overwrite the input or each other, "-" for the standard streams,
// empty names, the positional sizes, endless and binary input, and memory
// that runs out.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "driver/event_systems.h"
#include "driver/program_run.h"
#include "driver/running_times.h"

namespace unionbound::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

ProgramRun RunWithArguments(const fs::path& folder, const std::string& args) {
  return RunProgramInShell(folder, "", args + " < /dev/null");
}

const std::string kProb =
    IndependentProbText({0.1, 0.2, 0.05, 0.3, 0.15, 0.08, 0.12}, 3);

TEST(FileOptions, AnOutputThatIsTheInputOrTheOtherOutputIsRefused) {
  for (const char* args :
       {"-n 7 -m 3 -i prob.txt -o prob.txt", "-n 7 -m 3 --json prob.txt",
        "-n 7 -m 3 -o ./prob.txt", "-n 7 -m 3 -o link.txt",
        "-n 7 -m 3 -o r.txt --json r.txt",
        "-n 7 -m 3 -o new.txt --json ./new.txt",
        "-n 7 -m 3 -i - -o prob.txt < prob.txt", "7 3 prob.txt -o prob.txt"}) {
    SCOPED_TRACE(args);
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", kProb);
    WriteWholeFile(folder.path() / "r.txt", "earlier report\n");
    fs::create_symlink("prob.txt", folder.path() / "link.txt");
    const ProgramRun run = RunProgramInShell(folder.path(), "", args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(SplitLines(run.err).size(), 1u) << run.err;
    EXPECT_NE(run.err.find("is the same file as"), std::string::npos)
        << run.err;
    EXPECT_EQ(ReadWholeFile(folder.path() / "prob.txt"), kProb);
    EXPECT_EQ(ReadWholeFile(folder.path() / "r.txt"), "earlier report\n");
    EXPECT_FALSE(fs::exists(folder.path() / "new.txt"));
  }
}

TEST(FileOptions, DashIsTheStandardStreamForEveryFileOption) {
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt", kProb);
  const ProgramRun plain = RunWithArguments(folder.path(), "-n 7 -m 3");
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_TRUE(plain.report.has_value());
  fs::remove(folder.path() / "result.txt");

  // -o -: the report alone on standard output, no file named "-".
  const ProgramRun report =
      RunProgramInShell(folder.path(), "", "-n 7 -m 3 -i - -o - < prob.txt");
  EXPECT_EQ(report.status, 0) << report.err;
  EXPECT_EQ(MaskRunningTimes(report.out), MaskRunningTimes(*plain.report));
  EXPECT_FALSE(fs::exists(folder.path() / "-"));
  EXPECT_FALSE(report.report.has_value());

  // --json -: no result.txt unless -o names it.
  WriteWholeFile(folder.path() / "result.txt", "earlier report\n");
  const ProgramRun doc = RunWithArguments(folder.path(), "-n 7 -m 3 --json -");
  EXPECT_EQ(doc.status, 0) << doc.err;
  EXPECT_EQ(json::parse(doc.out)["status"], 0);
  EXPECT_EQ(doc.report, "earlier report\n");
  const ProgramRun both =
      RunWithArguments(folder.path(), "-n 7 -m 3 --json - -o result.txt");
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_EQ(MaskRunningTimes(*both.report), MaskRunningTimes(*plain.report));

  // One stream cannot carry both, and an empty name names no file.
  for (const char* args : {"-n 7 -m 3 -o - --json -", "-n 7 -m 3 --json ''",
                           "-n 7 -m 3 -o ''", "-n 7 -m 3 -i ''"}) {
    SCOPED_TRACE(args);
    const ProgramRun refused = RunWithArguments(folder.path(), args);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(SplitLines(refused.err).size(), 1u) << refused.err;
  }
}

TEST(FileOptions, PositionalSizesAreTheSameAsTheOptions) {
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt", kProb);
  WriteWholeFile(folder.path() / "other.txt", kProb);
  const ProgramRun options =
      RunWithArguments(folder.path(), "-n 7 -m 3 -o a.txt");
  for (const char* args :
       {"7 3 -o b.txt", "7 3 other.txt -o b.txt", "-o b.txt 7 3 prob.txt"}) {
    SCOPED_TRACE(args);
    const ProgramRun positional = RunWithArguments(folder.path(), args);
    EXPECT_EQ(positional.status, 0) << positional.err;
    EXPECT_EQ(MaskRunningTimes(positional.out), MaskRunningTimes(options.out));
    EXPECT_EQ(MaskRunningTimes(ReadWholeFile(folder.path() / "b.txt")),
              MaskRunningTimes(ReadWholeFile(folder.path() / "a.txt")));
  }
  // Named in the order given when refused.
  const ProgramRun extra = RunWithArguments(folder.path(), "7 3 prob.txt x");
  EXPECT_EQ(extra.status, 1);
  EXPECT_NE(extra.err.find("\"7 3 prob.txt x\""), std::string::npos)
      << extra.err;
}

TEST(FileOptions, EndlessAndBinaryInputEnd) {
  TempFolder folder;
  // Left-over entries are counted up to a cap, not to the end of a stream
  // that never ends; `timeout` only keeps a failure from hanging the suite.
  const ProgramRun endless = RunProgramInShell(
      folder.path(), "yes 0.1 | timeout 60", "-n 2 -m 1 -i -");
  EXPECT_EQ(endless.status, 0) << endless.err;
  EXPECT_NE(endless.err.find("warning: at least "), std::string::npos)
      << endless.err;
  // A token without end is named by its start, not read to its end.
  const ProgramRun zeros =
      RunProgramInShell(folder.path(), "timeout 60", "-n 2 -m 1 -i /dev/zero");
  EXPECT_EQ(zeros.status, 2);
  EXPECT_NE(zeros.err.find("number 1 is not a number: \"\\x00"),
            std::string::npos)
      << zeros.err;
}

TEST(FileOptions, MemoryThatRunsOutEndsWithItsOwnStatus) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory needs more address space";
#else
  TempFolder folder;
  std::string prob;
  for (int i = 0; i < 300; ++i) prob += "0.001\n";
  for (int i = 0; i < 300 * 299 / 2; ++i) prob += "0.000001\n";
  for (int i = 0; i < 300 * 299 * 298 / 6; ++i) prob += "1e-9\n";
  WriteWholeFile(folder.path() / "prob.txt", prob);
  WriteWholeFile(folder.path() / "result.txt", "earlier report\n");
  // An address space far too small for the numbers and the passes.
  const ProgramRun run = RunProgramInShell(folder.path(), "ulimit -v 40000;",
                                           "-n 300 -m 3 < /dev/null");
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_EQ(run.err.rfind("unionbound: out of memory", 0), 0u) << run.err;
  EXPECT_EQ(run.report, "earlier report\n");
#endif
}

}  // namespace
}  // namespace unionbound::testing
