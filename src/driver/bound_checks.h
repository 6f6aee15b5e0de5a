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

// The lengths l whose bounds were evaluated again on rescaled moments, and
// those with a bound that no error estimate vouches for, over a run.
struct CarefulPasses {
  IndexVector rescaled;
  IndexVector unsure;
};

// Adds the pass to *careful where it belongs.
void NoteCarefulPass(const Pass& pass, CarefulPasses* careful);

// Says once on err which passes were evaluated on rescaled moments and why,
// and which bounds cannot be vouched for; false in the latter case.
bool ReportCarefulPasses(const CarefulPasses& careful, std::ostream& err);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_BOUND_CHECKS_H_
