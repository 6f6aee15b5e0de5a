// The command line of unionbound-sharp: arguments, messages, exit status
// and output files, in process and through the built program.
#include "sharp/app/command.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>

#include "cli/program_options.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

namespace fs = std::filesystem;

struct CommandRun {
  int status;
  std::string out;
  std::string err;
};

CommandRun RunInProcess(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunSharpCommand(args, out, err);
  return {status, out.str(), err.str()};
}

fs::path TempDir(const std::string& name) {
  const fs::path dir =
      fs::temp_directory_path() /
      ("unionbound_sharp_" + name + "_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

void WriteNumbers(const fs::path& file, const RealVector& p) {
  std::ofstream out(file);
  out.precision(17);
  for (double x : p) out << x << "\n";
}

// A temporary folder holding a copy of the bundled example as prob.txt.
fs::path ExampleDir(const std::string& name) {
  const fs::path dir = TempDir(name);
  fs::copy_file(fs::path(UNIONBOUND_SOURCE_DIR) / "examples" / "prob.txt",
                dir / "prob.txt", fs::copy_options::overwrite_existing);
  return dir;
}

// Runs the built program in dir; returns its exit status and output.
CommandRun RunBinary(const fs::path& dir, const std::string& args) {
  const std::string command = "cd '" + dir.string() + "' && '" +
                              UNIONBOUND_SHARP_BINARY + "' " + args +
                              " > out.txt 2> err.txt";
  const int raw = std::system(command.c_str());
  std::ifstream out(dir / "out.txt");
  std::ifstream err(dir / "err.txt");
  std::stringstream o;
  std::stringstream e;
  o << out.rdbuf();
  e << err.rdbuf();
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, o.str(), e.str()};
}

// A command line that is refused before any work: status 1, nothing on
// standard output, one line on standard error that names the program.
void ExpectRefusedInOneLine(const std::vector<std::string>& args) {
  const CommandRun run = RunInProcess(args);
  std::string joined;
  for (const std::string& a : args) joined += a + " ";
  SCOPED_TRACE(joined);
  EXPECT_EQ(run.status, kExitRefused);
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(run.err.rfind("unionbound-sharp: ", 0), 0u);
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1);
}

