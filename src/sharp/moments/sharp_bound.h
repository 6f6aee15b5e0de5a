// One sharp bound: the exact optimum of a moment program (on the union or on
// the number of events that occur), found by the exact simplex method and
// rounded outward to a double. A program with no
// distribution at all is reported as infeasible, with its exact proof.
#ifndef UNIONBOUND_SHARP_MOMENTS_SHARP_BOUND_H_
#define UNIONBOUND_SHARP_MOMENTS_SHARP_BOUND_H_

#include <cstdint>
#include <functional>

#include "optim/sense.h"
#include "sharp/exact/rational.h"
#include "sharp/moments/exact_simplex.h"
#include "sharp/moments/moment_programs.h"

namespace unionbound::sharp {

enum class SharpStatus {
  kSharp,       // the exact optimum of the program
  kInfeasible,  // proven: no distribution has these moments
  kFailed,      // the pivot or time limit stopped the method
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

// The bound of one solved program whose minimised cost is the union
// indicator (sense kMinimise: the lower bound) or its negation (kMaximise:
// the upper bound): the exact optimum value of the minimised cost, turned
// into the bound and rounded outward; no value unless status is optimal.
SharpBound BoundOfOptimum(SimplexStatus status, const Rational& value,
                          Sense sense, bool widened, int32_t pivots);

// Both bounds, each from solve(sense), timed together; the upper program is
// skipped (and reported as the lower one) when the lower one is infeasible.
SharpInterval SolveInterval(const std::function<SharpBound(Sense)>& solve);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_SHARP_BOUND_H_
