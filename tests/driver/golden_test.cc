// The program against the outputs of its first complete version: for every
// case under tests/golden (genuine and odd probability files, short and
// broken ones, orders 1 to 11), standard output and result.txt must be the
// same byte for byte apart from the running times, and so must standard
// error and the exit status. tests/golden/make_expected.sh wrote the expected
// files with that version, and says which cases changed on purpose since.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "driver/program_run.h"
#include "driver/running_times.h"

namespace unionbound::testing {
namespace {

std::vector<std::filesystem::path> GoldenCases() {
  std::vector<std::filesystem::path> cases;
  const std::filesystem::path root =
      std::filesystem::path(UNIONBOUND_SOURCE_DIR) / "tests" / "golden";
  for (const auto& entry : std::filesystem::directory_iterator(root)) {
    if (entry.is_directory()) cases.push_back(entry.path());
  }
  std::sort(cases.begin(), cases.end());
  return cases;
}

TEST(GoldenOutputs, EveryCaseGivesTheOutputOfTheFirstVersion) {
  const std::vector<std::filesystem::path> cases = GoldenCases();
  ASSERT_GE(cases.size(), 10u);
  for (const std::filesystem::path& golden : cases) {
    SCOPED_TRACE(golden.filename().string());
    TempFolder folder;
    if (std::filesystem::exists(golden / "prob.txt")) {
      std::filesystem::copy_file(golden / "prob.txt",
                                 folder.path() / "prob.txt");
    }
    const ProgramRun run =
        RunProgramIn(folder.path(), ReadWholeFile(golden / "stdin.txt"));
    EXPECT_EQ(std::to_string(run.status) + "\n",
              ReadWholeFile(golden / "expected_status.txt"));
    EXPECT_EQ(MaskRunningTimes(run.out),
              ReadWholeFile(golden / "expected_stdout.txt"));
    EXPECT_EQ(run.err, ReadWholeFile(golden / "expected_stderr.txt"));
    const bool reportExpected =
        std::filesystem::exists(golden / "expected_result.txt");
    ASSERT_EQ(run.report.has_value(), reportExpected);
    if (reportExpected) {
      EXPECT_EQ(MaskRunningTimes(*run.report),
                ReadWholeFile(golden / "expected_result.txt"));
    }
  }
}

}  // namespace
}  // namespace unionbound::testing
