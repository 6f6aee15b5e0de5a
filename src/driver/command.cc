#include "driver/command.h"

#include <iostream>
#include <sstream>

#include "cli/refused_run_json.h"
#include "driver/console_input.h"
#include "driver/message_log.h"
#include "driver/run.h"

namespace unionbound {

namespace {

bool IsOneToken(const std::string& text) {
  return !text.empty() &&
         text.find_first_of(" \t\n\v\f\r") == std::string::npos;
}

// The sizes given on the command line, checked with the dialogue's rules
// and messages: each is handed to the dialogue as the one token it answers
// with, and the prompts go nowhere.
RunSizes CheckSizes(const std::string& n, const std::string& m,
                    std::ostream& err) {
  for (const auto& [text, what] :
       {std::pair{&n, "n (the number of events)"},
        std::pair{&m, "m (the maximum order of the intersections)"}}) {
    if (!IsOneToken(*text)) {
      err << "unionbound: expected a whole number for " << what << ", got \""
          << *text << "\"" << std::endl;
      return RunSizes{false, 0, 0};
    }
  }
  std::istringstream answers(n + "\n" + m + "\n");
  std::ostringstream prompts;
  return ReadRunSizes(answers, prompts, err);
}

// A refused run still gives the JSON document it was asked for, when the
// options named one.
int Refuse(const ProgramOptions& options, const MessageLog& err) {
  if (!options.json.empty()) {
    const RefusedRun run{"unionbound",  options.n,    options.m,
                         options.input, kExitRefused, err.Lines()};
    WriteRefusedRunJson(run, options.json, std::cerr);
  }
  return kExitRefused;
}

}  // namespace

OptionSet UnionBoundOptionSet() {
  OptionSet set{
      "unionbound",
      "Bounds the probability that at least one of n events occurs, from the "
      "probabilities of the intersections of up to m of them.",
      "Without arguments it asks for n and m on the console, reads prob.txt, "
      "writes result.txt and waits for RETURN.\n"
      "Exit status: 0 the bounds can be used; 1 the options, n or m were "
      "refused; 2 no bounds (the probability file is missing, short or holds "
      "no probabilities) or bounds that cannot be trusted; 3 the memory ran "
      "out.",
      true, false};
  set.positionalSizes = true;
  return set;
}

int RunCommand(const std::vector<std::string>& args) {
  const ParsedOptions parsed = ParseProgramOptions(UnionBoundOptionSet(), args);
  switch (parsed.action) {
    case OptionAction::kPrintText:
      std::cout << parsed.text;
      return std::cout.flush() ? kExitSound : kExitUntrustworthy;
    case OptionAction::kRefuse: {
      MessageLog err(std::cerr);
      err << parsed.text << std::flush;
      return Refuse(parsed.options, err);
    }
    case OptionAction::kRun:
      break;
  }
  const ProgramOptions& options = parsed.options;
  if (!options.scripted) return RunUnionBound();
  MessageLog err(std::cerr);
  if (options.report == kStandardStream && options.json == kStandardStream) {
    err << "unionbound: -o - and --json - both name standard output; give "
           "one of them a file"
        << std::endl;
    ProgramOptions withoutJson = options;
    withoutJson.json.clear();
    return Refuse(withoutJson, err);
  }
  const RunSizes sizes = CheckSizes(options.n, options.m, err);
  if (!sizes.ok) return Refuse(options, err);
  RunOptions run;
  run.probabilityFile = options.input;
  // Standard output carrying the JSON document, the report is written
  // only where -o names it.
  run.reportFile = options.json == kStandardStream && !options.hasReport
                       ? ""
                       : options.report;
  run.jsonFile = options.json;
  run.quiet = options.quiet;
  run.waitForReturn = false;
  return RunWithSizes(sizes.n, sizes.m, run);
}

}  // namespace unionbound
