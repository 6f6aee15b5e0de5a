// One whole run of unionbound on the console: the dialogue, the probability
// file, the data check, one pass per subsequence length l with its report,
// the summary of the best bounds and the final wait for RETURN.
#ifndef UNIONBOUND_DRIVER_RUN_H_
#define UNIONBOUND_DRIVER_RUN_H_

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/exit_status.h"
#include "cli/refused_run_json.h"

namespace unionbound {

// Where a run reads and writes, and whether it ends by waiting for RETURN.
struct RunOptions {
  std::string probabilityFile = "prob.txt";  // "-": standard input
  std::string reportFile = "result.txt";     // "-": standard output, which then
                                             // carries the report alone; empty:
                                             // no report
  bool waitForReturn = true;
  std::string jsonFile;  // the JSON document; empty: none, "-": standard
                         // output, which then carries nothing else
  bool quiet = false;    // no summary: standard output stays empty
};

// Checks that the probability file can be read, asks for n and m on
// standard input and output (again after a refused answer when standard
// input is a terminal), then runs as RunWithSizes; returns the exit status.
int RunUnionBound(const RunOptions& options = RunOptions());

// The run after the dialogue, for sizes that ReadRunSizes accepts: reads
// and checks the probability file, writes the report and the summary, and
// returns the exit status. Messages go to standard error. Refused before
// anything is read (status 1): a report or JSON file that is the
// probability file, or one file for both. Numbers that cannot be
// probabilities (a token that is no number, a file too short for n and m,
// a value outside [0, 1]) give no bounds: one line on standard error,
// nothing on standard output, the report left as it was, status 2.
int RunWithSizes(int32_t n, int32_t m, const RunOptions& options);

// The document of a run refused before anything was computed, to the JSON
// file (complete or not at all) or to standard output for "-". False, with
// a line on err, when it could not be written.
bool WriteRefusedRunJson(const RefusedRun& run, const std::string& file,
                         std::ostream& err);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_RUN_H_
