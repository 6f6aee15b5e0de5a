// Which file options name one file: by device and inode for files that
// exist (links and other spellings included), by resolved path for outputs
// that do not exist yet, and never for devices.
#include "cli/same_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace unionbound {
namespace {

namespace fs = std::filesystem;

class SameFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (fs::temp_directory_path() / "samefile-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    std::ofstream(folder_ / "prob.txt") << "0.1 0.2\n";
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string At(const std::string& name) const {
    return (folder_ / name).string();
  }

  fs::path folder_;
};

TEST_F(SameFileTest, TheInputUnderAnyNameIsFound) {
  fs::create_symlink(At("prob.txt"), At("link.txt"));
  fs::create_hard_link(At("prob.txt"), At("hard.txt"));
  for (const std::string& output :
       {At("prob.txt"), At("link.txt"), At("hard.txt"),
        (folder_ / "." / "prob.txt").string()}) {
    SCOPED_TRACE(output);
    const std::vector<FileOption> files{{"-i", At("prob.txt"), 0},
                                        {"-o", At("result.txt"), 1},
                                        {"--json", output, 1}};
    const SharedFile shared = FindSharedFile(files);
    ASSERT_NE(shared.first, nullptr);
    EXPECT_EQ(shared.first->option, "-i");
    EXPECT_EQ(shared.second->option, "--json");
    const std::string message = SharedFileMessage("unionbound", shared);
    EXPECT_NE(message.find("--json " + output + " is the same file as -i"),
              std::string::npos)
        << message;
  }
}

TEST_F(SameFileTest, TwoOutputsThatDoNotExistYetAreFoundByPath) {
  const std::vector<FileOption> files{
      {"-i", At("prob.txt"), 0},
      {"-o", At("out.txt"), 1},
      {"--json", (folder_ / "." / "out.txt").string(), 1}};
  const SharedFile shared = FindSharedFile(files);
  ASSERT_NE(shared.first, nullptr);
  EXPECT_EQ(shared.first->option, "-o");
  EXPECT_NE(SharedFileMessage("unionbound", shared).find("lose one"),
            std::string::npos);
}

TEST_F(SameFileTest, DistinctFilesDevicesAndEmptyNamesAreNotShared) {
  std::ofstream(folder_ / "result.txt") << "old report\n";
  EXPECT_EQ(FindSharedFile({{"-i", At("prob.txt"), 0},
                            {"-o", At("result.txt"), 1},
                            {"--json", At("run.json"), 1}})
                .first,
            nullptr);
  // A device takes any number of writers.
  EXPECT_EQ(FindSharedFile({{"-o", "/dev/null", 1}, {"--json", "/dev/null", 1}})
                .first,
            nullptr);
  EXPECT_EQ(FindSharedFile({{"-o", "", 1}, {"--json", "", 1}}).first, nullptr);
  EXPECT_EQ(SharedFileMessage("unionbound", SharedFile()), "");
}

}  // namespace
}  // namespace unionbound
