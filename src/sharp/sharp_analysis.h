// Everything unionbound-sharp computes for one data set: the data check,
// the univariate and bivariate sharp bounds and unionbound's own bounds.
#ifndef UNIONBOUND_SHARP_SHARP_ANALYSIS_H_
#define UNIONBOUND_SHARP_SHARP_ANALYSIS_H_

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/data_check.h"
#include "sharp/method_bounds.h"
#include "sharp/sharp_bound.h"

namespace unionbound {

struct BivariateResult {
  int32_t l;
  SharpInterval interval;
};

struct SharpAnalysis {
  int32_t n = 0;
  int32_t m = 0;
  IndexMatrix subsets;
  DataCheck check;
  bool boundsComputed = false;  // false when the value check failed
  SharpInterval univariate{};
  std::vector<BivariateResult> bivariate;  // l = m .. n - m
  int32_t bestLower = -1;  // index into bivariate of the best certified
  int32_t bestUpper = -1;  // lower and upper bound; the earlier l wins ties
  double bivariateSeconds = 0.0;
  MethodBounds method;
};

// p holds exactly ProbabilityCount(n, m) values. When some value is not a
// probability, or an intersection is clearly more probable than a
// sub-intersection, no program is solved.
SharpAnalysis AnalyseProbabilities(const RealVector& p, int32_t n, int32_t m);

// Some program is proven infeasible beyond rounding, or the value check
// failed: no distribution has these probabilities.
bool IsInconsistent(const SharpAnalysis& analysis);

bool IsUsable(const SharpBound& bound);

// The l whose unionbound lower bound lies above the certified sharp upper
// bound, or whose upper bound lies below the certified sharp lower bound:
// there unionbound's numbers are provably not bounds (its method is meant
// for odd m).
IndexVector ContradictedMethodLs(const SharpAnalysis& analysis);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_SHARP_ANALYSIS_H_
