// --groups FILE: the partition given by hand, read and checked, then solved
// alone and reported in the table, the CSV file and the JSON document; a
// file that is no partition is refused in one line.
#include "sharp/app/groups_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "sharp/app/command.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

namespace fs = std::filesystem;

TEST(GroupsFile, ReadsOneGroupALineAndRefusesAnythingButAPartition) {
  EventGroups groups;
  EXPECT_EQ(ParseGroupsText("3 1\n\n 2\t4 # the rest\n5\n", 5, &groups), "");
  EXPECT_EQ(groups, (EventGroups{{3, 1}, {2, 4}, {5}}));
  EXPECT_EQ(ParseGroupsText("1 2\n3\n", 4, &groups), "event 4 is in no group");
  EXPECT_EQ(ParseGroupsText("1 2\n3 2 4\n", 4, &groups),
            "line 2: event 2 is already in the group of line 1");
  EXPECT_EQ(ParseGroupsText("1 2\n3 5\n", 4, &groups),
            "line 2: event 5 is not one of 1 .. 4");
  EXPECT_EQ(ParseGroupsText("1 2\n3 x4\n", 4, &groups),
            "line 2: 'x4' is not an event number");
  EXPECT_EQ(ParseGroupsText("1 -2\n", 2, &groups),
            "line 1: '-2' is not an event number");
  EXPECT_EQ(ParseGroupsText("0 1 2\n", 2, &groups),
            "line 1: event 0 is not one of 1 .. 2");
  EXPECT_EQ(ParseGroupsText("# nothing\n\n", 2, &groups), "no groups");
  EXPECT_EQ(ParseGroupsText("1 99999999999\n", 2, &groups),
            "line 1: '99999999999' is not an event number");
}

class GroupsCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("unionbound_groups_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    const GeneratedSystem s = Generate(EventFamily::kCommonShock, 10, 3, 6);
    std::ofstream out(P("prob.txt"));
    out.precision(17);
    for (double x : s.p) out << x << "\n";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string P(const std::string& name) const {
    return (dir_ / name).string();
  }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(P(name)) << text;
  }
  int Run(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunSharpCommand(args, out, err);
    out_ = out.str();
    err_ = err.str();
    return status;
  }
  fs::path dir_;
  std::string out_;
  std::string err_;
};

TEST_F(GroupsCommand, TheGivenPartitionIsInTheTableCsvAndJson) {
  Write("g.txt", "1 2 3\n4 5 6\n7 8 9 10\n");
  ASSERT_EQ(
      Run({"10", "3", P("prob.txt"), "--groups", P("g.txt"), "--tolerance",
           "1e-15", "--csv", P("b.csv"), "--json", P("b.json")}),
      0)
      << err_;
  EXPECT_NE(out_.find("multivariate      "), std::string::npos) << out_;
  EXPECT_NE(out_.find("given partition 1 2 3 | 4 5 6 | 7 8 9 10"),
            std::string::npos)
      << out_;
  // The given partition proves the best lower bound here; its source stays
  // within its cell, the upper bound at its column.
  const size_t best = out_.find("best proven       ");
  ASSERT_NE(best, std::string::npos) << out_;
  const std::string bestRow = out_.substr(best, out_.find('\n', best) - best);
  EXPECT_EQ(bestRow.substr(18 + 18, 11), "multivar.  ") << bestRow;
  EXPECT_EQ(bestRow.substr(18 + 29, 2), "0.") << bestRow;
  std::ifstream csv(P("b.csv"));
  std::string line;
  bool found = false;
  while (std::getline(csv, line)) {
    if (line.find(",multivariate,") == std::string::npos) continue;
    found = true;
    const std::string groups = "1 2 3 | 4 5 6 | 7 8 9 10";
    EXPECT_EQ(line.substr(line.size() - 2 * groups.size() - 1),
              groups + "," + groups);
    EXPECT_NE(line.find(",sharp,tolerance,"), std::string::npos) << line;
  }
  EXPECT_TRUE(found);
  std::ifstream in(P("b.json"));
  const nlohmann::json doc = nlohmann::json::parse(in);
  bool inJson = false;
  for (const auto& row : doc["bounds"]) {
    if (row["kind"] != "multivariate") continue;
    inJson = true;
    EXPECT_EQ(row["groups_lower"],
              nlohmann::json::parse("[[1,2,3],[4,5,6],[7,8,9,10]]"));
    EXPECT_EQ(row["groups_upper"], row["groups_lower"]);
    EXPECT_EQ(row["rule_lower"], "given");
    EXPECT_LE(row["lower"].get<double>(), row["upper"].get<double>());
  }
  EXPECT_TRUE(inJson);
}

TEST_F(GroupsCommand, NoPartitionIsRefusedInOneLineBeforeAnythingIsComputed) {
  Write("missing.txt", "1 2 3\n4 5 6\n7 8 9\n");
  Write("twice.txt", "1 2 3\n3 4 5 6\n7 8 9 10\n");
  Write("word.txt", "1 2 3 4 5\nsix 7 8 9 10\n");
  for (const auto& [file, problem] :
       std::vector<std::pair<std::string, std::string>>{
           {"missing.txt", "event 10 is in no group"},
           {"twice.txt", "line 2: event 3 is already in the group of line 1"},
           {"word.txt", "line 2: 'six' is not an event number"},
           {"absent.txt", "cannot read it"},
           // Endless: read up to the cap, then refused instead of filling
           // the memory.
           {"/dev/zero", "longer than 16 MiB"},
           {dir_.string(), "cannot read it"}}) {
    SCOPED_TRACE(file);
    const std::string path = file.front() == '/' ? file : P(file);
    EXPECT_EQ(Run({"10", "3", P("prob.txt"), "--groups", path}), 1);
    EXPECT_EQ(out_, "");
    EXPECT_NE(err_.find(problem), std::string::npos) << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
  }
  EXPECT_EQ(Run({"10", "3", P("prob.txt"), "--t", "1"}), 1);
  EXPECT_NE(err_.find("--t needs a whole number of groups from 2 to 8"),
            std::string::npos)
      << err_;
  EXPECT_EQ(Run({"10", "3", P("prob.txt"), "--no-multivariate", "--t", "3"}),
            1);
}

}  // namespace
}  // namespace unionbound::sharp
