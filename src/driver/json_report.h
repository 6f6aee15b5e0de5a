// The JSON document of a run, for programs that read unionbound's results:
// the program and version, the sizes, the input and how many numbers it
// gave, the findings of the data check, the best lower and upper bound, one
// object per pass (both bounds with their running times, Kjs, q1, Vks and
// basis subscripts), the exit status and the messages of standard error.
// The layout is described by docs/unionbound.schema.json. Numbers are
// written as the shortest decimals that read back as the same doubles, so
// a reader gets every printed value bit for bit; a value that is not finite
// is written as null.
//
// The passes are written as they come, so a run of many passes never holds
// them all. Requires the calls in order: Begin, AddPass for every pass,
// Finish.
#ifndef UNIONBOUND_DRIVER_JSON_REPORT_H_
#define UNIONBOUND_DRIVER_JSON_REPORT_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "bounds/pass.h"
#include "driver/bound_summary.h"
#include "input/data_check.h"

namespace unionbound {

struct JsonRunHeader {
  int32_t n;
  int32_t m;
  std::string input;    // the probability file; "-" for standard input
  int32_t expected;     // numbers n and m ask for
  int32_t numbersRead;  // numbers read before the input ended or failed
};

class JsonReport {
 public:
  explicit JsonReport(std::ostream& out) : out_(out) {}

  void Begin(const JsonRunHeader& header, const DataCheck& check);
  void AddPass(const Pass& pass);
  void Finish(const BestBounds& best, int status,
              const std::vector<std::string>& messages);

 private:
  std::ostream& out_;
  bool anyPass_ = false;
};

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_JSON_REPORT_H_
