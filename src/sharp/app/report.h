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

// The most decimal places for which RoundingHint speaks: numbers typed with
// more are taken to be exact.
inline constexpr int32_t kMostHintedDecimals = 8;

// When every number was typed with at most k decimals (1 <= k <= 8) and no
// tolerance as large as half a unit of the last place was given: that the
// bounds are sharp for the numbers as typed, and that a tolerance of 0.5e-k
// (named by `option`, which runs into the number) makes them hold for any
// numbers these could have been rounded from; "" otherwise.
std::string RoundingHint(const SharpAnalysis& analysis,
                         const std::string& option = "--tolerance ");

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

// The bounds of P(X >= r) for every r, one line per r; countRows:
// DistributionRows(analysis). Nothing where they were not computed.
void WriteDistributionTable(const SharpAnalysis& analysis,
                            const std::vector<CountRow>& countRows,
                            std::ostream& out);

// The columns of the CSV file, in order; withTarget adds event and r.
std::string CsvHeader(bool withTarget = false);

// One row per bound pair: unionbound, univariate, bivariate (the best
// ones), then unionbound_l and bivariate_l for every l. file is the input
// file's name. Where the bounds are not the union's or the distribution
// was computed, every row also names its event (at_least or exactly) and
// r, and every r of the distribution follows (kinds univariate_r and
// bivariate_r, event at_least).
void WriteCsv(const SharpAnalysis& analysis, const std::vector<BoundRow>& rows,
              const std::string& file, std::ostream& out,
              const std::vector<CountRow>& countRows = {});

// A row's time as the CSV file gives it: seconds with 6 decimals.
std::string CsvSeconds(double seconds);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_APP_REPORT_H_
