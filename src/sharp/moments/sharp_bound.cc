#include "sharp/moments/sharp_bound.h"

#include <chrono>

namespace unionbound::sharp {
namespace {

double Clip(double x) { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); }

SharpBound Solve(const ProgramData& data, int32_t l, Sense sense,
                 const CountTarget& target, SimplexState* state) {
  const SimplexResult r =
      SolveExact(BoundProgram(data, l, sense, target), state);
  // The minimised cost is the target's indicator for the lower bound and
  // its negation for the upper one.
  return BoundOfOptimum(r.status, r.value, sense, data.widened, r.pivots);
}

}  // namespace

SharpInterval ComputeSharpInterval(const ProgramData& data, int32_t l,
                                   WarmStart* warm, const CountTarget& target) {
  return SolveInterval([&](Sense sense) {
    if (sense == Sense::kMinimise) {
      return Solve(data, l, sense, target, &warm->lower);
    }
    // A basis feasible for the lower program is feasible for the upper one.
    if (warm->upper.basis.empty()) warm->upper = warm->lower;
    return Solve(data, l, sense, target, &warm->upper);
  });
}

SharpBound ComputeSharpBound(const ProgramData& data, int32_t l, Sense sense,
                             const CountTarget& target, SimplexState* state) {
  return Solve(data, l, sense, target, state);
}

bool IsUsable(const SharpBound& bound) {
  return bound.status == SharpStatus::kSharp;
}

SharpBound BoundOfOptimum(SimplexStatus status, const Rational& value,
                          Sense sense, bool widened, int32_t pivots) {
  SharpBound bound;
  bound.widened = widened;
  bound.pivots = pivots;
  if (status == SimplexStatus::kInfeasible) {
    bound.status = SharpStatus::kInfeasible;
    return bound;
  }
  if (status != SimplexStatus::kOptimal) return bound;
  bound.status = SharpStatus::kSharp;
  if (sense == Sense::kMinimise) {
    bound.exact = value;
    bound.bound = Clip(RoundDown(bound.exact));
  } else {
    bound.exact = -value;
    bound.bound = Clip(RoundUp(bound.exact));
  }
  return bound;
}

SharpInterval SolveInterval(const std::function<SharpBound(Sense)>& solve) {
  const auto start = std::chrono::steady_clock::now();
  SharpInterval interval;
  interval.lower = solve(Sense::kMinimise);
  interval.upper = interval.lower.status == SharpStatus::kInfeasible
                       ? interval.lower
                       : solve(Sense::kMaximise);
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  interval.seconds = spent.count();
  return interval;
}

}  // namespace unionbound::sharp
