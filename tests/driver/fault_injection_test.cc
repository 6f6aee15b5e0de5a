// Whole runs of the built program while its surroundings fail: prob.txt that
// is no file, result.txt that cannot be created or stops taking writes part
// of the way, and standard input that ends or is closed early. The run must
// say what went wrong on standard error and end with the documented status;
// a report that was not written completely is never passed off as sound.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

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

// Whatever is in the folder besides the given names: temporary files left
// behind would show up here.
std::vector<std::string> OtherEntries(const fs::path& folder,
                                      const std::vector<std::string>& known) {
  std::vector<std::string> others;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) {
      others.push_back(name);
    }
  }
  return others;
}

const std::vector<std::string> kRunFiles = {
    "prob.txt", "result.txt", "stdin.txt", "stdout.txt", "stderr.txt"};

TEST(FaultInjection, ProbabilityFileThatCannotBeOpenedComputesNothing) {
  const std::string earlier = "an earlier report\n";
  struct Case {
    const char* what;
    void (*make)(const fs::path& folder);
    const char* reason;
  };
  const Case cases[] = {
      {"missing", [](const fs::path&) {}, "No such file or directory"},
      {"a folder",
       [](const fs::path& folder) {
         fs::create_directory(folder / "prob.txt");
       },
       "Is a directory"},
      {"a link that leads nowhere",
       [](const fs::path& folder) {
         fs::create_symlink(folder / "missing" / "prob.txt",
                            folder / "prob.txt");
       },
       "No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    c.make(folder.path());
    WriteWholeFile(folder.path() / "result.txt", earlier);
    const ProgramRun run = RunProgramIn(folder.path(), "7\n3\n\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, std::string("unionbound: cannot read prob.txt (") +
                           c.reason +
                           "); nothing was computed and result.txt was left "
                           "as it was\n");
    EXPECT_EQ(run.out, "");  // said before the questions
    EXPECT_EQ(run.report, earlier);
  }
  if (geteuid() != 0) {  // permissions do not stop root
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", kSevenEvents);
    fs::permissions(folder.path() / "prob.txt", fs::perms::none);
    const ProgramRun run = RunProgramIn(folder.path(), "7\n3\n\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("(Permission denied)"), std::string::npos)
        << run.err;
    EXPECT_FALSE(run.report.has_value());
  }
}

// Whether the folder holds the hidden temporary report.
bool HasTemporaryReport(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind(".result.txt.tmp-", 0) == 0) {
      return true;
    }
  }
  return false;
}

// Starts the program in folder with stdin.txt as its input and default
// signal dispositions, waits until it writes its temporary report, lets it
// write a while longer, then sends `signal`; returns how the program ended
// (the raw wait status).
int RunAndStopPartWay(const fs::path& folder, int signal) {
  const pid_t child = fork();
  if (child == 0) {
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(s, SIG_DFL);
    if (chdir(folder.c_str()) != 0) _exit(127);
    if (!std::freopen("stdin.txt", "r", stdin) ||
        !std::freopen("stdout.txt", "w", stdout) ||
        !std::freopen("stderr.txt", "w", stderr)) {
      _exit(127);
    }
    execl(UNIONBOUND_BINARY, UNIONBOUND_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int wait = 0; wait < 600 && !HasTemporaryReport(folder); ++wait) {
    usleep(50000);
  }
  usleep(200000);
  kill(child, signal);
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST(FaultInjection, ARunStoppedPartWayLeavesTheEarlierReportByteForByte) {
  // n = 100000, m = 1 makes 99999 passes and runs for minutes.
  std::string prob;
  for (int i = 0; i < 100000; ++i) prob += "0.00001\n";
  const std::string earlier = "n=7, m=3, m_k=3\nan earlier report\n";
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    SCOPED_TRACE(signal);
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", prob);
    WriteWholeFile(folder.path() / "result.txt", earlier);
    WriteWholeFile(folder.path() / "stdin.txt", "100000\n1\n\n");
    const int status = RunAndStopPartWay(folder.path(), signal);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_EQ(ReadWholeFile(folder.path() / "result.txt"), earlier);
    // A signal that can be caught removes the temporary report; the one
    // that cannot leaves it hidden beside result.txt.
    EXPECT_EQ(HasTemporaryReport(folder.path()), signal == SIGKILL);
    const std::vector<std::string> others =
        OtherEntries(folder.path(), kRunFiles);
    EXPECT_EQ(others.size(), signal == SIGKILL ? 1u : 0u);
  }
}

TEST(FaultInjection, AReportBehindASymbolicLinkReplacesItsTarget) {
  const ProgramRun sound = RunProgram(kSevenEvents, "7\n3\n\n");
  ASSERT_EQ(sound.status, 0) << sound.err;
  for (const bool targetExists : {true, false}) {
    SCOPED_TRACE(targetExists ? "target exists" : "target is new");
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", kSevenEvents);
    fs::create_directory(folder.path() / "reports");
    const fs::path target = folder.path() / "reports" / "seven.txt";
    if (targetExists) {
      WriteWholeFile(target, "an earlier report\n");
      fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write |
                                  fs::perms::group_read);
    }
    // A relative link, followed from the folder that holds it.
    fs::create_symlink("reports/seven.txt", folder.path() / "result.txt");
    const ProgramRun run = RunProgramIn(folder.path(), "7\n3\n\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    ASSERT_TRUE(fs::is_symlink(folder.path() / "result.txt"));
    EXPECT_EQ(fs::read_symlink(folder.path() / "result.txt"),
              "reports/seven.txt");
    EXPECT_EQ(MaskRunningTimes(ReadWholeFile(target)),
              MaskRunningTimes(*sound.report));
    EXPECT_TRUE(OtherEntries(folder.path() / "reports", {"seven.txt"}).empty());
    if (targetExists) {  // the replaced file keeps its permissions
      EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read |
                                                      fs::perms::owner_write |
                                                      fs::perms::group_read);
    }
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
  const std::string example =
      ReadWholeFile(fs::path(UNIONBOUND_SOURCE_DIR) / "examples" / "prob.txt");
  const ProgramRun sound = RunProgram(example, "12\n3\n\n");
  ASSERT_EQ(sound.status, 0) << sound.err;
  ASSERT_GT(sound.report->size(), 4096u);
  {
    // A device takes the writes in place; every one fails: the device is
    // full.
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", example);
    fs::create_symlink("/dev/full", folder.path() / "result.txt");
    const ProgramRun run = RunProgramIn(folder.path(), "12\n3\n\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "unionbound: writing result.txt failed; the report is "
              "incomplete\n");
    EXPECT_EQ(MaskRunningTimes(run.out), MaskRunningTimes(sound.out));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "result.txt"));
  }
  for (const bool earlierReport : {false, true}) {
    // The file may grow to 4 blocks of 512 bytes, then writes fail: the
    // report is never complete, so it never takes the place of result.txt.
    SCOPED_TRACE(earlierReport ? "earlier report" : "no earlier report");
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", example);
    WriteWholeFile(folder.path() / "stdin.txt", "12\n3\n\n");
    if (earlierReport)
      WriteWholeFile(folder.path() / "result.txt", "earlier\n");
    const ProgramRun run = RunProgramInShell(
        folder.path(), "trap '' XFSZ; ulimit -f 4;", "< stdin.txt");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "unionbound: writing result.txt failed; no report was written "
              "and an earlier result.txt is left as it was\n");
    EXPECT_EQ(MaskRunningTimes(run.out), MaskRunningTimes(sound.out));
    EXPECT_EQ(run.report.has_value(), earlierReport);
    if (earlierReport) {
      EXPECT_EQ(*run.report, "earlier\n");
    }
    EXPECT_TRUE(OtherEntries(folder.path(), kRunFiles).empty());
  }
  {
    // Without the trap the limit's signal ends the run; the temporary
    // report goes with it.
    TempFolder folder;
    WriteWholeFile(folder.path() / "prob.txt", example);
    WriteWholeFile(folder.path() / "stdin.txt", "12\n3\n\n");
    WriteWholeFile(folder.path() / "result.txt", "earlier\n");
    const ProgramRun run =
        RunProgramInShell(folder.path(), "ulimit -f 4;", "< stdin.txt");
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.report, "earlier\n");
    EXPECT_TRUE(OtherEntries(folder.path(), kRunFiles).empty());
  }
}

TEST(FaultInjection, AReportWithoutRoomForATemporaryFileIsWrittenInPlace) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt", kSevenEvents);
  WriteWholeFile(folder.path() / "result.txt", "earlier\n");
  fs::permissions(folder.path(), fs::perms::owner_read | fs::perms::owner_exec);
  const ProgramRun run = RunProgramIn(folder.path(), "7\n3\n\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find("cannot make a temporary file beside result.txt"),
            std::string::npos)
      << run.err;
  ASSERT_TRUE(run.report.has_value());
  EXPECT_EQ(run.report->rfind("n=7, m=3, m_k=3\n", 0), 0u);
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
