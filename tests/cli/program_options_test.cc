// The shared command-line grammar: what each form of the command line asks
// the program to do.
#include "cli/program_options.h"

#include <gtest/gtest.h>

#include "cli/version.h"

namespace unionbound {
namespace {

const OptionSet kSet{"unionbound", "Bounds a union.", "Exit status: 0.", true,
                     false};

ParsedOptions Parse(const std::vector<std::string>& args) {
  return ParseProgramOptions(kSet, args);
}

TEST(ProgramOptions, NoArgumentsKeepTheDialogue) {
  const ParsedOptions parsed = Parse({});
  EXPECT_EQ(parsed.action, OptionAction::kRun);
  EXPECT_FALSE(parsed.options.scripted);
}

TEST(ProgramOptions, SizesAloneRunWithTheDefaultFiles) {
  const ParsedOptions parsed = Parse({"-n", "12", "-m", "3"});
  ASSERT_EQ(parsed.action, OptionAction::kRun);
  EXPECT_TRUE(parsed.options.scripted);
  EXPECT_EQ(parsed.options.n, "12");
  EXPECT_EQ(parsed.options.m, "3");
  EXPECT_EQ(parsed.options.input, "prob.txt");
  EXPECT_EQ(parsed.options.report, "result.txt");
  EXPECT_EQ(parsed.options.json, "");
  EXPECT_FALSE(parsed.options.quiet);
}

TEST(ProgramOptions, EveryOptionInShortAndLongForm) {
  const ParsedOptions parsed =
      Parse({"-m", "5", "-n", "20", "-i", "-", "--output=r.txt", "--json", "-",
             "--quiet"});
  ASSERT_EQ(parsed.action, OptionAction::kRun) << parsed.text;
  EXPECT_EQ(parsed.options.n, "20");
  EXPECT_EQ(parsed.options.m, "5");
  EXPECT_EQ(parsed.options.input, "-");
  EXPECT_EQ(parsed.options.report, "r.txt");
  EXPECT_EQ(parsed.options.json, "-");
  EXPECT_TRUE(parsed.options.quiet);

  const ParsedOptions longForm =
      Parse({"-n12", "-m3", "--input", "p.txt", "-o", "out.txt", "-q"});
  ASSERT_EQ(longForm.action, OptionAction::kRun) << longForm.text;
  EXPECT_EQ(longForm.options.n, "12");
  EXPECT_EQ(longForm.options.input, "p.txt");
  EXPECT_EQ(longForm.options.report, "out.txt");
  EXPECT_TRUE(longForm.options.quiet);
}

// The sizes pass the grammar as they were given: each program checks them
// by its own rules, unionbound with the messages of its dialogue.
TEST(ProgramOptions, SizesAreLeftToTheProgram) {
  const ParsedOptions parsed = Parse({"-n", "-4", "-m", "0x2"});
  ASSERT_EQ(parsed.action, OptionAction::kRun) << parsed.text;
  EXPECT_EQ(parsed.options.n, "-4");
  EXPECT_EQ(parsed.options.m, "0x2");
}

TEST(ProgramOptions, RefusalsAreOneLineNamingTheProgram) {
  const std::vector<std::vector<std::string>> refused = {
      {"12", "3"},                          // the sizes are options
      {"-n", "12"},                         // m missing
      {"-m", "3"},                          // n missing
      {"-n", "12", "-m", "3", "--frob"},    // unknown option
      {"-n", "12", "-m", "3", "-i"},        // value missing
      {"-n", "12", "-n", "13", "-m", "3"},  // given twice
      {"-i", "p.txt"},                      // no sizes
      {"--quiet"},                          // no sizes
      {"-n", "12", "-m", "3", "--per-l"},   // not offered by this program
  };
  for (const std::vector<std::string>& args : refused) {
    const ParsedOptions parsed = Parse(args);
    SCOPED_TRACE(args.front() + " ... " + args.back());
    EXPECT_EQ(parsed.action, OptionAction::kRefuse);
    EXPECT_EQ(parsed.text.rfind("unionbound: ", 0), 0u) << parsed.text;
    EXPECT_EQ(parsed.text.find('\n'), parsed.text.size() - 1) << parsed.text;
  }
}

TEST(ProgramOptions, HelpAndVersionPrintTheirText) {
  for (const char* flag : {"--help", "-h"}) {
    const ParsedOptions help = Parse({flag});
    EXPECT_EQ(help.action, OptionAction::kPrintText);
    EXPECT_EQ(help.text, HelpText(kSet));
  }
  EXPECT_NE(HelpText(kSet).find("--json"), std::string::npos);
  const ParsedOptions version = Parse({"--version"});
  EXPECT_EQ(version.action, OptionAction::kPrintText);
  EXPECT_EQ(version.text, std::string("unionbound ") + kVersion + "\n");
}

TEST(ProgramOptions, OptionsOfferedPerProgram) {
  const OptionSet sharp{"unionbound-sharp", "Sharp bounds.", "", false, true};
  const ParsedOptions perL =
      ParseProgramOptions(sharp, {"-n", "12", "-m", "3", "--per-l"});
  ASSERT_EQ(perL.action, OptionAction::kRun) << perL.text;
  EXPECT_TRUE(perL.options.perL);
  EXPECT_EQ(
      ParseProgramOptions(sharp, {"-n", "12", "-m", "3", "-o", "r"}).action,
      OptionAction::kRefuse);
  EXPECT_EQ(HelpText(sharp).find("REPORT"), std::string::npos);
  EXPECT_EQ(Parse({"-n", "12", "-m", "3", "--csv", "b.csv"}).action,
            OptionAction::kRefuse);
}

TEST(ProgramOptions, SharpOptionsKeepTheirValuesAsGivenAndTakePositionals) {
  OptionSet sharp{"unionbound-sharp", "Sharp bounds.", "", false, true};
  sharp.sharpOptions = true;
  const ParsedOptions given = ParseProgramOptions(
      sharp, {"12", "3", "p.txt", "--csv", "b.csv", "--tolerance=1e-9", "--l",
              "4..6", "--verbose", "--full", "--time-limit", "5"});
  ASSERT_EQ(given.action, OptionAction::kRun) << given.text;
  const ProgramOptions& o = given.options;
  EXPECT_TRUE(o.scripted);
  EXPECT_EQ(o.positional, (std::vector<std::string>{"12", "3", "p.txt"}));
  EXPECT_EQ(o.csv, "b.csv");
  EXPECT_TRUE(o.hasTolerance);
  EXPECT_EQ(o.tolerance, "1e-9");
  EXPECT_TRUE(o.hasLRange);
  EXPECT_EQ(o.lRange, "4..6");
  EXPECT_TRUE(o.verbose);
  EXPECT_TRUE(o.full);
  EXPECT_TRUE(o.hasTimeLimit);
  EXPECT_EQ(o.timeLimit, "5");

  const ParsedOptions shared =
      ParseProgramOptions(sharp, {"-n", "12", "-m", "3"});
  ASSERT_EQ(shared.action, OptionAction::kRun);
  EXPECT_TRUE(shared.options.positional.empty());
  EXPECT_FALSE(shared.options.hasTolerance);
  EXPECT_FALSE(shared.options.hasLRange);

  // One way to give the sizes, not both.
  const ParsedOptions mixed =
      ParseProgramOptions(sharp, {"12", "3", "-n", "12", "-m", "3"});
  EXPECT_EQ(mixed.action, OptionAction::kRefuse);
  EXPECT_EQ(mixed.text.find('\n'), mixed.text.size() - 1);
  EXPECT_EQ(ParseProgramOptions(sharp, {"--verbose"}).action,
            OptionAction::kRefuse);
}

}  // namespace
}  // namespace unionbound
