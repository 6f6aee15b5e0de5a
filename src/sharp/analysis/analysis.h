// Everything unionbound-sharp computes for one data set: the data check,
// the consistency of the numbers as typed (and the least change that makes
// them consistent), the univariate and bivariate sharp bounds, and
// unionbound's own bounds.
#ifndef UNIONBOUND_SHARP_ANALYSIS_ANALYSIS_H_
#define UNIONBOUND_SHARP_ANALYSIS_ANALYSIS_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/analysis/classical_bounds.h"
#include "sharp/analysis/method_bounds.h"
#include "sharp/atoms/full_epsilon.h"
#include "sharp/atoms/full_program.h"
#include "sharp/data/data_check.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/exact/rational.h"
#include "sharp/moments/distribution.h"
#include "sharp/moments/multivariate_bounds.h"
#include "sharp/moments/sharp_bound.h"

namespace unionbound::sharp {

struct BivariateResult {
  int32_t l;
  SharpInterval interval;
};

// When the multivariate programs run: kAuto where they are fast (see
// kMultivariateAutoPoints), kOn always, kOff never.
enum class MultivariateMode { kAuto, kOn, kOff };

// The largest number of count vectors of one partition program (prod of
// |G_g| + 1 over its groups) that kAuto still solves at m = 3, divided by
// kMultivariateAutoStep for each order above 3 (times it for each below):
// beyond it a run of every partition the rules choose takes more than a few
// seconds (measured: n = 40, m = 3, 14,641 count vectors at t = 4, 2.5 s;
// n = 28, m = 4, 4,096, 21 s).
inline constexpr size_t kMultivariateAutoPoints = 20000;
inline constexpr double kMultivariateAutoStep = 32.0;

struct AnalysisOptions {
  int32_t lFrom = -1;  // the range of l; -1: from m, to n - m
  int32_t lTo = -1;
  bool hasTolerance = false;
  Rational tolerance;  // T: bounds hold for all data within T of the typed
  int32_t threads = 2;
  // Called from the computing threads with the programs done and the total.
  std::function<void(int32_t, int32_t)> progress;
  // Asked often (at least every tenth of a second of work, from the
  // computing threads, one at a time) whether to stop; once it returns true
  // AnalyseProbabilities throws Cancelled (sharp/exact/cancellation.h).
  // Empty: never stops early.
  std::function<bool()> cancel;
  bool full = false;  // also the full program over atoms
  FullOptions fullOptions;
  // What the programs bound: the union (X >= 1, X the number of events
  // that occur) by default, or X >= r or X = r for 1 <= r <= n.
  // unionbound's method and the closed forms bound the union only and are
  // left out for any other target; the full program's target is this one.
  CountTarget target;
  // Also the bounds of P(X >= r) for every r = 1 .. n from the univariate
  // and the bivariate programs.
  bool distribution = false;
  MultivariateMode multivariate = MultivariateMode::kAuto;
  // The t the partition rules choose groups for (3 and 4 by default).
  IndexVector groupCounts{3, 4};
  // A partition of 1 .. n given by hand: then only it is solved.
  std::vector<EventGroups> givenGroups;
};

// The bounds of P(X >= r) for every r: the univariate program's and the
// best over the splits of the range.
struct CountDistributionResult {
  bool computed = false;
  SharpDistribution univariate;
  std::vector<BestCountRow> bivariate;  // empty where the range is
  // The r after which a bound of P(X >= r + 1) lies above that of P(X >= r)
  // (a fault: sound bounds never do), per kind.
  std::vector<int32_t> univariateRises;
  std::vector<int32_t> bivariateRises;
  double univariateSeconds = 0.0;
  double bivariateSeconds = 0.0;
};

// Whether the numbers as typed pass every check, and the least uniform
// change epsilon (the largest change of any one number) that makes them
// pass: the data check's and every program's.
struct Consistency {
  bool consistent = true;
  Rational epsilon;         // 0 when consistent
  Rational dataEpsilon;     // from values outside [0, 1] and the order
  Rational programEpsilon;  // the largest over the programs
  int32_t infeasiblePrograms = 0;
  int32_t worstL = kUnivariate;  // the program that needs programEpsilon
  bool worstReordered = false;    // of the events taken by marginal
  // Multivariate programs found infeasible as typed (proven exactly): the
  // data are then inconsistent as for any other program. Their own epsilon
  // is not computed: epsilon is the others' (and the atoms', where n
  // allows it, in atomsEpsilonAtLeast).
  int32_t infeasibleMultivariate = 0;
  // A proven lower bound (sharp or closed form) lies above a proven upper
  // bound: no distribution has these numbers, although each program has
  // one. epsilon then comes from the program over atoms where it could be
  // computed (atomsEpsilonKnown).
  bool boundsCross = false;
  bool atomsEpsilonKnown = false;
  Rational atomsEpsilonAtLeast;  // no smaller change fits any atoms
};

struct SharpAnalysis {
  int32_t n = 0;
  int32_t m = 0;
  int32_t lFrom = 0;
  int32_t lTo = -1;
  SubsetList subsets;
  int32_t typedNumbers = 0;    // numbers taken exactly as typed
  int32_t typedDecimals = -1;  // ExactData::typedDecimals
  DataCheck check;
  Consistency consistency;
  bool widened = false;  // the bounds allow the tolerance
  Rational tolerance;
  bool boundsComputed = false;  // false when the data are not consistent
                                // and no sufficient tolerance was given
  SharpInterval univariate{};
  std::vector<BivariateResult> bivariate;  // l = lFrom .. lTo
  int32_t bestLower = -1;  // index into bivariate of the best lower and
  int32_t bestUpper = -1;  // upper bound; the earlier l wins ties
  double bivariateSeconds = 0.0;
  MethodBounds method;
  ClassicalBounds classical;  // only for data consistent as typed
  FullResult full;  // with options.full, where the bounds were computed
  // The full program's bounds and the other proven ones cross.
  bool fullCrossesOthers = false;
  // Where the full program's bounds cross, or both converged but neither is
  // sharp (n <= kFullRefinementLimit): how far the numbers are from fitting
  // any distribution over the atoms.
  FullEpsilon fullEpsilon;
  CountTarget target;  // what the bounds above bound
  // The full program was asked for, but its atoms would have to be searched
  // for this target (beyond kExactPricingLimit events): not computed.
  bool fullNotCovered = false;
  CountDistributionResult distribution;  // with options.distribution
  // The bivariate programs of the events renumbered by decreasing marginal
  // (order[k] becomes event k + 1), every split of the same range; the
  // bivariate kind keeps the better bound of each side over both numberings.
  IndexVector reorder;
  std::vector<BivariateResult> reordered;
  int32_t reorderedBestLower = -1;  // index into reordered, as bestLower
  int32_t reorderedBestUpper = -1;
  // The multivariate programs: computed where asked for or fast
  // (AnalysisOptions::multivariate), else left out with the reason.
  bool multivariateComputed = false;
  MultivariateResult multivariate;
  // kAuto left them out: the largest program would have this many count
  // vectors (0: not left out for its size).
  size_t multivariateSkippedPoints = 0;
};

// p holds exactly ProbabilityCount(n, m) values, as read; exact holds the
// same numbers as typed.
SharpAnalysis AnalyseProbabilities(const RealVector& p, const ExactData& exact,
                                   int32_t n, int32_t m,
                                   const AnalysisOptions& options);

// The same, with the numbers as typed read by readExact while unionbound's
// own bounds are computed from p.
SharpAnalysis AnalyseProbabilities(const RealVector& p,
                                   const std::function<ExactData()>& readExact,
                                   int32_t n, int32_t m,
                                   const AnalysisOptions& options);

// The numbers need a change to be consistent and the bounds were not
// computed (no tolerance, or one below epsilon).
bool IsInconsistent(const SharpAnalysis& analysis);

// No distribution over the atoms fits the numbers as typed (or within the
// tolerance), proven: the full program's certified lower bound lies above
// its certified upper bound, or one of them lies across another proven
// bound, or an exact Farkas certificate gives the full
// program an epsilon above the tolerance (0 without one). Every bound of an
// empty set then holds, so none says anything, although the moment
// programs found none wrong.
bool FullBoundsCross(const SharpAnalysis& analysis);

// The full program proved that no distribution over the atoms fits the
// numbers as typed: FullBoundsCross, or (with a tolerance above it) a
// positive proven epsilon.
bool AtomsFitNoneAsTyped(const SharpAnalysis& analysis);

// Whether the numbers as typed are consistent as far as this run proved:
// they pass every check and, where the full program ran, it did not prove
// that no distribution over the atoms fits them.
bool ConsistentAsTyped(const SharpAnalysis& analysis);

// The least uniform change known to make the numbers consistent (0 where
// ConsistentAsTyped): the checks' epsilon, or where the full program proved
// that no distribution over the atoms fits, its epsilon where larger (the
// end that suffices, else the proven least).
Rational ConsistencyEpsilon(const SharpAnalysis& analysis);

// How far, relative to a sharp or certified bound, one of unionbound's
// numbers may lie across it and still count as that bound's value rounded
// in its last digits (marked rounding, not invalid): unionbound's bounds are
// doubles, and where the events are rare its bound and the sharp one may
// agree to far more digits than a double holds.
inline constexpr double kRoundingMargin = 1e-12;

// The l whose unionbound lower bound lies above the best certified upper
// bound, or whose upper bound lies below the best certified lower bound, by
// more than kRoundingMargin: there unionbound's numbers are provably not
// bounds (its method is meant for odd m).
IndexVector ContradictedMethodLs(const SharpAnalysis& analysis);

// Whether one unionbound bound lies across a certified one by more than
// margin, relative to the certified bound's exact value; with margin 0,
// across the certified bound as printed (rounded outward) at all.
bool MethodLowerContradicts(const SharpAnalysis& analysis, double lower,
                            double margin);
bool MethodUpperContradicts(const SharpAnalysis& analysis, double upper,
                            double margin);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ANALYSIS_ANALYSIS_H_
