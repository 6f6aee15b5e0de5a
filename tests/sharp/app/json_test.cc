// The JSON document of unionbound-sharp: its header, and bound values that
// are the CSV file's decimals rounded outward to doubles.
#include "sharp/app/json.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/program_options.h"
#include "output_checks.h"
#include "sharp/data/exact_data.h"
#include "sharp/exact/outward_format.h"

namespace unionbound::sharp {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

fs::path ExampleDir(const std::string& name) {
  const fs::path dir =
      fs::temp_directory_path() /
      ("unionbound_sharp_json_" + name + "_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::copy_file(fs::path(UNIONBOUND_SOURCE_DIR) / "examples" / "prob.txt",
                dir / "prob.txt", fs::copy_options::overwrite_existing);
  return dir;
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the built program in dir; its exit status, standard output in
// dir/out.txt.
int RunSharp(const fs::path& dir, const std::string& args) {
  const std::string command = "cd '" + dir.string() + "' && '" +
                              UNIONBOUND_SHARP_BINARY + "' " + args +
                              " > out.txt 2> err.txt";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// value is the double next to the decimal on its outer side: not inside the
// decimal, and one step inward is inside.
void ExpectOutward(const Json& value, const std::string& decimal, bool up) {
  if (decimal.empty()) {
    EXPECT_TRUE(value.is_null());
    return;
  }
  ASSERT_TRUE(value.is_number()) << decimal;
  // The double is the tightest outside the exact value, which the decimal
  // encloses to 17 digits: the decimal's outward double or one step in.
  const double outward = OutwardDouble(decimal, up);
  const double x = value.get<double>();
  const double inward = std::nextafter(outward, up ? -1.0 : 2.0);
  EXPECT_TRUE(x == outward || x == inward) << decimal << " " << x;
}

void ExpectIntegerOrNull(const Json& value, const std::string& text) {
  if (text.empty()) {
    EXPECT_TRUE(value.is_null());
  } else {
    EXPECT_EQ(value, std::stoi(text));
  }
}

// Every row of dir/b.csv is the next entry of doc's bounds (or per_l, for
// the rows of every l, when doc has them), with the same kind, l, statuses and
// widened marks and the values rounded outward; no entry is left over. Returns
// the kinds in CSV order.
std::vector<std::string> ExpectRowsOfTheCsvFile(const Json& doc,
                                                const fs::path& dir) {
  std::stringstream csv(ReadAll(dir / "b.csv"));
  std::string row;
  std::getline(csv, row);
  std::vector<std::string> kinds;
  size_t best = 0;
  size_t perL = 0;
  while (std::getline(csv, row)) {
    SCOPED_TRACE(row);
    const std::vector<std::string> c = SplitCsvRow(row);
    EXPECT_EQ(c.size(), 16u);
    if (c.size() != 16u) continue;
    kinds.push_back(c[4]);
    const bool isPerL = c[4] == "unionbound_l" || c[4] == "bivariate_l";
    if (isPerL && !doc.contains("per_l")) continue;  // only with --per-l
    const Json& list = isPerL ? doc["per_l"] : doc["bounds"];
    size_t& index = isPerL ? perL : best;
    EXPECT_LT(index, list.size());
    if (index >= list.size()) continue;
    const Json& pair = list[index++];
    EXPECT_EQ(pair["kind"], c[4]);
    ExpectIntegerOrNull(pair["l_lower"], c[5]);
    ExpectOutward(pair["lower"], c[6], false);
    ExpectIntegerOrNull(pair["l_upper"], c[9]);
    ExpectOutward(pair["upper"], c[10], true);
    EXPECT_EQ(pair["lower_status"].is_null() ? "" : pair["lower_status"], c[7]);
    EXPECT_EQ(pair["upper_status"].is_null() ? "" : pair["upper_status"],
              c[11]);
    EXPECT_EQ(pair["lower_widened"], c[8] == "tolerance");
    EXPECT_EQ(pair["upper_widened"], c[12] == "tolerance");
  }
  EXPECT_EQ(best, doc["bounds"].size());
  EXPECT_EQ(perL, doc.contains("per_l") ? doc["per_l"].size() : 0u);
  return kinds;
}

TEST(SharpJson, OutwardDoublesEncloseTheDecimal) {
  EXPECT_EQ(OutwardDouble("0.5", false), 0.5);
  EXPECT_EQ(OutwardDouble("0.5", true), 0.5);
  const double down = OutwardDouble("0.1", false);
  const double up = OutwardDouble("0.1", true);
  EXPECT_LT(down, up);
  EXPECT_EQ(std::nextafter(down, 1.0), up);
  EXPECT_LE(Rational(down), Rational(1, 10));
  EXPECT_GE(Rational(up), Rational(1, 10));
  EXPECT_EQ(OutwardDouble("-0.1", true), -down);
  EXPECT_TRUE(std::isnan(OutwardDouble("x", true)));
}

TEST(SharpJson, EveryRowOfTheCsvFileWithItsValuesRoundedOutward) {
  const fs::path dir = ExampleDir("rows");
  ASSERT_EQ(RunSharp(dir, "-n 12 -m 3 --per-l --csv b.csv --json run.json"), 0)
      << ReadAll(dir / "err.txt");
  const Json doc = Json::parse(ReadAll(dir / "run.json"));
  EXPECT_EQ(doc["program"], "unionbound-sharp");
  EXPECT_EQ("unionbound-sharp " + doc["version"].get<std::string>(),
            VersionLine("unionbound-sharp"));
  EXPECT_EQ(doc["n"], 12);
  EXPECT_EQ(doc["m"], 3);
  EXPECT_EQ(doc["input"], "prob.txt");
  EXPECT_EQ(doc["numbers_read"], 298);
  EXPECT_EQ(doc["data_check"]["consistent"], true);
  EXPECT_EQ(doc["data_check"]["epsilon"], 0.0);
  EXPECT_EQ(doc["status"], 0);
  EXPECT_TRUE(doc["messages"].empty());

  const std::vector<std::string> kinds = ExpectRowsOfTheCsvFile(doc, dir);
  const size_t perL = 2u * (12 - 3 - 3 + 1);
  EXPECT_EQ(doc["per_l"].size(), perL);
  EXPECT_GE(kinds.size() - perL, 3u);

  // To standard output the document comes alone, without the report.
  ASSERT_EQ(RunSharp(dir, "12 3 --json -"), 0);
  const Json streamed = Json::parse(ReadAll(dir / "out.txt"));
  EXPECT_EQ(streamed["bounds"].size(), doc["bounds"].size());
  EXPECT_FALSE(streamed.contains("per_l"));
  for (size_t i = 0; i < doc["bounds"].size(); ++i) {
    EXPECT_EQ(streamed["bounds"][i]["lower"], doc["bounds"][i]["lower"]);
    EXPECT_EQ(streamed["bounds"][i]["upper"], doc["bounds"][i]["upper"]);
  }
  fs::remove_all(dir);
}

// An exact optimum that is a double is given as itself, not as one of the
// doubles around a 17-digit decimal of it: two disjoint events whose union
// is 1 - 2^-20.
TEST(SharpJson, ExactOptimaThatAreDoublesComeBackExactly) {
  const fs::path dir = ExampleDir("exact_double");
  { std::ofstream(dir / "prob.txt") << "0.5 0.49999904632568359375\n"; }
  ASSERT_EQ(RunSharp(dir, "2 1 --json -"), 0) << ReadAll(dir / "err.txt");
  const Json doc = Json::parse(ReadAll(dir / "out.txt"));
  int32_t checked = 0;
  for (const Json& pair : doc["bounds"]) {
    if (pair["kind"] == "unionbound") continue;
    EXPECT_EQ(pair["upper"], 1.0 - std::ldexp(1.0, -20)) << pair["kind"];
    ++checked;
  }
  EXPECT_EQ(checked, 3);  // univariate, bivariate, best
  fs::remove_all(dir);
}

// The full program and the closed forms are kinds of their own, as in the
// CSV file; on the bundled example the full program is certified.
TEST(SharpJson, TheFullProgramAndTheClosedFormsAsInTheCsvFile) {
  const fs::path dir = ExampleDir("full");
  ASSERT_EQ(RunSharp(dir, "12 3 --full --csv b.csv --json run.json"), 0)
      << ReadAll(dir / "err.txt");
  const Json doc = Json::parse(ReadAll(dir / "run.json"));
  const std::vector<std::string> kinds = ExpectRowsOfTheCsvFile(doc, dir);
  for (const char* kind :
       {"full", "hunter-worsley", "de-caen", "kuai-alajaji-takahara"}) {
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), kind), kinds.end()) << kind;
  }
  for (const Json& pair : doc["bounds"]) {
    if (pair["kind"] != "full") continue;
    EXPECT_EQ(pair["lower_status"], "sharp");
    EXPECT_EQ(pair["upper_status"], "sharp");
    EXPECT_EQ(pair["lower"], OutwardDouble("0.804", false));
    EXPECT_EQ(pair["upper"], OutwardDouble("0.864", true));
  }
  fs::remove_all(dir);
}

