// The best lower and upper bound over all passes of a run, and the console
// summary that shows them with their running times and their l.
#ifndef UNIONBOUND_DRIVER_BOUND_SUMMARY_H_
#define UNIONBOUND_DRIVER_BOUND_SUMMARY_H_

#include <cstdint>
#include <ostream>

#include "bounds/pass.h"

namespace unionbound {

// A best bound over the passes, held as a procedure value (the negated bound).
struct BestBound {
  double value;
  double seconds;
  int32_t l;
};

struct BestBounds {
  bool anyPass = false;
  BestBound lower{0.0, 0.0, 0};  // the smallest procedure value
  BestBound upper{0.0, 0.0, 0};  // the largest procedure value
};

// The first pass sets both best bounds; a later pass replaces one only when
// it improves on it strictly, so the earlier l wins ties.
void KeepBestBounds(const Pass& pass, BestBounds* best);

// The best lower and upper bound with their running times and l; a single
// explanatory line when no pass was made. Leaves out in fixed notation.
void WriteBoundSummary(const BestBounds& best, std::ostream& out);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_BOUND_SUMMARY_H_
