// The CSV file and the JSON document of the built unionbound-sharp when
// several runs write them at once, and when the disk stops taking writes:
// each file is always one whole document of one run, or the earlier file
// left as it was, never a mix or a truncated file that looks complete.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace unionbound::sharp {
namespace {

namespace fs = std::filesystem;

fs::path TempDir(const std::string& name) {
  const fs::path dir =
      fs::temp_directory_path() /
      ("unionbound_sharp_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const fs::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

// Runs a shell command in dir; returns the exit status (-1 when the shell
// did not exit normally).
int Shell(const fs::path& dir, const std::string& command) {
  const std::string line = "cd '" + dir.string() + "' && { " + command + "\n}";
  const int raw = std::system(line.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string Program() {
  return std::string("'") + UNIONBOUND_SHARP_BINARY + "'";
}

// Four events that exclude each other, with single probabilities that
// differ from one input to the next: each run's files are its own.
std::string DisjointEvents(int input) {
  std::string text;
  for (int i = 1; i <= 4; ++i) {
    text += "0.0" + std::to_string(i + input) + "\n";  // 0.01 .. 0.07
  }
  for (int i = 0; i < 6; ++i) text += "0\n";
  return text;
}

// The CSV text with its running times (the last column) taken out.
std::string CsvWithoutTimes(const std::string& csv) {
  // seconds is the third field from the end, before the two groups.
  return std::regex_replace(csv, std::regex(",[0-9.e+-]*((,[^,\n]*){2})\n"),
                            ",$1\n");
}

// The JSON document with every "seconds" taken out; null when it does not
// parse.
nlohmann::json JsonWithoutTimes(const std::string& text) {
  nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
  if (doc.is_discarded()) return nullptr;
  for (auto& bound : doc["bounds"]) bound.erase("seconds");
  return doc;
}

// Entries of dir whose names show a temporary output left behind.
std::vector<std::string> TemporaryFiles(const fs::path& dir) {
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".tmp-") != std::string::npos) left.push_back(name);
  }
  return left;
}

TEST(SharpOutputFiles, RunsAtOnceLeaveOneWholeDocumentOfOneRun) {
  constexpr int kInputs = 4;
  const fs::path dir = TempDir("runs_at_once");
  // Each input alone: the documents a run may leave.
  std::set<std::string> csvs;
  std::vector<nlohmann::json> jsons;
  for (int i = 0; i < kInputs; ++i) {
    const std::string prob = "prob" + std::to_string(i) + ".txt";
    WriteAll(dir / prob, DisjointEvents(i));
    ASSERT_EQ(Shell(dir, Program() + " 4 2 " + prob +
                             " -q --csv alone.csv --json alone.json"),
              0);
    csvs.insert(CsvWithoutTimes(ReadAll(dir / "alone.csv")));
    jsons.push_back(JsonWithoutTimes(ReadAll(dir / "alone.json")));
    ASSERT_FALSE(jsons.back().is_null());
  }
  ASSERT_EQ(csvs.size(), static_cast<size_t>(kInputs));
  // Two runs of every input at once, all onto the same two files.
  std::string burst;
  for (int k = 0; k < 2 * kInputs; ++k) {
    const std::string i = std::to_string(k % kInputs);
    const std::string j = std::to_string(k);
    burst += "( " + Program() + " 4 2 prob" + i +
             ".txt -q --csv bounds.csv --json run.json 2> err" + j +
             ".txt; echo $? > status" + j + ".txt ) & ";
  }
  burst += "wait";
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(Shell(dir, burst), 0);
    for (int k = 0; k < 2 * kInputs; ++k) {
      const std::string j = std::to_string(k);
      EXPECT_EQ(ReadAll(dir / ("status" + j + ".txt")), "0\n");
      EXPECT_EQ(ReadAll(dir / ("err" + j + ".txt")), "");
    }
    EXPECT_EQ(csvs.count(CsvWithoutTimes(ReadAll(dir / "bounds.csv"))), 1u)
        << ReadAll(dir / "bounds.csv");
    const nlohmann::json doc = JsonWithoutTimes(ReadAll(dir / "run.json"));
    EXPECT_NE(std::find(jsons.begin(), jsons.end(), doc), jsons.end())
        << ReadAll(dir / "run.json");
    EXPECT_TRUE(TemporaryFiles(dir).empty());
  }
  fs::remove_all(dir);
}

// A disk that stops taking writes: the file-size limit lets the output grow
// to 512 bytes, then every write fails (its signal ignored, as a full disk
// gives no signal). The earlier file stays byte for byte, the run ends with
// status 2 and one line, and no temporary file is left.
TEST(SharpOutputFiles, AFullDiskLeavesTheEarlierFileAndFailsInOneLine) {
  const fs::path dir = TempDir("full_disk");
  fs::copy_file(fs::path(UNIONBOUND_SOURCE_DIR) / "examples" / "prob.txt",
                dir / "prob.txt");
  const std::string earlier = "an earlier file\n";
  struct Case {
    const char* what;
    const char* options;
  };
  for (const Case& c :
       {Case{"csv", "--csv bounds.csv"}, Case{"json", "--json run.json"},
        Case{"both", "--csv bounds.csv --json run.json"}}) {
    SCOPED_TRACE(c.what);
    WriteAll(dir / "bounds.csv", earlier);
    WriteAll(dir / "run.json", earlier);
    // Standard output goes to a device, which the limit does not touch.
    const int status = Shell(dir, "( trap '' XFSZ; ulimit -f 1; exec " +
                                      Program() + " 12 3 prob.txt --per-l " +
                                      c.options + " ) > /dev/null 2> err.txt");
    EXPECT_EQ(status, 2);
    const std::string err = ReadAll(dir / "err.txt");
    EXPECT_EQ(err.rfind("unionbound-sharp: ", 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_EQ(ReadAll(dir / "bounds.csv"), earlier);
    EXPECT_EQ(ReadAll(dir / "run.json"), earlier);
    EXPECT_TRUE(TemporaryFiles(dir).empty());
  }
  // A file name that leads to a full device is written in place; the
  // writes fail there too.
  fs::remove(dir / "run.json");
  fs::create_symlink("/dev/full", dir / "run.json");
  EXPECT_EQ(Shell(dir, Program() + " 12 3 prob.txt --json run.json "
                                   "> /dev/null 2> err.txt"),
            2);
  const std::string err = ReadAll(dir / "err.txt");
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
  EXPECT_NE(err.find("run.json"), std::string::npos) << err;
  fs::remove_all(dir);
}

// The CSV text without its seconds column (the time of each row).
std::string WithoutSeconds(const std::string& csv) {
  std::istringstream in(csv);
  std::string kept;
  for (std::string line; std::getline(in, line);) {
    // seconds is the 14th column; the group columns follow it.
    size_t start = 0;
    for (int column = 0; column < 13 && start != std::string::npos; ++column) {
      start = line.find(',', start);
      if (start != std::string::npos) ++start;
    }
    const size_t end =
        start == std::string::npos ? start : line.find(',', start);
    kept += (start == std::string::npos
                 ? line
                 : line.substr(0, start) +
                       (end == std::string::npos ? "" : line.substr(end))) +
            "\n";
  }
  return kept;
}

// A process limit that leaves no room for a thread: the work of every
// thread the system refuses is done on the main thread instead (a thread
// refused while an earlier one ran used to end the process), so the run
// gives the bounds it gives without the limit. Needs root, to run the
// program as another user whom the limit binds (it does not bind root).
// The leak check of a sanitizer build is off there: it needs a thread of
// its own at exit.
TEST(SharpOutputFiles, ThreadsThatCannotStartLeaveTheirWorkToTheMainThread) {
  if (geteuid() != 0 || !fs::exists("/usr/bin/setpriv")) {
    GTEST_SKIP() << "needs root and setpriv to run under a process limit";
  }
  const fs::path dir = TempDir("no_threads");
  fs::copy_file(fs::path(UNIONBOUND_SOURCE_DIR) / "examples" / "prob.txt",
                dir / "prob.txt");
  fs::permissions(dir, fs::perms::all);
  for (const char* options : {"", "--full"}) {
    SCOPED_TRACE(options);
    const std::string run = std::string(UNIONBOUND_SHARP_BINARY) +
                            " 12 3 prob.txt --per-l " + options;
    ASSERT_EQ(Shell(dir, run + " --csv free.csv > /dev/null 2> err.txt"), 0)
        << ReadAll(dir / "err.txt");
    const int status =
        Shell(dir,
              "setpriv --reuid=65534 --regid=65534 --clear-groups bash -c "
              "'ulimit -u 1; export "
              "ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\"; exec " +
                  run + " --csv bounds.csv' > /dev/null 2> err.txt");
    EXPECT_EQ(status, 0) << ReadAll(dir / "err.txt");
    EXPECT_EQ(ReadAll(dir / "err.txt"), "");
    const std::string free = ReadAll(dir / "free.csv");
    ASSERT_FALSE(free.empty());
    EXPECT_EQ(WithoutSeconds(ReadAll(dir / "bounds.csv")),
              WithoutSeconds(free));
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace unionbound::sharp
