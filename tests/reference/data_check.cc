#include "reference/data_check.h"

#include <algorithm>
#include <cmath>

#include "numeric/subset_order.h"

namespace unionbound::reference {

namespace {

// a - b beyond rounding, judged against the largest of the sizes.
bool Beyond(double excess, double largest) {
  return excess > kRelativeTolerance * largest && excess > kAbsoluteTolerance;
}

bool IsProbability(double v) {
  if (std::isnan(v) || std::isinf(v)) return false;
  if (v < 0.0 && Beyond(-v, std::fabs(v))) return false;
  if (v > 1.0 && Beyond(v - 1.0, std::max(std::fabs(v), 1.0))) return false;
  return true;
}

}  // namespace

DataCheck CheckProbabilities(const RealVector& p, int32_t n, int32_t m,
                             size_t keep) {
  DataCheck check;
  const int32_t count = ProbabilityCount(n, m);
  if (count <= 0) return check;
  const IndexMatrix subsets = SubsetsBySize(n, m);
  const size_t checked = std::min(p.size(), static_cast<size_t>(count));
  auto add = [&](DataProblem problem) {
    ++check.problems;
    if (check.first.size() < keep) check.first.push_back(problem);
  };
  for (size_t j = 0; j < checked; ++j) {
    const IndexVector& events = subsets[j];
    const double value = p[j];
    const int64_t position = static_cast<int64_t>(j);
    if (!IsProbability(value)) {
      add({DataProblemKind::kNotAProbability,
           position,
           events,
           value,
           -1,
           {},
           0.0});
    }
    if (events.size() < 2) continue;
    for (size_t i = 0; i < events.size(); ++i) {
      IndexVector sub = events;
      sub.erase(sub.begin() + static_cast<std::ptrdiff_t>(i));
      const int64_t other = SubsetPosition(sub, n);
      const double bound = p[static_cast<size_t>(other)];
      if (Beyond(value - bound, std::max(std::fabs(value), std::fabs(bound)))) {
        add({DataProblemKind::kExceedsSubIntersection, position, events, value,
             other, sub, bound});
      }
    }
    if (events.size() == 2) {
      const double a = p[static_cast<size_t>(events[0] - 1)];
      const double b = p[static_cast<size_t>(events[1] - 1)];
      const double floor = a + b - 1.0;
      const double largest =
          std::max({std::fabs(a), std::fabs(b), std::fabs(value)});
      if (Beyond(floor - value, largest)) {
        add({DataProblemKind::kBelowPairFloor,
             position,
             events,
             value,
             -1,
             {},
             floor});
      }
    }
  }
  return check;
}

}  // namespace unionbound::reference
