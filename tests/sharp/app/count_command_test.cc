// unionbound-sharp --at-least R, --exactly R and --distribution: the bounds
// of the chosen event and of every r in the table, the CSV file and the
// JSON document, the union unchanged at R = 1, and the refusals.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "sharp/app/command.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

namespace fs = std::filesystem;

struct CountRun {
  int status;
  std::string out;
  std::string err;
};

CountRun RunIn(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunSharpCommand(args, out, err);
  return {status, out.str(), err.str()};
}

// A generated system of 10 events written with 17 digits, and its truth.
struct Files {
  fs::path dir;
  RealVector count;  // P(X = k)
};

Files WriteSystem(const std::string& name) {
  Files f;
  f.dir = fs::temp_directory_path() /
          ("unionbound_sharp_count_" + name + "_" + std::to_string(::getpid()));
  fs::create_directories(f.dir);
  const GeneratedSystem s = Generate(EventFamily::kCommonShock, 10, 3, 6);
  std::ofstream out(f.dir / "prob.txt");
  out.precision(17);
  for (double x : s.p) out << x << "\n";
  f.count =
      CountDistribution(MakeEventSystem(EventFamily::kCommonShock, 10, 6), 10);
  return f;
}

std::string P(const Files& f, const std::string& name) {
  return (f.dir / name).string();
}

nlohmann::json ReadJson(const std::string& file) {
  std::ifstream in(file);
  return nlohmann::json::parse(in);
}

TEST(SharpCountCommand, AtLeastOneIsTheUnionAndOtherTargetsDropUnionOnlyRows) {
  const Files f = WriteSystem("target");
  const std::string input = P(f, "prob.txt");
  const CountRun plain = RunIn({"10", "3", input, "--json", P(f, "u.json")});
  const CountRun one =
      RunIn({"10", "3", input, "--at-least", "1", "--json", P(f, "1.json")});
  ASSERT_EQ(plain.status, kExitSound) << plain.err;
  ASSERT_EQ(one.status, kExitSound) << one.err;
  nlohmann::json a = ReadJson(P(f, "u.json"));
  nlohmann::json b = ReadJson(P(f, "1.json"));
  ASSERT_EQ(a["bounds"].size(), b["bounds"].size());
  for (size_t i = 0; i < a["bounds"].size(); ++i) {
    a["bounds"][i].erase("seconds");
    b["bounds"][i].erase("seconds");
  }
  EXPECT_EQ(a["bounds"], b["bounds"]);
  EXPECT_FALSE(b.contains("target"));

  for (bool exactly : {false, true}) {
    const std::string r = "3";
    const CountRun run =
        RunIn({"10", "3", input, exactly ? "--exactly" : "--at-least", r,
               "--json", P(f, "r.json")});
    ASSERT_EQ(run.status, kExitSound) << run.err;
    EXPECT_NE(run.out.find(exactly ? "P(exactly 3 of the n events)"
                                   : "P(at least 3 of the n events)"),
              std::string::npos);
    EXPECT_NE(run.out.find("bound the union only: left out"),
              std::string::npos);
    const nlohmann::json doc = ReadJson(P(f, "r.json"));
    EXPECT_EQ(doc["target"]["event"], exactly ? "exactly" : "at_least");
    EXPECT_EQ(doc["target"]["r"], 3);
    double truth = f.count[3];
    if (!exactly) truth = AtLeast(f.count, 3);
    // univariate, bivariate, multivariate and the best of them: no
    // union-only row.
    ASSERT_EQ(doc["bounds"].size(), 4u);
    EXPECT_EQ(doc["bounds"][2]["kind"], "multivariate");
    EXPECT_EQ(doc["bounds"][3]["kind"], "best");
    for (const auto& row : doc["bounds"]) {
      EXPECT_NE(row["kind"], "unionbound");
      EXPECT_LE(row["lower"].get<double>(), truth + 1e-12) << row;
      EXPECT_GE(row["upper"].get<double>(), truth - 1e-12) << row;
    }
  }
  fs::remove_all(f.dir);
}

TEST(SharpCountCommand, DistributionGivesEveryRInTableCsvAndJson) {
  const Files f = WriteSystem("distribution");
  const CountRun run =
      RunIn({"10", "3", P(f, "prob.txt"), "--distribution", "--csv",
             P(f, "b.csv"), "--json", P(f, "b.json")});
  ASSERT_EQ(run.status, kExitSound) << run.err;
  EXPECT_NE(run.out.find("Bounds on P(X >= r)"), std::string::npos);
  EXPECT_EQ(run.out.find("FAULT"), std::string::npos);
  std::ifstream csv(P(f, "b.csv"));
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ(line.substr(line.size() - 41),
            "seconds,event,r,groups_lower,groups_upper");
  int perR = 0;
  while (std::getline(csv, line)) {
    if (line.find(",univariate_r,") != std::string::npos ||
        line.find(",bivariate_r,") != std::string::npos) {
      ++perR;
    }
  }
  EXPECT_EQ(perR, 20);
  const nlohmann::json doc = ReadJson(P(f, "b.json"));
  ASSERT_EQ(doc["distribution"].size(), 20u);
  double previousLower[2] = {2, 2};
  double previousUpper[2] = {2, 2};
  for (const auto& row : doc["distribution"]) {
    const int r = row["r"];
    const int k = row["kind"] == "univariate" ? 0 : 1;
    const double truth = AtLeast(f.count, r);
    const double lower = row["lower"];
    const double upper = row["upper"];
    EXPECT_LE(lower, truth + 1e-12) << row;
    EXPECT_GE(upper, truth - 1e-12) << row;
    EXPECT_LE(lower, previousLower[k]) << row;
    EXPECT_LE(upper, previousUpper[k]) << row;
    previousLower[k] = lower;
    previousUpper[k] = upper;
  }
  fs::remove_all(f.dir);
}

TEST(SharpCountCommand, RefusesTargetsOutsideOneToNAndFullBeyondEnumeration) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{
           {"10", "3", "--at-least", "0"},
           {"10", "3", "--at-least", "11"},
           {"10", "3", "--exactly", "x"},
           {"10", "3", "--at-least", "2", "--exactly", "2"},
           {"30", "2", "--at-least", "2", "--full"}}) {
    const CountRun run = RunIn(args);
    EXPECT_EQ(run.status, kExitRefused) << args[2];
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
}

}  // namespace
}  // namespace unionbound::sharp