TEST(SharpJson, InconsistentDataGiveStatusTwoNoBoundsAndTheMessage) {
  const fs::path dir = ExampleDir("inconsistent");
  {
    std::ofstream out(dir / "prob.txt");
    out << "0.6 0.6 0.6 0.6 0 0 0 0 0 0\n";
  }
  EXPECT_EQ(RunSharp(dir, "-n 4 -m 2 --json run.json"), 2);
  const Json doc = Json::parse(ReadAll(dir / "run.json"));
  EXPECT_EQ(doc["status"], 2);
  EXPECT_EQ(doc["data_check"]["consistent"], false);
  EXPECT_GT(doc["data_check"]["epsilon"].get<double>(), 0.0);
  EXPECT_TRUE(doc["bounds"].empty());
  ASSERT_EQ(doc["messages"].size(), 1u);
  EXPECT_EQ(doc["messages"][0].get<std::string>() + "\n",
            ReadAll(dir / "err.txt"));
  fs::remove_all(dir);
}

TEST(SharpJson, AFileThatCannotBeWrittenStopsBeforeAnyWork) {
  const fs::path dir = ExampleDir("unwritable");
  EXPECT_EQ(RunSharp(dir, "12 3 --json no/such/folder/run.json"), 2);
  EXPECT_NE(ReadAll(dir / "err.txt").find("nothing computed"),
            std::string::npos);
  EXPECT_TRUE(ReadAll(dir / "out.txt").empty());
  fs::remove_all(dir);
}

