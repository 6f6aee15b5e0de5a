// Several runs of the built program writing the same report and JSON
// document at once: each file ends as one whole document of one of the
// runs, never a mix of two or a truncated one, and no temporary file stays.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "driver/event_systems.h"
#include "driver/program_run.h"
#include "driver/running_times.h"

namespace unionbound::testing {
namespace {

namespace fs = std::filesystem;

std::string MaskJsonTimes(const std::string& json) {
  static const std::regex kSeconds(R"("seconds":[0-9.e+-]+)");
  return std::regex_replace(json, kSeconds, "\"seconds\":T");
}

int Shell(const fs::path& folder, const std::string& command) {
  const std::string line =
      "cd '" + folder.string() + "' && { " + command + "\n}";
  const int raw = std::system(line.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(ConcurrentRuns, RunsAtOnceLeaveOneWholeReportAndDocumentOfOneRun) {
  constexpr int kInputs = 4;
  TempFolder folder;
  const std::string program = std::string("'") + UNIONBOUND_BINARY + "'";
  std::set<std::string> reports;
  std::set<std::string> documents;
  for (int i = 0; i < kInputs; ++i) {
    const std::string prob = "prob" + std::to_string(i) + ".txt";
    const double step = 0.01 * (i + 1);
    WriteWholeFile(folder.path() / prob,
                   IndependentProbText(
                       {0.05, 0.1, 0.15, 0.2, 0.08, step, 0.03 + step}, 3));
    ASSERT_EQ(Shell(folder.path(), program + " -n 7 -m 3 -i " + prob +
                                       " -o alone.txt --json alone.json -q"),
              0);
    reports.insert(
        MaskRunningTimes(ReadWholeFile(folder.path() / "alone.txt")));
    documents.insert(
        MaskJsonTimes(ReadWholeFile(folder.path() / "alone.json")));
  }
  ASSERT_EQ(reports.size(), static_cast<size_t>(kInputs));
  ASSERT_EQ(documents.size(), static_cast<size_t>(kInputs));
  std::string burst;
  for (int k = 0; k < 2 * kInputs; ++k) {
    const std::string j = std::to_string(k);
    burst += "( " + program + " -n 7 -m 3 -i prob" +
             std::to_string(k % kInputs) +
             ".txt -o result.txt --json run.json -q 2> err" + j +
             ".txt; echo $? > status" + j + ".txt ) & ";
  }
  burst += "wait";
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(Shell(folder.path(), burst), 0);
    for (int k = 0; k < 2 * kInputs; ++k) {
      const std::string j = std::to_string(k);
      EXPECT_EQ(ReadWholeFile(folder.path() / ("status" + j + ".txt")), "0\n");
      EXPECT_EQ(ReadWholeFile(folder.path() / ("err" + j + ".txt")), "");
    }
    const std::string report = ReadWholeFile(folder.path() / "result.txt");
    EXPECT_EQ(reports.count(MaskRunningTimes(report)), 1u) << report;
    const std::string json = ReadWholeFile(folder.path() / "run.json");
    EXPECT_EQ(documents.count(MaskJsonTimes(json)), 1u) << json;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
      EXPECT_EQ(entry.path().filename().string().find(".tmp-"),
                std::string::npos)
          << entry.path();
    }
  }
}

}  // namespace
}  // namespace unionbound::testing
