// The console summary of the best lower and upper bound over the passes of a
// run (bounds/pass_loop.h), with their running times and their l.
#ifndef UNIONBOUND_DRIVER_BOUND_SUMMARY_H_
#define UNIONBOUND_DRIVER_BOUND_SUMMARY_H_

#include <cstdint>
#include <ostream>

#include "bounds/pass_loop.h"

namespace unionbound {

// The best lower and upper bound with their running times and l; a single
// explanatory line when no pass was made. Leaves out in fixed notation.
void WriteBoundSummary(const BestBounds& best, std::ostream& out);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_BOUND_SUMMARY_H_
