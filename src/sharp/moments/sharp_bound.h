// One sharp bound: the exact optimum of a moment program (on the union or on
// the number of events that occur), found by the exact simplex method and
// rounded outward to a double. A program with no
// distribution at all is reported as infeasible, with its exact proof.
#ifndef UNIONBOUND_SHARP_MOMENTS_SHARP_BOUND_H_
#define UNIONBOUND_SHARP_MOMENTS_SHARP_BOUND_H_

#include <cstdint>

#include "optim/sense.h"
#include "sharp/exact/rational.h"
#include "sharp/moments/exact_simplex.h"
#include "sharp/moments/moment_programs.h"

namespace unionbound::sharp {

enum class SharpStatus {
  kSharp,       // the exact optimum of the program
  kInfeasible,  // proven: no distribution has these moments
  kFailed,      // the pivot limit stopped the method
};

struct SharpBound {
  SharpStatus status = SharpStatus::kFailed;
  double bound = 0.0;    // rounded outward and clipped to [0, 1]
  Rational exact;        // the optimum before rounding and clipping
  bool widened = false;  // the program allows the tolerance's deviations
  int32_t pivots = 0;
};

struct SharpInterval {
  SharpBound lower;
  SharpBound upper;
  double seconds = 0.0;  // wall-clock time of both
};

// The bases of the previous solve per sense, to start the next program from.
struct WarmStart {
  SimplexState lower;
  SimplexState upper;
};

// Both bounds of split l (or kUnivariate) on the probability of `target`
// (the union by default); the upper program is skipped when the lower one
// is infeasible. The warm start may come from another target's programs of
// the same split: their bases stay feasible.
SharpInterval ComputeSharpInterval(const ProgramData& data, int32_t l,
                                   WarmStart* warm,
                                   const CountTarget& target = {});

// One bound of split l (or kUnivariate): the lower one for kMinimise, the
// upper one for kMaximise, from the basis in state.
SharpBound ComputeSharpBound(const ProgramData& data, int32_t l, Sense sense,
                             const CountTarget& target, SimplexState* state);

bool IsUsable(const SharpBound& bound);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_SHARP_BOUND_H_