TEST(SharpCommandLine, ParsesPositionalsAndOptions) {
  ParsedCommandLine p = ParseCommandLine({"12", "3"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.options.n, 12);
  EXPECT_EQ(p.options.m, 3);
  EXPECT_EQ(p.options.file, "prob.txt");
  EXPECT_FALSE(p.options.perL);
  EXPECT_TRUE(p.options.csvFile.empty());

  p = ParseCommandLine({"--per-l", "10", "2", "data.txt", "--csv", "o.csv"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.options.file, "data.txt");
  EXPECT_TRUE(p.options.perL);
  EXPECT_EQ(p.options.csvFile, "o.csv");
  EXPECT_EQ(ParseCommandLine({"5", "1", "--csv=x.csv"}).options.csvFile,
            "x.csv");
  EXPECT_TRUE(ParseCommandLine({"--help"}).options.help);
}

TEST(SharpCommandLine, RejectsBadArgumentsWithOneLineAndStatusOne) {
  const std::vector<std::vector<std::string>> bad{{},
                                                  {"12"},
                                                  {"x", "3"},
                                                  {"12", "3.5"},
                                                  {"12", "0"},
                                                  {"0", "1"},
                                                  {"12", "12"},
                                                  {"12", "3", "a", "b"},
                                                  {"12", "-3"},
                                                  {"12", "3", "--frobnicate"},
                                                  {"12", "3", "--csv"},
                                                  {"3000", "11"}};
  for (const std::vector<std::string>& args : bad) ExpectRefusedInOneLine(args);
  const CommandRun help = RunInProcess({"--help"});
  EXPECT_EQ(help.status, kExitSound);
  // One Usage block with both forms, and every term defined once.
  const std::string usage =
      "\nUsage: unionbound-sharp N M [FILE] [OPTIONS]\n"
      "       unionbound-sharp -n N -m M [-i FILE] [OPTIONS]\n";
  EXPECT_NE(help.out.find(usage), std::string::npos) << help.out;
  EXPECT_EQ(help.out.find("Usage"), help.out.find(usage) + 1);
  EXPECT_EQ(help.out.find("Usage", help.out.find(usage) + 2),
            std::string::npos);
  const size_t from = help.out.find("Terms:\n");
  ASSERT_NE(from, std::string::npos);
  std::istringstream block(
      help.out.substr(from, help.out.find("\n\n", from) - from));
  std::vector<std::string> terms;
  for (std::string line; std::getline(block, line);) {
    if (line.size() > 2 && line.rfind("  ", 0) == 0 && line[2] != ' ') {
      terms.push_back(line.substr(2, line.find("  ", 2) - 2));
    }
  }
  for (const char* expected : {"certified", "partial", "widened", "sharp"}) {
    EXPECT_EQ(std::count(terms.begin(), terms.end(), expected), 1) << expected;
  }
  std::vector<std::string> sorted = terms;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
  for (const char* option : {"--csv", "--json", "--quiet", "--time-limit"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  EXPECT_NE(help.out.find("Exit status: 0"), std::string::npos);
}

TEST(SharpCommandLine, TakesTheSharedGrammarAsWellAsThePositionalForm) {
  ParsedCommandLine p = ParseCommandLine(
      {"-n", "10", "-m", "2", "-i", "data.txt", "--per-l", "--csv=o.csv"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.n, 10);
  EXPECT_EQ(p.options.m, 2);
  EXPECT_EQ(p.options.file, "data.txt");
  EXPECT_TRUE(p.options.perL);
  EXPECT_EQ(p.options.csvFile, "o.csv");
  EXPECT_FALSE(p.options.quiet);

  p = ParseCommandLine({"-n12", "-m3", "--quiet", "--l", "4..6", "--tolerance",
                        "1e-9", "--verbose"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.file, "prob.txt");
  EXPECT_TRUE(p.options.quiet);
  EXPECT_EQ(p.options.lFrom, 4);
  EXPECT_EQ(p.options.lTo, 6);
  EXPECT_TRUE(p.options.hasTolerance);
  EXPECT_EQ(p.options.tolerance, "1e-9");
  EXPECT_TRUE(p.options.verbose);

  p = ParseCommandLine({"12", "3", "--full", "--time-limit", "2.5"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_TRUE(p.options.full);
  EXPECT_EQ(p.options.timeLimit, 2.5);

  const ParsedCommandLine version = ParseCommandLine({"--version"});
  ASSERT_TRUE(version.ok);
  EXPECT_EQ(version.printText, VersionLine("unionbound-sharp") + "\n");
}

TEST(SharpCommandLine, RejectsMixedOrIncompleteSharedFormsWithStatusOne) {
  const std::vector<std::vector<std::string>> bad{
      {"-n", "12"},
      {"-m", "3", "-i", "p.txt"},
      {"12", "3", "-n", "12"},
      {"12", "3", "-i", "p.txt"},
      {"-n", "12", "-m"},
      {"-n", "x", "-m", "3"},
      {"-n", "12", "-m", "3", "--time-limit", "1"},
      {"-n", "12", "-m", "3", "--l", "1..2"},
      {"-n", "12", "-m", "3", "--json", "/dev/null", "--bogus"}};
  for (const std::vector<std::string>& args : bad) ExpectRefusedInOneLine(args);
}

// Input that gives no bounds ends with status 2, as with unionbound, in one
// line that says why and names the first offending number whole.
TEST(SharpCommandLine, MissingShortOrUnreadableInputStopsWithStatusTwo) {
  const fs::path dir = TempDir("files");
  CommandRun run = RunInProcess({"4", "2", (dir / "absent.txt").string()});
  EXPECT_EQ(run.status, kExitUntrustworthy);
  EXPECT_NE(run.err.find("cannot open '" + (dir / "absent.txt").string() +
                         "': No such file or directory"),
            std::string::npos)
      << run.err;

  WriteNumbers(dir / "short.txt", {0.1, 0.1, 0.1, 0.1, 0.01});
  run = RunInProcess({"4", "2", (dir / "short.txt").string()});
  EXPECT_EQ(run.status, kExitUntrustworthy);
  EXPECT_NE(run.err.find("n=4, m=2 need 10 numbers, but the input ends "
                         "after 5"),
            std::string::npos)
      << run.err;

  run = RunInProcess({"4", "2", dir.string()});
  EXPECT_EQ(run.status, kExitUntrustworthy);
  EXPECT_NE(run.err.find("Is a directory"), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty());
  fs::remove_all(dir);
}

TEST(SharpCommandLine, ABadTokenIsNamedWholeByItsPosition) {
  const fs::path dir = TempDir("bad_token");
  const std::string file = (dir / "prob.txt").string();
  const auto expectRefused = [&](const std::string& text,
                                 const std::string& why) {
    { std::ofstream(file) << text; }
    const CommandRun run = RunInProcess({"4", "2", file});
    SCOPED_TRACE(text);
    EXPECT_EQ(run.status, kExitUntrustworthy);
    EXPECT_EQ(run.err, "unionbound-sharp: " + file + ": " + why +
                           "; nothing computed\n");
    EXPECT_TRUE(run.out.empty());
  };
  expectRefused("0.1 0.1\n0.1 abc 0.1 0.01 0 0 0 0\n",
                "number 4 is not a number: \"abc\"");
  // Text glued to a number makes the whole token no number, in its own
  // place: the number it starts with is not read.
  expectRefused("0.1 0.1 0.1 0.1 0.05% 0 0 0 0 0\n",
                "number 5 is not a number: \"0.05%\"");
  expectRefused("0.25abc 0.5", "number 1 is not a number: \"0.25abc\"");
  expectRefused("0x1p-3 0.5", "number 1 is not a number: \"0x1p-3\"");
  expectRefused("0,500 0.5", "number 1 is not a number: \"0,500\"");
  // The last token, too, is read whole rather than as a number and a
  // left-over entry.
  expectRefused("0.1 0.1 0.1 0.1 0 0 0 0 0 0.001x5130911053113081",
                "number 10 is not a number: \"0.001x5130911053113081\"");
  fs::remove_all(dir);
}

TEST(SharpCommandLine, NumbersLeftOverGetOneWarningAndChangeNothingElse) {
  const fs::path examples = ExampleDir("left_over");
  const std::string file = (examples / "prob.txt").string();
  const CommandRun exact = RunInProcess({"12", "3", file});
  ASSERT_EQ(exact.status, kExitSound) << exact.err;
  EXPECT_EQ(exact.err.find("warning"), std::string::npos);
  { std::ofstream(file, std::ios::app) << "0.5 0.25\n"; }
  const CommandRun extra = RunInProcess({"12", "3", file});
  EXPECT_EQ(extra.status, kExitSound) << extra.err;
  EXPECT_EQ(extra.err, "unionbound-sharp: " + file +
                           ": warning: 2 entries after the 298 numbers that "
                           "n=12, m=3 ask for were not read; n and m decide "
                           "which numbers are read\n");
  // The same report apart from the running times.
  const std::regex seconds("[0-9.]+ s\n");
  EXPECT_EQ(std::regex_replace(extra.out, seconds, "\n"),
            std::regex_replace(exact.out, seconds, "\n"));
  fs::remove_all(examples);
}

TEST(SharpProgram, ReportsInconsistentDataWithStatusTwo) {
  const fs::path dir = TempDir("inconsistent");
  // P(Ai) = 0.6 for four events that never occur together.
  WriteNumbers(dir / "prob.txt", {0.6, 0.6, 0.6, 0.6, 0, 0, 0, 0, 0, 0});
  CommandRun run = RunBinary(dir, "4 2");
  EXPECT_EQ(run.status, kExitUntrustworthy);
  EXPECT_NE(run.out.find("Inconsistent data: no probability distribution"),
            std::string::npos);
  EXPECT_NE(run.out.find("infeasible as typed (proven exactly)"),
            std::string::npos);
  EXPECT_NE(run.err.find("use --tolerance"), std::string::npos);
  EXPECT_EQ(run.out.find("Bounds on the probability"), std::string::npos);

  // A number that is no probability gives no bounds at all: nothing on
  // standard output, the number named on standard error.
  WriteNumbers(dir / "prob.txt", {0.6, 1.5, 0.1, 0.1, 0, 0, 0, 0, 0, 0});
  run = RunBinary(dir, "4 2");
  EXPECT_EQ(run.status, kExitUntrustworthy);
  EXPECT_TRUE(run.out.empty()) << run.out;
  EXPECT_NE(run.err.find("number 2: P{2} = 1.5 is not a probability in "
                         "[0, 1]"),
            std::string::npos)
      << run.err;
  fs::remove_all(dir);
}

TEST(SharpProgram, PrintsTheComparisonAndWritesTheCsvFile) {
  const fs::path dir = TempDir("consistent");
  const GeneratedSystem s = Generate(EventFamily::kGaussianThreshold, 9, 3, 2);
  WriteNumbers(dir / "events.txt", s.p);
  const CommandRun run =
      RunBinary(dir, "9 3 events.txt --per-l --csv bounds.csv");
  EXPECT_EQ(run.status, kExitSound) << run.err;
  for (const char* piece :
       {"unionbound-sharp: n=9, m=3, 129 probabilities from events.txt",
        "numbers: all 129 taken exactly as typed", "unionbound  ",
        "univariate sharp", "bivariate sharp", "sharp  ",
        "Per subsequence length l"}) {
    EXPECT_NE(run.out.find(piece), std::string::npos) << piece;
  }
  std::ifstream csv(dir / "bounds.csv");
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ(line,
            "n,m,file,data_check,kind,l_lower,lower,lower_status,"
            "lower_widened,l_upper,upper,upper_status,upper_widened,seconds,"
            "groups_lower,groups_upper");
  int rows = 0;
  int perL = 0;
  while (std::getline(csv, line)) {
    ++rows;
    EXPECT_EQ(line.rfind("9,3,events.txt,consistent,", 0), 0u) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), ','), 15) << line;
    if (line.find(",bivariate_l,") != std::string::npos) ++perL;
  }
  EXPECT_EQ(perL, 4);  // l = 3 .. 6
  // Best rows (multivariate among them), the three closed-form rows, then
  // per l for both methods.
  EXPECT_EQ(rows, 4 + 3 + 1 + 4 + 4);
  fs::remove_all(dir);
}

void WriteText(const fs::path& file, const std::string& text) {
  std::ofstream out(file);
  out << text;
}

// The CSV row of the given kind, split at commas.
std::vector<std::string> CsvRow(const fs::path& file, const std::string& kind) {
  std::ifstream csv(file);
  std::string line;
  while (std::getline(csv, line)) {
    std::vector<std::string> fields;
    std::stringstream split(line);
    std::string field;
    while (std::getline(split, field, ',')) fields.push_back(field);
    if (line.back() == ',') fields.push_back("");
    if (fields.size() > 4 && fields[4] == kind) return fields;
  }
  return {};
}

// The epsilon the error line names.
std::string EpsilonIn(const std::string& err) {
  const size_t at = err.find("epsilon = ");
  if (at == std::string::npos) return "";
  const size_t start = at + 10;
  return err.substr(start, err.find(';', start) - start);
}

// The closed forms hold for the numbers as typed only: a widened run leaves
// their rows out and says so, in the table and in the JSON document.
TEST(SharpProgram, ClosedFormsLeftOutWithAToleranceAreNamed) {
  const fs::path dir = ExampleDir("left_out");
  const std::string note =
      "The closed forms hold for the numbers as typed only: left out with "
      "--tolerance.\n";
  CommandRun run = RunBinary(dir, "12 3 --json plain.json");
  ASSERT_EQ(run.status, kExitSound) << run.err;
  EXPECT_NE(run.out.find("Hunter-Worsley"), std::string::npos);
  EXPECT_EQ(run.out.find(note), std::string::npos);
  std::ifstream plain(dir / "plain.json");
  EXPECT_FALSE(nlohmann::json::parse(plain).contains("left_out"));

  run = RunBinary(dir, "12 3 --tolerance 0.001 --json widened.json");
  ASSERT_EQ(run.status, kExitSound) << run.err;
  EXPECT_EQ(run.out.find("Hunter-Worsley"), std::string::npos);
  EXPECT_NE(run.out.find(note), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("(T): widened by --tolerance T"), std::string::npos);
  std::ifstream widened(dir / "widened.json");
  const nlohmann::json doc = nlohmann::json::parse(widened);
  ASSERT_EQ(doc["left_out"].size(), 1u) << doc.dump();
  const nlohmann::json kinds = doc["left_out"][0]["kinds"];
  EXPECT_EQ(kinds, nlohmann::json::array(
                       {"hunter-worsley", "de-caen", "kuai-alajaji-takahara"}));
  for (const nlohmann::json& row : doc["bounds"]) {
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), row["kind"]), 0);
  }
  fs::remove_all(dir);
}

TEST(SharpProgram, SixSignificantDigitsNeedAToleranceThatThenCoversTheTruth) {
  const fs::path dir = TempDir("six_digits");
  const GeneratedSystem s = Generate(EventFamily::kRandomAtoms, 10, 3, 11);
  std::ofstream out(dir / "prob.txt");
  out.precision(6);
  for (double x : s.p) out << x << "\n";
  out.close();
  CommandRun run = RunBinary(dir, "10 3");
  ASSERT_EQ(run.status, kExitUntrustworthy);
  const std::string epsilon = EpsilonIn(run.err);
  ASSERT_FALSE(epsilon.empty()) << run.err;
  EXPECT_NE(run.out.find("epsilon = " + epsilon), std::string::npos);
  // The epsilon itself is enough; anything below it is refused.
  run = RunBinary(dir, "10 3 --tolerance " + epsilon);
  EXPECT_EQ(run.status, kExitSound) << run.err;
  EXPECT_NE(run.out.find("sharp (T)"), std::string::npos);
  run = RunBinary(dir, "10 3 --tolerance 1e-12");
  EXPECT_EQ(run.status, kExitUntrustworthy);
  EXPECT_NE(run.err.find("is below epsilon"), std::string::npos);
  // Half a unit in the sixth digit covers the true numbers, so the true
  // union probability lies inside every bound.
  run = RunBinary(dir, "10 3 --tolerance 5e-7 --csv b.csv");
  ASSERT_EQ(run.status, kExitSound) << run.err;
  for (const char* kind : {"univariate", "bivariate"}) {
    const std::vector<std::string> row = CsvRow(dir / "b.csv", kind);
    ASSERT_EQ(row.size(), 16u) << kind;
    EXPECT_EQ(row[3], "inconsistent");
    EXPECT_EQ(row[8], "tolerance");
    EXPECT_LE(std::stod(row[6]), s.unionProbability) << kind;
    EXPECT_GE(std::stod(row[10]), s.unionProbability) << kind;
  }
  fs::remove_all(dir);
}

// Atoms rounded to doubles: programs over partitions prove them
// inconsistent, and the search over the atoms finds a change that is
// enough without proving it least. The data check then says both ends
// rather than calling the enough one least.
TEST(SharpProgram, AnEpsilonOnlyFoundEnoughIsNotCalledTheLeast) {
  const fs::path dir = TempDir("epsilon_enough");
  WriteNumbers(dir / "prob.txt",
               Generate(EventFamily::kRandomAtoms, 12, 3, 12).p);
  const CommandRun run = RunBinary(dir, "12 3 --multivariate");
  ASSERT_EQ(run.status, kExitUntrustworthy) << run.out;
  const std::string epsilon = EpsilonIn(run.err);
  ASSERT_FALSE(epsilon.empty()) << run.err;
  const bool least =
      run.out.find(
          "the least uniform change that makes every check pass is\n"
          "    epsilon = " +
          epsilon) != std::string::npos;
  const bool bracketed =
      run.out.find("a uniform change of epsilon = " + epsilon +
                   " makes every check pass\n    (the largest change of any "
                   "one number); the least such change is at least ") !=
      std::string::npos;
  EXPECT_TRUE(least != bracketed) << run.out;
  EXPECT_TRUE(bracketed) << run.out;
  // The report's paragraph says the same.
  EXPECT_NE(
      run.out.find("up to epsilon = " + epsilon + " is enough;\nat least "),
      std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find(epsilon + " is needed"), std::string::npos) << run.out;
  fs::remove_all(dir);
}

TEST(SharpProgram, TwoUnitsInTheLastPlaceAreInconsistentUntilTolerated) {
  const fs::path dir = TempDir("two_ulps");
  // Eight identical events of probability 0.3; one pair two units in the
  // last place above.
  std::string text;
  for (int u = 0; u < 8 + 28; ++u)
    text += u == 9 ? "0.30000000000000010\n" : "0.3\n";
  WriteText(dir / "prob.txt", text);
  CommandRun run = RunBinary(dir, "8 2");
  ASSERT_EQ(run.status, kExitUntrustworthy);
  EXPECT_NE(run.out.find("2 intersections more probable than a "
                         "sub-intersection"),
            std::string::npos);
  EXPECT_EQ(EpsilonIn(run.err), "5.00e-17");
  // The summary names the count; --verbose lists every finding.
  EXPECT_EQ(run.out.find("exceeds"), std::string::npos);
  run = RunBinary(dir, "8 2 --verbose");
  EXPECT_NE(run.out.find("P{1,3} exceeds P{3} by 1.00e-16"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("P{1,3} exceeds P{1} by 1.00e-16"), std::string::npos);
  run = RunBinary(dir, "8 2 --tolerance 5e-17");
  EXPECT_EQ(run.status, kExitSound) << run.err;
  run = RunBinary(dir, "8 2 --tolerance 4.9e-17");
  EXPECT_EQ(run.status, kExitUntrustworthy);
  // As typed, 0.3 everywhere is consistent and the bounds are exactly 0.3.
  text.clear();
  for (int u = 0; u < 8 + 28; ++u) text += "0.3\n";
  WriteText(dir / "prob.txt", text);
  run = RunBinary(dir, "8 2 --csv o.csv");
  ASSERT_EQ(run.status, kExitSound) << run.err;
  const std::vector<std::string> row = CsvRow(dir / "o.csv", "univariate");
  ASSERT_EQ(row.size(), 16u);
  EXPECT_EQ(row[6], "0.30000000000000000");
  EXPECT_EQ(row[10], "0.30000000000000000");
  EXPECT_EQ(row[7], "sharp");
  fs::remove_all(dir);
}

// unionbound's method needs an odd m: for an even m its numbers are no
// bounds, so no output shows them, and the table says why.
TEST(SharpProgram, EvenOrderLeavesUnionboundsNumbersOut) {
  const fs::path dir = TempDir("even");
  const fs::path example = ExampleDir("even_example");
  const CommandRun run =
      RunBinary(example, "12 2 --per-l --csv " + (dir / "e.csv").string());
  ASSERT_EQ(run.status, kExitSound) << run.err;
  EXPECT_EQ(run.out.find("unionbound        invalid"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\nunionbound        -"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("unionbound needs an odd m: its numbers are left "
                         "out for m=2."),
            std::string::npos)
      << run.out;
  EXPECT_TRUE(CsvRow(dir / "e.csv", "unionbound").empty());
  EXPECT_TRUE(CsvRow(dir / "e.csv", "unionbound_l").empty());
  EXPECT_FALSE(CsvRow(dir / "e.csv", "bivariate").empty());
  fs::remove_all(example);
  fs::remove_all(dir);
}

TEST(SharpProgram, BothFormsGiveTheSameReportAndQuietPrintsNothing) {
  const fs::path dir = ExampleDir("forms");
  const CommandRun positional = RunBinary(dir, "12 3 prob.txt --per-l");
  ASSERT_EQ(positional.status, kExitSound) << positional.err;
  const CommandRun shared = RunBinary(dir, "-n 12 -m 3 -i prob.txt --per-l");
  ASSERT_EQ(shared.status, kExitSound) << shared.err;
  // Only the seconds differ between two runs.
  auto withoutTimes = [](const std::string& text) {
    return std::regex_replace(text, std::regex("[0-9.]+ s\\b"), "t s");
  };
  EXPECT_EQ(withoutTimes(positional.out), withoutTimes(shared.out));

  const CommandRun fromStdin =
      RunBinary(dir, "-n 12 -m 3 -i - --per-l < prob.txt");
  ASSERT_EQ(fromStdin.status, kExitSound) << fromStdin.err;
  const std::string header = "298 probabilities from standard input\n";
  EXPECT_NE(fromStdin.out.find(header), std::string::npos);
  const std::string fileHeader = "298 probabilities from prob.txt\n";
  std::string renamed = positional.out;
  renamed.replace(renamed.find(fileHeader), fileHeader.size(), header);
  EXPECT_EQ(withoutTimes(renamed), withoutTimes(fromStdin.out));

  const CommandRun quiet = RunBinary(dir, "-n 12 -m 3 --quiet --csv quiet.csv");
  EXPECT_EQ(quiet.status, kExitSound);
  EXPECT_TRUE(quiet.out.empty());
  EXPECT_TRUE(quiet.err.empty());
  EXPECT_TRUE(fs::exists(dir / "quiet.csv"));

  const CommandRun failing = RunBinary(dir, "-n 12 -m 3 -i absent.txt -q");
  EXPECT_EQ(failing.status, kExitUntrustworthy);
  EXPECT_NE(failing.err.find("cannot open 'absent.txt'"), std::string::npos);
}

TEST(SharpProgram, PrintsItsVersion) {
  const CommandRun run = RunBinary(TempDir("version"), "--version");
  EXPECT_EQ(run.status, kExitSound);
  EXPECT_EQ(run.out, VersionLine("unionbound-sharp") + "\n");
}

TEST(SharpProgram, LimitsTheRangeOfLAndRejectsRangesOutsideMToNMinusM) {
  const fs::path examples = ExampleDir("range");
  const CommandRun run = RunBinary(examples, "12 3 --per-l --l 4..6");
  ASSERT_EQ(run.status, kExitSound) << run.err;
  EXPECT_NE(run.out.find("\n   4  "), std::string::npos);
  EXPECT_NE(run.out.find("\n   6  "), std::string::npos);
  EXPECT_EQ(run.out.find("\n   3  "), std::string::npos);
  EXPECT_EQ(run.out.find("\n   7  "), std::string::npos);
  for (const char* bad : {"2..5", "5..10", "6..4", "x"}) {
    const CommandRun r = RunInProcess({"12", "3", "--l", bad});
    EXPECT_EQ(r.status, kExitRefused) << bad;
    EXPECT_NE(r.err.find("--l"), std::string::npos) << r.err;
  }
  EXPECT_EQ(RunInProcess({"12", "3", "--tolerance", "-1"}).status,
            kExitRefused);
  EXPECT_EQ(RunInProcess({"12", "3", "--tolerance", "0.1x"}).status,
            kExitRefused);
  fs::remove_all(examples);
}

TEST(SharpProgram, ProgressGoesToStandardErrorAndIsClearedAtTheEnd) {
  const fs::path examples = fs::path(UNIONBOUND_SOURCE_DIR) / "examples";
  std::ostringstream out;
  std::ostringstream err;
  const std::string file = (examples / "prob.txt").string();
  ASSERT_EQ(RunSharpCommand({"12", "3", file}, out, err, true), kExitSound);
  const std::string text = err.str();
  EXPECT_NE(text.find("\rprograms solved: 8 of 8"), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 1), "\r");
  EXPECT_EQ(out.str().find("programs solved"), std::string::npos);
  std::ostringstream quiet;
  ASSERT_EQ(RunSharpCommand({"12", "3", file}, out, quiet), kExitSound);
  EXPECT_TRUE(quiet.str().empty());
}

TEST(SharpProgram, FullProgressShowsRoundsAndTimeAgainstTheLimit) {
  const fs::path examples = fs::path(UNIONBOUND_SOURCE_DIR) / "examples";
  const std::string file = (examples / "prob.txt").string();
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(RunSharpCommand({"12", "3", file, "--full", "--time-limit", "30"},
                            out, err, true),
            kExitSound);
  const std::string text = err.str();
  EXPECT_NE(text.find("\rfull program: "), std::string::npos) << text;
  EXPECT_NE(text.find(" round 1 ("), std::string::npos) << text;
  EXPECT_NE(text.find(" of 0:30"), std::string::npos) << text;
  // Small work is not announced.
  EXPECT_EQ(text.find("Ctrl-C"), std::string::npos) << text;
}

TEST(SharpProgram, FailedWritesEndWithStatusTwoAndOneLine) {
  const fs::path examples = ExampleDir("failed_writes");
  // An unwritable CSV path is found before anything is read or computed.
  CommandRun run =
      RunBinary(examples, "12 3 --csv /nonexistent-folder/bounds.csv");
  EXPECT_EQ(run.status, kExitUntrustworthy);
  EXPECT_NE(run.err.find("cannot write '/nonexistent-folder/bounds.csv'"),
            std::string::npos);
  EXPECT_EQ(run.err.find('\n'), run.err.size() - 1);
  EXPECT_TRUE(run.out.empty()) << run.out;
  // A CSV file on a full device.
  run = RunBinary(examples, "12 3 --csv /dev/full");
  EXPECT_EQ(run.status, kExitUntrustworthy);
  EXPECT_NE(run.err.find("cannot write '/dev/full'"), std::string::npos)
      << run.err;
  // Standard output that fails, in process and as the program's own.
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  std::ostringstream err;
  const std::string file = (examples / "prob.txt").string();
  EXPECT_EQ(RunSharpCommand({"12", "3", file}, out, err), kExitUntrustworthy);
  EXPECT_NE(err.str().find("cannot write standard output"), std::string::npos);
  const std::string command = "cd '" + examples.string() + "' && '" +
                              UNIONBOUND_SHARP_BINARY +
                              "' 12 3 > /dev/full 2> err.txt";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), kExitUntrustworthy);
  std::ifstream errFile(examples / "err.txt");
  std::string line;
  std::getline(errFile, line);
  EXPECT_EQ(line, "unionbound-sharp: cannot write standard output");
  fs::remove_all(examples);
}

