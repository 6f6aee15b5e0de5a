// The JSON document of a run that was refused before anything was computed
// (sizes refused, an input that cannot be read, too few numbers, options
// that could not be parsed once --json FILE was read): the program, its
// version, the sizes as given, the input, the exit status and the messages
// of standard error, and nothing else, so that a script that asked for a
// document gets one and finds no bounds in it. Both programs write it.
#ifndef UNIONBOUND_CLI_REFUSED_RUN_JSON_H_
#define UNIONBOUND_CLI_REFUSED_RUN_JSON_H_

#include <string>
#include <vector>

namespace unionbound {

struct RefusedRun {
  std::string program;  // "unionbound" or "unionbound-sharp"
  std::string n;        // the sizes as given; a size that is not a whole
  std::string m;        // number in the 32-bit range is written as null
  std::string input;    // the probability file; "-" for standard input
  int status = 1;       // the exit status of the run
  std::vector<std::string> messages;  // the lines written to standard error
};

// The document, ending in a line end.
std::string RefusedRunJson(const RefusedRun& run);

}  // namespace unionbound

#endif  // UNIONBOUND_CLI_REFUSED_RUN_JSON_H_
