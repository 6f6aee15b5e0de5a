// The command line of unionbound: no arguments start the console dialogue;
// -n and -m start a run without it, reading and writing the files the
// options name; --help and --version print their text. The grammar is the
// one both programs share (cli/program_options.h).
#ifndef UNIONBOUND_DRIVER_COMMAND_H_
#define UNIONBOUND_DRIVER_COMMAND_H_

#include <string>
#include <vector>

#include "cli/program_options.h"

namespace unionbound {

// The options unionbound offers and how --help describes them.
OptionSet UnionBoundOptionSet();

// Runs what args (without the program name) ask for on standard input,
// output and error; returns the exit status. Refused options exit with
// kExitRefused, like refused sizes.
int RunCommand(const std::vector<std::string>& args);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_COMMAND_H_
