// What unionbound-sharp writes: the data check, the table that compares
// unionbound's bounds with the sharp ones, the optional per-l table and the
// machine-readable CSV file. Every sharp bound is printed rounded outward.
#ifndef UNIONBOUND_SHARP_APP_REPORT_H_
#define UNIONBOUND_SHARP_APP_REPORT_H_

#include <ostream>
#include <string>

#include "sharp/analysis/analysis.h"

namespace unionbound::sharp {

// The data check in a few lines; with verbose every finding.
void WriteDataCheck(const SharpAnalysis& analysis, bool verbose,
                    std::ostream& out);

// Why no bound is printed, for data that are not consistent.
void WriteInconsistency(const SharpAnalysis& analysis, std::ostream& out);

// The comparison table and its legend; with perL also one row per l.
void WriteBoundTables(const SharpAnalysis& analysis, bool perL,
                      std::ostream& out);

// The columns of the CSV file, in order.
std::string CsvHeader();

// One row per bound pair: unionbound, univariate, bivariate (the best
// ones), then unionbound_l and bivariate_l for every l. file is the input
// file's name.
void WriteCsv(const SharpAnalysis& analysis, const std::string& file,
              std::ostream& out);

// The status of a bound of the full program: sharp (the optimum, proven by
// an exact distribution over atoms that attains it), certified (every atom
// priced exactly and none improves) or partial (still a valid bound, but
// stopped by the time limit or a search that could not finish).
std::string FullStatus(const FullBound& bound);

// epsilon rounded up to 3 significant digits, as the messages show it.
std::string EpsilonText(const Rational& epsilon);

// What the full program's epsilon says to do where its certified bounds
// crossed: its proven ends, and `option` (how the tolerance is passed) set
// to the end that is enough.
std::string FullEpsilonAdvice(const FullEpsilon& epsilon,
                              const std::string& option);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_APP_REPORT_H_
