// What unionbound-sharp writes: the data check, the table that compares
// unionbound's bounds with the sharp ones, the optional per-l table and the
// machine-readable CSV file. Every sharp bound is printed rounded outward.
#ifndef UNIONBOUND_SHARP_APP_REPORT_H_
#define UNIONBOUND_SHARP_APP_REPORT_H_

#include <ostream>
#include <string>
#include <vector>

#include "sharp/analysis/analysis.h"
#include "sharp/analysis/bound_rows.h"

namespace unionbound::sharp {

// The data check in a few lines; with verbose every finding.
void WriteDataCheck(const SharpAnalysis& analysis, bool verbose,
                    std::ostream& out);

// Why no bound is printed, for data that are not consistent.
void WriteInconsistency(const SharpAnalysis& analysis, std::ostream& out);

// The comparison table and its legend; with perL also one row per l.
// rows: BoundRows(analysis), as for every writer below.
void WriteBoundTables(const SharpAnalysis& analysis,
                      const std::vector<BoundRow>& rows, bool perL,
                      std::ostream& out);

// The columns of the CSV file, in order.
std::string CsvHeader();

// One row per bound pair: unionbound, univariate, bivariate (the best
// ones), then unionbound_l and bivariate_l for every l. file is the input
// file's name.
void WriteCsv(const SharpAnalysis& analysis, const std::vector<BoundRow>& rows,
              const std::string& file, std::ostream& out);

// A row's time as the CSV file gives it: seconds with 6 decimals.
std::string CsvSeconds(double seconds);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_APP_REPORT_H_
