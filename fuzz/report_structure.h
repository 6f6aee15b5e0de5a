// Reads result.txt back line by line and checks its layout: the header, then
// for every l from m to n - m the pass header, the lower- and the upper-bound
// block and the binomial moments, and nothing else.
#ifndef UNIONBOUND_FUZZ_REPORT_STRUCTURE_H_
#define UNIONBOUND_FUZZ_REPORT_STRUCTURE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace unionbound {

// The printed values of one pass, as they stand in the report.
struct PrintedPass {
  int32_t l;
  std::string lower;    // the lower bound
  std::string upper;    // the upper bound
  std::string moments;  // the line of binomial moments, braces included
};

struct ReportLayout {
  bool intact;                      // false: `fault` says what is amiss
  std::string fault;                // the first line out of place
  std::vector<PrintedPass> passes;  // one per l, in order
};

ReportLayout ReadReportLayout(const std::string& report, int32_t n, int32_t m);

// How a double prints in general or fixed notation: an optional minus, then
// nan, inf or digits with an optional fraction and exponent.
bool IsPrintedDouble(const std::string& text);

}  // namespace unionbound

#endif  // UNIONBOUND_FUZZ_REPORT_STRUCTURE_H_
