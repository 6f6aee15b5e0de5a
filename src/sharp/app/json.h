// The JSON document of a unionbound-sharp run (--json FILE): the header of
// the run, the data check, every bound pair of the CSV file (from the same
// rows) and the exit status with the messages. Bound values are doubles rounded
// outward from the CSV file's decimals: lower bounds down, upper bounds up.
// Requires a finished SharpAnalysis; written with nlohmann-json.
#ifndef UNIONBOUND_SHARP_APP_JSON_H_
#define UNIONBOUND_SHARP_APP_JSON_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "sharp/analysis/analysis.h"
#include "sharp/analysis/bound_rows.h"

namespace unionbound::sharp {

struct SharpJsonRun {
  std::string input;  // the probability file; "-" for standard input
  int32_t numbersRead = 0;
  bool perL = false;                  // also the rows of every l
  int status = 0;                     // the exit status of the run
  std::vector<std::string> messages;  // the lines written to standard error
};

// rows: BoundRows(analysis).
void WriteSharpJson(const SharpAnalysis& analysis,
                    const std::vector<BoundRow>& rows, const SharpJsonRun& run,
                    std::ostream& out);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_APP_JSON_H_
