// What unionbound-sharp writes: the data check, the table that compares
// unionbound's bounds with the sharp ones, the optional per-l table and the
// machine-readable CSV file.
#ifndef UNIONBOUND_SHARP_SHARP_REPORT_H_
#define UNIONBOUND_SHARP_SHARP_REPORT_H_

#include <ostream>
#include <string>

#include "sharp/sharp_analysis.h"

namespace unionbound {

// x in fixed notation with `decimals` digits, rounded down (a lower bound
// stays a lower bound) or up.
std::string FormatRoundedDown(double x, int decimals);
std::string FormatRoundedUp(double x, int decimals);

// The data check, one line per finding.
void WriteDataCheck(const SharpAnalysis& analysis, std::ostream& out);

// The comparison table and its legend; with perL also one row per l.
void WriteBoundTables(const SharpAnalysis& analysis, bool perL,
                      std::ostream& out);

// Columns kind,l_lower,lower,lower_status,lower_gap,l_upper,upper,
// upper_status,upper_gap,seconds; bounds with 17 significant digits. Rows:
// unionbound, univariate, bivariate (the best ones), then unionbound_l and
// bivariate_l for every l.
void WriteCsv(const SharpAnalysis& analysis, std::ostream& out);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_SHARP_REPORT_H_
