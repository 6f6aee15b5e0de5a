// The checks that keep unusable bounds from looking like a success: a
// procedure that kept no candidate, an optimum that is not finite, and best
// bounds that cross. Each failed check writes one line on err.
#ifndef UNIONBOUND_DRIVER_BOUND_CHECKS_H_
#define UNIONBOUND_DRIVER_BOUND_CHECKS_H_

#include <ostream>

#include "bounds/pass.h"
#include "driver/bound_summary.h"
#include "optim/sense.h"

namespace unionbound {

// Whether a procedure value of the sense is a finite optimum rather than its
// sentinel.
bool IsUsableValue(Sense sense, double value);

// Whether the pass's bound of the sense is usable; says why not on err.
bool IsUsableBound(Sense sense, const Pass& pass, std::ostream& err);

// Whether the best lower bound exceeds the best upper bound by more than
// rounding explains; says so on err.
bool BoundsCross(const BestBounds& best, std::ostream& err);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_BOUND_CHECKS_H_
