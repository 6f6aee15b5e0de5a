// Whole runs of the built program while its surroundings fail: prob.txt that
// is no file, result.txt that cannot be created or stops taking writes part
// of the way, and standard input that ends or is closed early. The run must
// say what went wrong on standard error and end with the documented status;
// a report that was not written completely is never passed off as sound.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>

#include "driver/event_systems.h"
#include "driver/program_run.h"
#include "driver/running_times.h"

namespace unionbound::testing {
namespace {

namespace fs = std::filesystem;

const std::string kPromptN = "Number of events. n=";
const std::string kPromptM =
    "Maximum order of the intersections (must be an odd number). m=";
const std::string kSevenEvents =
    IndependentProbText({0.05, 0.1, 0.15, 0.2, 0.08, 0.12, 0.03}, 3);

std::string ZerosText(int count) {
  std::string zeros;
  for (int i = 0; i < count; ++i) zeros += "0\n";
  return zeros;
}

// The run went on to the end: same console and report as `reference` apart
// from the running times.
void ExpectSameRunAs(const ProgramRun& run, const ProgramRun& reference) {
  EXPECT_EQ(MaskRunningTimes(run.out), MaskRunningTimes(reference.out));
  ASSERT_TRUE(run.report.has_value());
  EXPECT_EQ(MaskRunningTimes(*run.report), MaskRunningTimes(*reference.report));
}

TEST(FaultInjection, ProbabilityFileThatIsNoFileCountsAsZerosAndFails) {
  const ProgramRun zeros = RunProgram(ZerosText(63), "7\n3\n\n");
  ASSERT_EQ(zeros.status, 0) << zeros.err;
  {
    TempFolder folder;
    fs::create_directory(folder.path() / "prob.txt");
    const ProgramRun run = RunProgramIn(folder.path(), "7\n3\n\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "unionbound: prob.txt: expected 63 numbers, read 0 (the file "
              "cannot be read); the missing ones were taken as 0\n");
    ExpectSameRunAs(run, zeros);
  }
  {
    TempFolder folder;  // a symbolic link that leads nowhere
    fs::create_symlink(folder.path() / "missing" / "prob.txt",
                       folder.path() / "prob.txt");
    const ProgramRun run = RunProgramIn(folder.path(), "7\n3\n\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "unionbound: prob.txt: expected 63 numbers, read 0 (the file "
              "cannot be opened); the missing ones were taken as 0\n");
    ExpectSameRunAs(run, zeros);
  }
}

TEST(FaultInjection, ReportThatCannotBeCreatedFailsTheRunButKeepsTheSummary) {
  const ProgramRun sound = RunProgram(kSevenEvents, "7\n3\n\n");
  ASSERT_EQ(sound.status, 0) << sound.err;
  const std::string cannot_open =
      "unionbound: cannot open result.txt for writing; the run goes on "
      "without a report\n";
  {
    TempFolder folder;  // result.txt links into a folder that does not exist
    WriteWholeFile(folder.path() / "prob.txt", kSevenEvents);
    fs::create_symlink(folder.path() / "missing" / "result.txt",
                       folder.path() / "result.txt");
    const ProgramRun run = RunProgramIn(folder.path(), "7\n3\n\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, cannot_open);
    EXPECT_EQ(MaskRunningTimes(run.out), MaskRunningTimes(sound.out));
    EXPECT_FALSE(fs::exists(folder.path() / "missing"));
  }
  if (geteuid() != 0) {  // permissions do not stop root
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", kSevenEvents);
    fs::permissions(folder.path(),
                    fs::perms::owner_read | fs::perms::owner_exec);
    const ProgramRun run = RunProgramIn(folder.path(), "7\n3\n\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, cannot_open);
  }
}

TEST(FaultInjection, ReportWhoseWritesFailIsNeverPassedOffAsComplete) {
  const std::string incomplete =
      "unionbound: writing result.txt failed; the report is incomplete\n";
  const std::string example =
      ReadWholeFile(fs::path(UNIONBOUND_SOURCE_DIR) / "examples" / "prob.txt");
  const ProgramRun sound = RunProgram(example, "12\n3\n\n");
  ASSERT_EQ(sound.status, 0) << sound.err;
  ASSERT_GT(sound.report->size(), 4096u);
  {
    TempFolder folder;  // every write fails: the device is full
    WriteWholeFile(folder.path() / "prob.txt", example);
    fs::create_symlink("/dev/full", folder.path() / "result.txt");
    const ProgramRun run = RunProgramIn(folder.path(), "12\n3\n\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, incomplete);
    EXPECT_EQ(MaskRunningTimes(run.out), MaskRunningTimes(sound.out));
  }
  {
    // The file may grow to 4 blocks of 512 bytes, then writes fail: the
    // header and the first pass are written, the rest is lost.
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", example);
    WriteWholeFile(folder.path() / "stdin.txt", "12\n3\n\n");
    const ProgramRun run = RunProgramInShell(
        folder.path(), "trap '' XFSZ; ulimit -f 4;", "< stdin.txt");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, incomplete);
    EXPECT_EQ(MaskRunningTimes(run.out), MaskRunningTimes(sound.out));
    ASSERT_TRUE(run.report.has_value());
    // 512-byte blocks under dash, 1024 under bash.
    EXPECT_TRUE(run.report->size() == 2048u || run.report->size() == 4096u)
        << run.report->size();
    EXPECT_EQ(run.report->substr(0, 17), "n=12, m=3, m_k=3\n");
    EXPECT_NE(run.report->find("l=3\n"), std::string::npos);
  }
}

TEST(FaultInjection, ConsoleOutputThatCannotBeWrittenFailsTheRun) {
  const std::string lost =
      "unionbound: writing to standard output failed; the summary of the "
      "bounds was lost\n";
  for (const char* target : {"> /dev/full", ">&-"}) {
    SCOPED_TRACE(target);
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", ZerosText(63));
    WriteWholeFile(folder.path() / "stdin.txt", "7\n3\n\n");
    const std::string command = "cd '" + folder.path().string() + "' && '" +
                                UNIONBOUND_BINARY + "' < stdin.txt " + target +
                                " 2> stderr.txt";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 2);
    EXPECT_EQ(ReadWholeFile(folder.path() / "stderr.txt"), lost);
    // The report itself is complete.
    EXPECT_NE(ReadWholeFile(folder.path() / "result.txt").find("l=4\n"),
              std::string::npos);
  }
}

TEST(FaultInjection, InputEndingBeforeNOrMIsRefusedWithoutAReport) {
  const std::string before_n =
      "unionbound: standard input ended before n (the number of events) was "
      "given\n";
  const std::string before_m =
      "unionbound: standard input ended before m (the maximum order of the "
      "intersections) was given\n";
  struct Case {
    const char* what;
    const char* redirect;  // of the program's standard input
    const std::string* out;
    const std::string* err;
  };
  const std::string prompt_n = kPromptN;
  const std::string both = kPromptN + kPromptM;
  const Case cases[] = {
      {"empty input", "< stdin.txt", &prompt_n, &before_n},
      {"closed descriptor", "<&-", &prompt_n, &before_n},
      {"a folder as input", "< .", &prompt_n, &before_n},
      {"input ends after n", "< n.txt", &both, &before_m},
      {"input ends within n's line", "< n-no-newline.txt", &both, &before_m},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", kSevenEvents);
    WriteWholeFile(folder.path() / "stdin.txt", "");
    WriteWholeFile(folder.path() / "n.txt", "7\n");
    WriteWholeFile(folder.path() / "n-no-newline.txt", "7");
    const ProgramRun run = RunProgramInShell(folder.path(), "", c.redirect);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, *c.out);
    EXPECT_EQ(run.err, *c.err);
    EXPECT_FALSE(run.report.has_value());
  }
}

TEST(FaultInjection, InputEndingBeforeTheFinalReturnIsASoundRun) {
  const ProgramRun sound = RunProgram(kSevenEvents, "7\n3\n\n");
  ASSERT_EQ(sound.status, 0) << sound.err;
  for (const char* input : {"7\n3\n", "7\n3", "7 3"}) {
    SCOPED_TRACE(input);
    const ProgramRun run = RunProgram(kSevenEvents, input);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    ExpectSameRunAs(run, sound);
  }
}

}  // namespace
}  // namespace unionbound::testing
