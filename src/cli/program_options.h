// The command-line grammar shared by unionbound and unionbound-sharp:
//   PROGRAM [-n N -m M] [-i FILE] [-o REPORT] [--json FILE] [--quiet]
//           [--help] [--version]
// Parsing only checks the form of the options; the sizes n and m are
// checked by each program with its own rules. Requires nothing but the
// standard library from its callers (the parser itself is header-only).
#ifndef UNIONBOUND_CLI_PROGRAM_OPTIONS_H_
#define UNIONBOUND_CLI_PROGRAM_OPTIONS_H_

#include <string>
#include <vector>

namespace unionbound {

// Which options a program offers beyond the common -n -m -i --json --quiet
// --help --version.
struct OptionSet {
  std::string program;      // name in messages, --help and --version
  std::string description;  // first paragraph of --help
  std::string footer;       // last paragraph of --help
  bool reportOption;        // -o REPORT
  bool perLOption;          // --per-l
  // unionbound-sharp's own options (--csv, --tolerance, --l, --verbose,
  // --full, --time-limit) and its positional form N M [FILE] in place of
  // -n and -m.
  bool sharpOptions = false;
  // The positional form N M [FILE] in place of -n N -m M -i FILE, without
  // the rest of unionbound-sharp's options.
  bool positionalSizes = false;
  // The Usage block of --help, after "Usage: " (further forms on lines of
  // their own); empty: the parser's own one-line summary.
  std::string usage{};
};

inline constexpr const char* kStandardStream = "-";

struct ProgramOptions {
  bool scripted = false;  // -n and -m given: no dialogue
  std::string n;          // the sizes as given, checked by the program
  std::string m;
  std::string input = "prob.txt";     // "-" is standard input
  std::string report = "result.txt";  // the report file of unionbound
  bool hasReport = false;             // -o given
  std::string json;                   // empty: none; "-" is standard output
  bool quiet = false;                 // print errors only
  bool perL = false;
  // With OptionSet::positionalSizes or sharpOptions: N M [FILE] as given.
  // With positionalSizes the parser has moved them to n, m and input.
  std::vector<std::string> positional;
  // With OptionSet::sharpOptions: the values as given, checked by the
  // program.
  std::string csv;  // empty: none
  bool hasTolerance = false;
  std::string tolerance;
  bool hasLRange = false;
  std::string lRange;  // LO..HI or L
  bool verbose = false;
  bool full = false;
  bool hasTimeLimit = false;
  std::string timeLimit;
  std::string atLeast;  // --at-least R as given; empty: none
  std::string exactly;  // --exactly R as given; empty: none
  bool distribution = false;
  std::string groups;           // --groups FILE as given; empty: none
  std::string groupCount;       // --t T as given; empty: none
  bool multivariate = false;    // --multivariate
  bool noMultivariate = false;  // --no-multivariate
};

enum class OptionAction {
  kRun,        // options holds the run
  kPrintText,  // print text to standard output and exit 0 (--help, --version)
  kRefuse,     // print text (one line) to standard error and exit 1
};

struct ParsedOptions {
  OptionAction action;
  std::string text;
  // With kRefuse, the options read before the refusal: json is empty when
  // the parser stopped before it had taken the --json FILE.
  ProgramOptions options;
};

// args without the program name. No arguments at all is a run that is not
// scripted; any other option needs -n and -m (or, with sharpOptions or
// positionalSizes, the positional N M). A file option with an empty name
// is refused ("-" names the standard stream).
ParsedOptions ParseProgramOptions(const OptionSet& set,
                                  const std::vector<std::string>& args);

// The --help text of the set, as ParseProgramOptions prints it.
std::string HelpText(const OptionSet& set);

// "PROGRAM VERSION", the line --version prints.
std::string VersionLine(const std::string& program);

}  // namespace unionbound

#endif  // UNIONBOUND_CLI_PROGRAM_OPTIONS_H_
