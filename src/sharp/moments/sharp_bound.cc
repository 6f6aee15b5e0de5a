#include "sharp/moments/sharp_bound.h"

#include <chrono>

namespace unionbound::sharp {
namespace {

double Clip(double x) { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); }

SharpBound Solve(const ProgramData& data, int32_t l, Sense sense,
                 const CountTarget& target, SimplexState* state) {
  const SimplexResult r =
      SolveExact(BoundProgram(data, l, sense, target), state);
  SharpBound bound;
  bound.widened = data.widened;
  bound.pivots = r.pivots;
  if (r.status == SimplexStatus::kInfeasible) {
    bound.status = SharpStatus::kInfeasible;
    return bound;
  }
  if (r.status != SimplexStatus::kOptimal) return bound;
  bound.status = SharpStatus::kSharp;
  // The minimised cost is the target's indicator for the lower bound and
  // its negation for the upper one.
  if (sense == Sense::kMinimise) {
    bound.exact = r.value;
    bound.bound = Clip(RoundDown(bound.exact));
  } else {
    bound.exact = -r.value;
    bound.bound = Clip(RoundUp(bound.exact));
  }
  return bound;
}

}  // namespace

SharpInterval ComputeSharpInterval(const ProgramData& data, int32_t l,
                                   WarmStart* warm, const CountTarget& target) {
  const auto start = std::chrono::steady_clock::now();
  SharpInterval interval;
  interval.lower = Solve(data, l, Sense::kMinimise, target, &warm->lower);
  if (interval.lower.status == SharpStatus::kInfeasible) {
    interval.upper = interval.lower;
  } else {
    // A basis feasible for the lower program is feasible for the upper one.
    if (warm->upper.basis.empty()) warm->upper = warm->lower;
    interval.upper = Solve(data, l, Sense::kMaximise, target, &warm->upper);
  }
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  interval.seconds = spent.count();
  return interval;
}

SharpBound ComputeSharpBound(const ProgramData& data, int32_t l, Sense sense,
                             const CountTarget& target, SimplexState* state) {
  return Solve(data, l, sense, target, state);
}

bool IsUsable(const SharpBound& bound) {
  return bound.status == SharpStatus::kSharp;
}

}  // namespace unionbound::sharp