TEST(SharpProgram, FullProgramOnTheBundledExampleBeatsTheBivariateBounds) {
  const fs::path dir = ExampleDir("full");
  const CommandRun run =
      RunBinary(dir, "12 3 --full --csv b.csv --json j.json");
  ASSERT_EQ(run.status, kExitSound) << run.err;
  EXPECT_NE(run.out.find("full (atoms)"), std::string::npos);
  const std::vector<std::string> full = CsvRow(dir / "b.csv", "full");
  ASSERT_EQ(full.size(), 16u);
  EXPECT_EQ(full[6], "0.80400000000000000");
  EXPECT_EQ(full[7], "sharp");
  EXPECT_EQ(full[10], "0.86400000000000000");
  EXPECT_EQ(full[11], "sharp");
  // The JSON document has the same row.
  std::ifstream in(dir / "j.json");
  const nlohmann::json doc = nlohmann::json::parse(in);
  int32_t rows = 0;
  for (const nlohmann::json& row : doc["bounds"]) {
    if (row["kind"] != "full") continue;
    ++rows;
    EXPECT_EQ(row["lower_status"], "sharp");
    EXPECT_EQ(row["upper_status"], "sharp");
    EXPECT_LE(row["lower"].get<double>(), 0.804);
    EXPECT_GE(row["upper"].get<double>(), 0.864);
  }
  EXPECT_EQ(rows, 1);
  EXPECT_EQ(CsvRow(dir / "b.csv", "kuai-alajaji-takahara")[6],
            "0.72100000000000000");
  fs::remove_all(dir);
}