// A run refused before anything is computed still writes the JSON document
// asked for: the sizes as given, the status and the message, no bounds.
struct Refusal {
  const char* args;  // --json r.json, or --json - for standard output
  int status;
  Json n;
  Json m;
};

// Test names show the arguments.
void PrintTo(const Refusal& refusal, std::ostream* out) {
  *out << refusal.args;
}

class SharpRefusedRunJson : public ::testing::TestWithParam<Refusal> {};

TEST_P(SharpRefusedRunJson, HoldsTheSizesTheStatusAndTheMessage) {
  const Refusal& refusal = GetParam();
  const fs::path dir = ExampleDir("refused");
  {
    std::ofstream(dir / "short.txt") << "0.1 0.2 0.3\n";
    std::ofstream(dir / "word.txt") << "0.1 0.2 zero\n";
  }
  fs::remove(dir / "r.json");
  EXPECT_EQ(RunSharp(dir, refusal.args), refusal.status);
  const bool toStdout =
      std::string(refusal.args).find("--json -") != std::string::npos;
  const Json doc =
      Json::parse(ReadAll(dir / (toStdout ? "out.txt" : "r.json")));
  std::vector<std::string> keys;
  for (const auto& [key, value] : doc.items()) keys.push_back(key);
  EXPECT_EQ(keys, (std::vector<std::string>{"input", "m", "messages", "n",
                                            "program", "status", "version"}));
  EXPECT_EQ(doc["program"], "unionbound-sharp");
  EXPECT_EQ(doc["n"], refusal.n);
  EXPECT_EQ(doc["m"], refusal.m);
  EXPECT_EQ(doc["status"], refusal.status);
  ASSERT_EQ(doc["messages"].size(), 1u);
  EXPECT_EQ(doc["messages"][0].get<std::string>() + "\n",
            ReadAll(dir / "err.txt"));
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfRefusal, SharpRefusedRunJson,
    // Input that gives no bounds is status 2, as with unionbound.
    ::testing::Values(Refusal{"x 3 --json r.json", 1, nullptr, 3},
                      Refusal{"-n 12 -m 0 --json r.json", 1, 12, 0},
                      Refusal{"12 3 --time-limit 5 --json r.json", 1, 12, 3},
                      Refusal{"12 3 --json r.json --frobnicate", 1, 12, 3},
                      Refusal{"12 3 missing.txt --json r.json", 2, 12, 3},
                      Refusal{"-n 12 -m 3 -i short.txt --json -", 2, 12, 3},
                      Refusal{"12 3 word.txt --json r.json", 2, 12, 3},
                      Refusal{"12 3 --csv no/such/folder/b.csv --json r.json",
                              2, 12, 3}));

}  // namespace
}  // namespace unionbound::sharp
