// The report file on its own: links followed to their end, an unfinished
// report that never replaces the earlier one, and the permissions a
// finished report gets.
#include "cli/report_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "driver/program_run.h"

namespace unionbound {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;

size_t EntriesIn(const fs::path& folder) {
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
    ++entries;
  }
  return entries;
}

TEST(ReportFile, LinksAreFollowedToTheirEnd) {
  TempFolder folder;
  const std::string base = folder.path().string();
  fs::create_directory(folder.path() / "a");
  fs::create_symlink("a/second", folder.path() / "first");
  fs::create_symlink("../final.txt", folder.path() / "a" / "second");
  EXPECT_EQ(FollowLinks(base + "/first"), base + "/a/../final.txt");
  EXPECT_EQ(FollowLinks(base + "/plain.txt"), base + "/plain.txt");
  fs::create_symlink(base + "/loop2", folder.path() / "loop1");
  fs::create_symlink(base + "/loop1", folder.path() / "loop2");
  EXPECT_EQ(FollowLinks(base + "/loop1"), base + "/loop1");  // a circle
}

TEST(ReportFile, AnUnfinishedReportLeavesTheEarlierOne) {
  TempFolder folder;
  const fs::path report = folder.path() / "result.txt";
  WriteWholeFile(report, "earlier\n");
  std::ostringstream err;
  {
    ReportFile file(report.string(), err);
    ASSERT_TRUE(file.opened());
    EXPECT_TRUE(file.replacesAtomically());
    file.stream() << "half of a report" << std::endl;
    EXPECT_EQ(EntriesIn(folder.path()), 2u);  // the temporary file beside it
    EXPECT_EQ(ReadWholeFile(report), "earlier\n");
  }
  EXPECT_EQ(ReadWholeFile(report), "earlier\n");
  EXPECT_EQ(EntriesIn(folder.path()), 1u);
  EXPECT_EQ(err.str(), "");
}

TEST(ReportFile, AFinishedReportTakesItsPlaceWithTheUsualPermissions) {
  TempFolder folder;
  const fs::path report = folder.path() / "result.txt";
  std::ostringstream err;
  const mode_t saved = umask(027);
  {
    ReportFile file(report.string(), err);
    file.stream() << "complete" << std::endl;
    EXPECT_TRUE(file.Commit(err));
  }
  umask(saved);
  EXPECT_EQ(ReadWholeFile(report), "complete\n");
  EXPECT_EQ(EntriesIn(folder.path()), 1u);
  EXPECT_EQ(fs::status(report).permissions(), fs::perms::owner_read |
                                                  fs::perms::owner_write |
                                                  fs::perms::group_read);
  EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace unionbound