// A equals B and A equals C, but B and C never meet: every check on the
// numbers and both moment programs pass, yet no distribution exists. The
// closed forms cross the sharp bounds, with or without the full program,
// and the least change comes from the program over atoms: 1/8.
TEST(SharpProgram, DataThatNoDistributionFitsAreNotASuccess) {
  const fs::path dir = TempDir("full_cross");
  WriteText(dir / "prob.txt", "0.5 0.5 0.5 0\n0.5 0.5 0 0 0 0\n");
  // The partition programs of a default run prove it first; without them
  // the crossing bounds do, with the same least change.
  const CommandRun partitions = RunBinary(dir, "4 2");
  EXPECT_EQ(partitions.status, kExitUntrustworthy);
  EXPECT_NE(partitions.out.find("partition program(s) infeasible as typed"),
            std::string::npos)
      << partitions.out;
  EXPECT_NE(partitions.err.find("inconsistent data: epsilon = 0.126"),
            std::string::npos)
      << partitions.err;
  for (const char* args : {"4 2 --no-multivariate --json j.json",
                           "4 2 --no-multivariate --full --json j.json"}) {
    SCOPED_TRACE(args);
    const CommandRun run = RunBinary(dir, args);
    EXPECT_EQ(run.status, kExitUntrustworthy);
    EXPECT_NE(run.out.find("a proven lower bound lies above a proven upper"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("need a change of at least 0.125"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.err.find("inconsistent data: epsilon = 0.126"),
              std::string::npos)
        << run.err;
    std::ifstream in(dir / "j.json");
    const nlohmann::json j = nlohmann::json::parse(in);
    EXPECT_EQ(j["status"], kExitUntrustworthy);
    EXPECT_EQ(j["data_check"]["consistent"], false);
    EXPECT_GE(j["data_check"]["epsilon"], 0.125);
    EXPECT_TRUE(j["bounds"].empty());
  }
  // The advised tolerance gives bounds for every data within it; less than
  // the epsilon still leaves no distribution.
  const CommandRun widened =
      RunBinary(dir, "4 2 --full --tolerance 0.126 --csv b.csv");
  EXPECT_EQ(widened.status, kExitSound) << widened.err;
  EXPECT_NE(widened.out.find("cert. (T)"), std::string::npos);
  const std::vector<std::string> full = CsvRow(dir / "b.csv", "full");
  ASSERT_EQ(full.size(), 16u);
  EXPECT_EQ(full[7], "certified");
  EXPECT_EQ(full[8], "tolerance");
  EXPECT_EQ(full[12], "tolerance");
  const CommandRun tooSmall = RunBinary(dir, "4 2 --full --tolerance 0.12");
  EXPECT_EQ(tooSmall.status, kExitUntrustworthy);
  EXPECT_NE(tooSmall.err.find("below epsilon = 0.126"), std::string::npos)
      << tooSmall.err;
  fs::remove_all(dir);
}

// A = B and A = C while B and C are disjoint: every program is feasible,
// but the Hunter-Worsley upper bound 0.3 lies below the sharp lower bounds;
// the least change that fits any distribution is 3/40.
TEST(SharpProgram, CrossingClosedFormsAreAnInconsistency) {
  const fs::path dir = TempDir("closed_cross");
  WriteText(dir / "prob.txt", "0.3 0.3 0.3 0.3 0.3 0\n");
  const CommandRun run = RunBinary(dir, "3 2");
  EXPECT_EQ(run.status, kExitUntrustworthy);
  EXPECT_EQ(run.out.find("consistent: the numbers"), std::string::npos);
  EXPECT_NE(run.out.find("need a change of at least 0.0750"), std::string::npos)
      << run.out;
  EXPECT_NE(run.err.find("inconsistent data: epsilon = 0.07"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(RunBinary(dir, "3 2 --tolerance 0.07").status, kExitUntrustworthy);
  EXPECT_EQ(RunBinary(dir, "3 2 --tolerance 0.08").status, kExitSound);
  fs::remove_all(dir);
}

// Disjoint events typed exactly: the best upper bound is their union 0.55,
// and unionbound's 0.54999999999999994 is marked as rounding.
TEST(SharpProgram, BestRowAndRoundingInTheCsvFile) {
  const fs::path dir = TempDir("best_row");
  WriteText(dir / "prob.txt",
            "0.01 0.02 0.03 0.04 0.05 0.06 0.07 0.08 0.09 0.1\n");
  const CommandRun run = RunBinary(dir, "10 1 --csv b.csv");
  EXPECT_EQ(run.status, kExitSound) << run.err;
  EXPECT_NE(run.out.find("a distribution over\n    the atoms is not checked"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("best proven"), std::string::npos);
  const std::vector<std::string> best = CsvRow(dir / "b.csv", "best");
  ASSERT_EQ(best.size(), 16u);
  EXPECT_EQ(best[10], "0.55000000000000000");
  EXPECT_EQ(best[11], "univariate sharp");
  EXPECT_EQ(best[7], "bivariate sharp");
  const std::vector<std::string> method = CsvRow(dir / "b.csv", "unionbound");
  ASSERT_EQ(method.size(), 16u);
  EXPECT_EQ(method[10], "0.54999999999999994");
  EXPECT_EQ(method[11], "rounding");
  fs::remove_all(dir);
}

TEST(SharpProgram, FullProgramOptionsAreChecked) {
  const fs::path dir = ExampleDir("full_options");
  for (const char* args : {"12 3 --time-limit 5", "12 3 --full --time-limit 0",
                           "12 3 --full --time-limit x", "61 1 --full"}) {
    const CommandRun run = RunBinary(dir, args);
    EXPECT_EQ(run.status, kExitRefused) << args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args;
  }
  // Inconsistent data are refused as without --full.
  EXPECT_EQ(RunBinary(dir, "4 3 --full").status, kExitUntrustworthy);
  fs::remove_all(dir);
}

TEST(SharpProgram, AnEarlierCsvFileStaysWhenNoBoundsAreWritten) {
  const fs::path dir = TempDir("csv_kept");
  const fs::path csv = dir / "bounds.csv";
  { std::ofstream(csv) << "earlier\n"; }
  // Inconsistent data: no bounds, so no new CSV file.
  WriteNumbers(dir / "prob.txt", {0.6, 0.6, 0.6, 0.6, 0, 0, 0, 0, 0, 0});
  CommandRun run = RunBinary(dir, "4 2 --csv bounds.csv");
  ASSERT_EQ(run.status, kExitUntrustworthy);
  std::ifstream kept(csv);
  std::string line;
  std::getline(kept, line);
  EXPECT_EQ(line, "earlier");
  // Nothing but the files of the test is left in the folder.
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "bounds.csv" || name == "prob.txt" ||
                name == "out.txt" || name == "err.txt")
        << name;
  }
  // Consistent data replace it.
  WriteNumbers(dir / "prob.txt", {0.2, 0.2, 0.2, 0.2, 0, 0, 0, 0, 0, 0});
  run = RunBinary(dir, "4 2 --csv bounds.csv");
  ASSERT_EQ(run.status, kExitSound) << run.err;
  std::ifstream replaced(csv);
  std::getline(replaced, line);
  EXPECT_EQ(line.rfind("n,m,file,", 0), 0u) << line;
  fs::remove_all(dir);
}

// The CSV file and the JSON document go to a temporary file that is renamed
// over the old one when complete: a second name for the old file still
// shows it whole, where a rewrite in place would have changed it too.
TEST(SharpProgram, CsvAndJsonFilesAreReplacedWholeNeverRewrittenInPlace) {
  const fs::path dir = TempDir("replaced_whole");
  for (const char* name : {"bounds.csv", "run.json"}) {
    { std::ofstream(dir / name) << "earlier\n"; }
    fs::create_hard_link(dir / name, dir / (std::string("old-") + name));
  }
  WriteNumbers(dir / "prob.txt", {0.2, 0.2, 0.2, 0.2, 0, 0, 0, 0, 0, 0});
  const CommandRun run = RunBinary(dir, "4 2 --csv bounds.csv --json run.json");
  ASSERT_EQ(run.status, kExitSound) << run.err;
  std::string line;
  for (const char* name : {"bounds.csv", "run.json"}) {
    std::ifstream old(dir / (std::string("old-") + name));
    std::getline(old, line);
    EXPECT_EQ(line, "earlier") << name;
    std::ifstream replaced(dir / name);
    std::getline(replaced, line);
    EXPECT_NE(line, "earlier") << name;
  }
  for (const auto& entry : fs::directory_iterator(dir)) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
        << entry.path();
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace unionbound::sharp
