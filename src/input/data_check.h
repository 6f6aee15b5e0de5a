// The check that the numbers of a probability file can be the intersection
// probabilities of some events, made in one walk over them: every value is
// finite and in [0, 1]; no intersection is more probable than any of its
// sub-intersections one size down; no pair A, B is less probable than
// P(A) + P(B) - 1. Requires p in the order of numeric/subset_order.h; p may
// stop short of the full count, and then only the numbers it holds are
// checked.
//
// Numbers computed in floating point carry rounding of a few units in the
// last place, so only what rounding cannot explain counts: an excess above
// both a relative kRelativeTolerance of the largest value compared and
// kAbsoluteTolerance.
#ifndef UNIONBOUND_INPUT_DATA_CHECK_H_
#define UNIONBOUND_INPUT_DATA_CHECK_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "numeric/vectors.h"

namespace unionbound {

inline constexpr double kRelativeTolerance = 1e-9;
inline constexpr double kAbsoluteTolerance = 1e-300;

enum class DataProblemKind {
  kNotAProbability,         // not finite, or outside [0, 1]
  kExceedsSubIntersection,  // P(S) > P(S minus one event)
  kBelowPairFloor,          // P(A and B) < P(A) + P(B) - 1
};

// One failed check, named by positions in p (counted from 0) and events
// (counted from 1).
struct DataProblem {
  DataProblemKind kind;
  int64_t position;         // of the offending number
  IndexVector events;       // its intersection
  double value;             // its value
  int64_t other;            // kExceedsSubIntersection: the sub-intersection's
                            // position; otherwise -1
  IndexVector otherEvents;  // the sub-intersection, or empty
  double bound;             // the sub-intersection's value, or P(A) + P(B) - 1
};

struct DataCheck {
  int64_t problems = 0;            // every failed check
  std::vector<DataProblem> first;  // the first ones, in file order
};

// The numbers that cannot be probabilities at all: not finite, or outside
// [0, 1] by more than rounding explains (the tolerances above). No bound
// is computed from such numbers.
struct NonProbabilities {
  int64_t count = 0;   // how many numbers of p
  int64_t first = -1;  // the position of the first, or -1
  // Every number is finite and in [0, 100], and some exceed 1: the numbers
  // look like percentages.
  bool percentages = false;
};
NonProbabilities FindNonProbabilities(const RealVector& p);

// Checks the numbers of n events up to order m, keeping the first `keep`
// problems in full. A number can fail several checks; each counts.
DataCheck CheckProbabilities(const RealVector& p, int32_t n, int32_t m,
                             size_t keep);

}  // namespace unionbound

#endif  // UNIONBOUND_INPUT_DATA_CHECK_H_
