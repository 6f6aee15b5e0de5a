// unionbound-sharp at the edges of its input and output: files that are one
// file, endless or binary input, numbers that are no probabilities, memory
// that runs out, options that mean nothing, and data typed with few decimals.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "sharp/app/command.h"

namespace unionbound::sharp {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  int status;
  std::string out;
  std::string err;
};

fs::path TempDir(const std::string& name) {
  const fs::path dir =
      fs::temp_directory_path() /
      ("unionbound_sharp_edges_" + name + "_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

std::string Slurp(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The built program through the shell in dir: `command` may start with a
// pipe or a limit, and names the program PROGRAM.
ProgramRun Shell(const fs::path& dir, const std::string& command) {
  std::string line = command;
  const std::string program = std::string("'") + UNIONBOUND_SHARP_BINARY + "'";
  for (size_t at; (at = line.find("PROGRAM")) != std::string::npos;) {
    line.replace(at, 7, program);
  }
  const std::string full =
      "cd '" + dir.string() + "' && (" + line + ") > out.txt 2> err.txt";
  const int raw = std::system(full.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir / "out.txt"),
          Slurp(dir / "err.txt")};
}

ProgramRun InProcess(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunSharpCommand(args, out, err);
  return {status, out.str(), err.str()};
}

void WriteText(const fs::path& file, const std::string& text) {
  std::ofstream(file) << text;
}

constexpr const char* kFourEvents = "0.2 0.2 0.2 0.2 0 0 0 0 0 0\n";

// An output that is the input, or two outputs that are one file, are
// refused before anything is read: the probability file stays whole.
TEST(SharpEdges, OutputsThatAreTheInputOrEachOtherAreRefused) {
  const fs::path dir = TempDir("same_file");
  WriteText(dir / "prob.txt", kFourEvents);
  fs::create_hard_link(dir / "prob.txt", dir / "link.txt");
  for (const char* args :
       {"4 2 --csv prob.txt", "4 2 --json ./prob.txt", "4 2 --csv link.txt",
        "4 2 --csv out.csv --json out.csv"}) {
    const ProgramRun run = Shell(dir, std::string("PROGRAM ") + args);
    SCOPED_TRACE(args);
    EXPECT_EQ(run.status, kExitRefused);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("is the same file as"), std::string::npos)
        << run.err;
    EXPECT_EQ(Slurp(dir / "prob.txt"), kFourEvents);
  }
  EXPECT_FALSE(fs::exists(dir / "out.csv"));
  fs::remove_all(dir);
}

// A device, a binary file or a pipe that never closes ends the run at once:
// a token is read only so far, and what follows the numbers asked for only
// as far as it is counted.
TEST(SharpEdges, EndlessInputEndsAtOnce) {
  const fs::path dir = TempDir("endless");
  ProgramRun run = Shell(dir, "timeout 60 PROGRAM -n 2 -m 1 -i /dev/zero");
  EXPECT_EQ(run.status, kExitUntrustworthy) << run.err;
  EXPECT_NE(run.err.find("number 1 is not a number: \"\\x00"),
            std::string::npos)
      << run.err;
  run = Shell(dir,
              "timeout 60 sh -c 'tr \"\\0\" 5 < /dev/zero' | "
              "timeout 60 PROGRAM -n 2 -m 1 -i -");
  EXPECT_EQ(run.status, kExitUntrustworthy) << run.err;
  EXPECT_NE(run.err.find("characters)"), std::string::npos) << run.err;
  run = Shell(dir, "timeout 60 yes 0.1 | timeout 60 PROGRAM -n 2 -m 1 -i -");
  EXPECT_EQ(run.status, kExitSound) << run.err;
  EXPECT_NE(run.out.find("2 probabilities from standard input"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.err.find("warning: at least"), std::string::npos) << run.err;
  fs::remove_all(dir);
}

// Numbers that cannot be probabilities give no bounds: nothing on standard
// output, no CSV or JSON bounds, one line naming the first of them, status
// 2. Percentages are asked about.
TEST(SharpEdges, NumbersThatAreNoProbabilitiesGiveNoBounds) {
  const fs::path dir = TempDir("no_probabilities");
  WriteText(dir / "bounds.csv", "earlier\n");
  const auto expectNoBounds = [&](const std::string& numbers,
                                  const std::string& why) {
    WriteText(dir / "prob.txt", numbers);
    const ProgramRun run =
        Shell(dir, "PROGRAM 4 2 --csv bounds.csv --json run.json");
    SCOPED_TRACE(numbers);
    EXPECT_EQ(run.status, kExitUntrustworthy);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_NE(run.err.find(why), std::string::npos) << run.err;
    EXPECT_EQ(Slurp(dir / "bounds.csv"), "earlier\n");
    const nlohmann::json doc = nlohmann::json::parse(Slurp(dir / "run.json"));
    EXPECT_EQ(doc["status"], kExitUntrustworthy);
    EXPECT_FALSE(doc.contains("bounds") && !doc["bounds"].empty());
  };
  expectNoBounds("20 20 20 20 4 4 4 4 4 4\n",
                 "number 1: P{1} = 20 is not a probability in [0, 1] (nor "
                 "are 9 more numbers); every number lies in [0, 100]: are "
                 "they percentages?");
  expectNoBounds("0.2 0.2 0.2 0.2 0 0 0 -0.5 0 0\n",
                 "number 8: P{2,3} = -0.5 is not a probability");
  expectNoBounds("0.2 0.2 0.2 0.2 0 0 0 0 0\n",
                 "n=4, m=2 need 10 numbers, but the input ends after 9");
  fs::remove_all(dir);
}

// Memory that runs out ends the run with its own status and one line, not
// an abort or a read error. The address space is limited to 160 MB, about
// twice what the program needs to start its threads, while the 4.5 million
// numbers that n = 3000, m = 2 ask for need over 200 MB as they arrive from
// a pipe (no size to reserve from): the reading runs out within a second,
// before any thread starts. The timeout only bounds a run that wrongly
// fits.
TEST(SharpEdges, OutOfMemoryEndsWithStatusThree) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory needs more address space";
#else
  const fs::path dir = TempDir("memory");
  const ProgramRun run =
      Shell(dir,
            "ulimit -v 160000; yes 0.0001 | timeout 300 PROGRAM -n 3000 -m 2 "
            "-i - -q");
  EXPECT_EQ(run.status, kExitOutOfMemory) << run.err;
  EXPECT_EQ(run.err.rfind("unionbound-sharp: out of memory;", 0), 0u)
      << run.err;
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  EXPECT_EQ(run.out, "");
  fs::remove_all(dir);
#endif
}

TEST(SharpEdges, OptionsThatMeanNothingAreRefused) {
  for (const char* limit : {"1e-400", "0", "-1", "1e400"}) {
    const ProgramRun run =
        InProcess({"4", "2", "--full", "--time-limit", limit});
    EXPECT_EQ(run.status, kExitRefused) << limit;
    EXPECT_NE(run.err.find("--time-limit needs"), std::string::npos) << run.err;
  }
  const ProgramRun both = InProcess({"4", "2", "--csv", "-", "--json", "-"});
  EXPECT_EQ(both.status, kExitRefused);
  EXPECT_NE(both.err.find("cannot both go to standard output"),
            std::string::npos);
}

// --csv - is standard output, as --json - is: the CSV rows take the table's
// place, and no file named "-" is made.
TEST(SharpEdges, CsvDashIsStandardOutput) {
  const fs::path dir = TempDir("csv_dash");
  WriteText(dir / "prob.txt", kFourEvents);
  const ProgramRun run = Shell(dir, "PROGRAM 4 2 --csv -");
  ASSERT_EQ(run.status, kExitSound) << run.err;
  EXPECT_EQ(run.out.rfind("n,m,file,data_check,kind,", 0), 0u) << run.out;
  EXPECT_EQ(run.out.find("Bounds on the probability"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "-"));
  fs::remove_all(dir);
}

// Numbers typed with few decimals may have been rounded: the report, the
// JSON document say so and how to get bounds that hold for the unrounded
// values; with that tolerance the hint is gone.
TEST(SharpEdges, FewDecimalsGiveTheRoundingHint) {
  const fs::path dir = TempDir("rounding");
  WriteText(dir / "prob.txt", "0.25 0.25 0.2 0.2 0.05 0 0 0 0.01 0\n");
  ProgramRun run = Shell(dir, "PROGRAM 4 2 --json run.json");
  ASSERT_EQ(run.status, kExitSound) << run.err;
  EXPECT_NE(run.out.find("every number has at most 2 decimals; if they were "
                         "rounded, --tolerance 0.5e-2 gives bounds"),
            std::string::npos)
      << run.out;
  nlohmann::json doc = nlohmann::json::parse(Slurp(dir / "run.json"));
  EXPECT_EQ(doc["data_check"]["typed_decimals"], 2);
  EXPECT_TRUE(doc["data_check"]["rounding_hint"].is_string());
  run = Shell(dir, "PROGRAM 4 2 --tolerance 0.005 --json run.json");
  EXPECT_EQ(run.out.find("if they were rounded"), std::string::npos);
  doc = nlohmann::json::parse(Slurp(dir / "run.json"));
  EXPECT_TRUE(doc["data_check"]["rounding_hint"].is_null());
  // Nine decimals or more are taken as exact.
  WriteText(dir / "prob.txt", "0.250000001 0.25 0.2 0.2 0.05 0 0 0 0.01 0\n");
  run = Shell(dir, "PROGRAM 4 2");
  EXPECT_EQ(run.out.find("if they were rounded"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace unionbound::sharp
