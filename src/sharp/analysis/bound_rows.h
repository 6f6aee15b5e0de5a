// Every bound unionbound-sharp reports, worked out once: the table, the CSV
// file, the JSON document and the public library all read these rows. A
// bound is the exact value clipped to [0, 1] (unionbound's own: the double
// it computed), rounded outward to decimal text and, on its own, to the
// nearest double on the outer side of the exact value (the value itself
// where it is a double), with its status and its l.
#ifndef UNIONBOUND_SHARP_ANALYSIS_BOUND_ROWS_H_
#define UNIONBOUND_SHARP_ANALYSIS_BOUND_ROWS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "sharp/analysis/analysis.h"

namespace unionbound::sharp {

// Significant digits of the bound texts of the CSV file, the JSON document
// and the library, and of the tables.
inline constexpr int kBoundDigits = 17;
inline constexpr int kTableDigits = 10;

enum class RowKind {
  kUnionbound,  // unionbound's best over l
  kUnivariate,
  kBivariate,     // the best over l, of the events as numbered and by marginal
  kMultivariate,  // the best over the partitions into t groups
  kFull,
  kHunterWorsley,
  kDeCaen,
  kKuaiAlajajiTakahara,
  kUnionboundL,  // one per l
  kBivariateL,   // one per l
  kBest,         // the tightest proven bound of each side over the kinds above
};

// One side of a bound pair.
struct PrintedBound {
  bool exists = false;    // the program or method has this side at all
  bool hasValue = false;  // a number is printed (a usable bound)
  Rational value;         // the bound, clipped to [0, 1] where it is exact
  std::string text;       // value, kBoundDigits, rounded outward; "" if none
  double outward = 0.0;   // the tightest double outside value
  // sharp, infeasible, failed (moment programs); sharp, certified, partial
  // (full program); valid (closed forms); method, rounding, invalid, none
  // (unionbound's: rounding lies outside the sharp interval of its l by at
  // most a relative kRoundingMargin, invalid by more or across a proven
  // bound); "" for a side that does not exist.
  std::string status;
  bool widened = false;  // the bound allows the tolerance
  int32_t l = -1;        // the subsequence length; -1 when none
  bool lower = true;
  bool fromMethod = false;  // unionbound's: value is the double `method`
  double method = 0.0;
  // The best row's: the kind of row the bound was taken from.
  RowKind source = RowKind::kBest;
  // The partition of the program the bound came from, each group sorted
  // (events from 1): a multivariate bound's, or a bivariate bound's where
  // the events were taken by marginal (l then counts the first group's
  // events); empty otherwise. rule: how it was chosen ("marginal",
  // "dependence", "balanced", "refined", "given"; "reordered" for the
  // bivariate ones).
  EventGroups groups;
  std::string rule;

  // Whether the number is a proven bound: sharp, certified, partial or
  // valid (never unionbound's own).
  bool IsProven() const;

  // value with `digits` significant digits, rounded outward.
  std::string Text(int digits) const;
};

struct BoundRow {
  RowKind kind;
  PrintedBound lower;
  PrintedBound upper;
  double seconds = 0.0;
};

// The CSV file's word for a kind of row.
std::string KindName(RowKind kind);

// Whether the row is one l's rather than a best or a closed form.
bool IsPerL(RowKind kind);

// The rows in the order the CSV file lists them: unionbound (when some l
// exists), univariate, bivariate (when a best bound exists), multivariate
// (when computed and some bound was found), full (when
// computed), the closed forms (when computed), best (the largest proven
// lower and the smallest proven upper bound over the rows before it, each
// compared exactly, with its source; the earlier row wins ties), then
// unionbound_l and bivariate_l for every l.
std::vector<BoundRow> BoundRows(const SharpAnalysis& analysis);

// One r of the distribution: the bounds of P(X >= r) of one kind
// (kUnivariate, or kBivariate: the best over the splits, with their l).
struct CountRow {
  int32_t r = 0;
  RowKind kind = RowKind::kUnivariate;
  PrintedBound lower;
  PrintedBound upper;
  double seconds = 0.0;  // the kind's whole distribution, on its r = 1 row
};

// Every r of the univariate kind, then every r of the bivariate one; empty
// where the distribution was not computed.
std::vector<CountRow> DistributionRows(const SharpAnalysis& analysis);

// "at_least" or "exactly": the target's word in the CSV file and the JSON
// document.
std::string TargetEvent(const CountTarget& target);

// A partition as compact text: the groups' events separated by spaces, the
// groups by " | " ("1 2 5 | 3 4"); "" for none.
std::string GroupsText(const EventGroups& groups);

// The row of one kind, or nullptr.
const BoundRow* FindRow(const std::vector<BoundRow>& rows, RowKind kind);

// The CSV file's and the table's status of the best row's side: the kind
// it came from and its status there ("bivariate sharp").
std::string SourceStatus(const PrintedBound& bound);

// epsilon rounded up to 3 significant digits, as the messages show it.
std::string EpsilonText(const Rational& epsilon);

// The status of a bound of the full program: sharp (the optimum, proven by
// an exact distribution over atoms that attains it), certified (every atom
// priced exactly and none improves) or partial (still a valid bound, but
// stopped by the time limit or a search that could not finish).
std::string FullStatus(const FullBound& bound);

// The closed-form rows (Hunter-Worsley, de Caen, Kuai-Alajaji-Takahara) of
// a union's bounds were left out because the bounds are widened: they hold
// for the numbers as typed only.
bool ClosedFormsLeftOut(const SharpAnalysis& analysis);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ANALYSIS_BOUND_ROWS_H_
