// The scoring function of every run: the negated indicator of the union.
#ifndef UNIONBOUND_OPTIM_THRESHOLD_PENALTY_H_
#define UNIONBOUND_OPTIM_THRESHOLD_PENALTY_H_

#include "numeric/vectors.h"
#include "optim/scoring.h"

namespace unionbound {

// -1.0 when some element of x is strictly greater than 0.1 (a NaN element
// does not count), else 0.0; 0.0 for an empty x.
double ThresholdPenalty(RealVector x);

// ThresholdPenalty({x0, x1}), without the vector.
inline double ThresholdPenaltyOfPoint(double x0, double x1) {
  return x0 > 0.1 || x1 > 0.1 ? -1.0 : 0.0;
}

// ThresholdPenalty as a Scoring that says so.
constexpr Scoring ThresholdPenaltyScoring() {
  Scoring scoring(ThresholdPenalty);
  scoring.isThresholdPenalty = true;
  return scoring;
}

}  // namespace unionbound

#endif  // UNIONBOUND_OPTIM_THRESHOLD_PENALTY_H_
