// The scoring function of every run: the negated indicator of the union.
#ifndef UNIONBOUND_OPTIM_THRESHOLD_PENALTY_H_
#define UNIONBOUND_OPTIM_THRESHOLD_PENALTY_H_

#include "numeric/vectors.h"

namespace unionbound {

// -1.0 when some element of x is strictly greater than 0.1 (a NaN element
// does not count), else 0.0; 0.0 for an empty x.
double ThresholdPenalty(RealVector x);

}  // namespace unionbound

#endif  // UNIONBOUND_OPTIM_THRESHOLD_PENALTY_H_
