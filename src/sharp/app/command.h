// The command line of unionbound-sharp, in the grammar it shares with
// unionbound: unionbound-sharp (N M [FILE] | -n N -m M [-i FILE])
// [--json FILE] [--quiet] [--per-l] [--csv FILE] [--tolerance T]
// [--l LO..HI] [--verbose] [--full [--time-limit S]] [--help] [--version].
// Exit statuses are cli/exit_status.h's: kExitSound on success,
// kExitRefused for a bad command line (files that are one file included),
// kExitUntrustworthy when the input gives no bounds (missing, unreadable,
// short, not numbers or not probabilities), the data are inconsistent or a
// write to standard output or to the CSV file fails, kExitOutOfMemory when
// the memory runs out. A run refused before anything was computed still writes
// the JSON document it was asked for (see cli/refused_run_json.h).
#ifndef UNIONBOUND_SHARP_APP_COMMAND_H_
#define UNIONBOUND_SHARP_APP_COMMAND_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli/exit_status.h"

namespace unionbound::sharp {

struct SharpOptions {
  int32_t n = 0;
  int32_t m = 0;
  std::string file = "prob.txt";
  bool perL = false;
  std::string csvFile;  // empty: no CSV output; "-" is standard output
  bool hasTolerance = false;
  std::string tolerance;  // as typed: a decimal number >= 0
  int32_t lFrom = -1;     // --l LO..HI; -1: the whole range m .. n - m
  int32_t lTo = -1;
  bool verbose = false;
  bool full = false;          // --full: the program over all atoms
  double timeLimit = 0.0;     // --time-limit S for it; 0: none
  int32_t atLeast = 0;        // --at-least R; 0: not given (the union)
  int32_t exactly = 0;        // --exactly R; 0: not given
  bool distribution = false;  // --distribution: every r = 1 .. N
  std::string groupsFile;     // --groups FILE; empty: the rules' partitions
  int32_t groupCount = 0;     // --t T; 0: 3 and 4
  // --multivariate (1), --no-multivariate (-1), or neither (0: where fast).
  int32_t multivariate = 0;
  std::string json;    // empty: none; "-" is standard output
  bool quiet = false;  // print errors only
  bool help = false;  // --help or --version: print ParsedCommandLine::printText
};

struct ParsedCommandLine {
  bool ok;
  std::string error;  // one line, when not ok
  // When not ok, the options read before the refusal (json and file at
  // least, once they were read), for the JSON document of the refusal.
  SharpOptions options;
  std::string printText;  // --help or --version: the text to print
  std::string nGiven;     // the sizes as given on the command line
  std::string mGiven;
};

// args without the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

// Runs the whole program; the report goes to out, errors and notes to err.
// With showProgress, err also gets a progress line that rewrites itself.
int RunSharpCommand(const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err, bool showProgress = false);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_APP_COMMAND_H_
