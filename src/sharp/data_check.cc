#include "sharp/data_check.h"

#include <cmath>
#include <cstddef>

#include "numeric/subset_order.h"
#include "sharp/exact_arithmetic.h"

namespace unionbound {
namespace {

bool IsProbability(double x) { return std::isfinite(x) && x >= 0 && x <= 1; }

IndexVector WithoutElement(const IndexVector& subset, size_t drop) {
  IndexVector out;
  for (size_t i = 0; i < subset.size(); ++i) {
    if (i != drop) out.push_back(subset[i]);
  }
  return out;
}

OrderProblem MakeOrderProblem(const RealVector& p, int32_t position,
                              int32_t subPosition) {
  const Rational excess = ExactValue(p[position]) - ExactValue(p[subPosition]);
  const Rational allowance = HalfUlp(p[position]) + HalfUlp(p[subPosition]);
  return {position, subPosition, RoundNearest(excess), excess <= allowance};
}

}  // namespace

DataCheck CheckData(const RealVector& p, const IndexMatrix& subsets,
                    int32_t n) {
  DataCheck check;
  for (size_t u = 0; u < p.size(); ++u) {
    if (!IsProbability(p[u])) {
      check.badValues.push_back({static_cast<int32_t>(u), p[u]});
    }
  }
  for (size_t u = 0; u < subsets.size() && u < p.size(); ++u) {
    if (subsets[u].size() < 2 || !IsProbability(p[u])) continue;
    for (size_t drop = 0; drop < subsets[u].size(); ++drop) {
      const int64_t sub = SubsetPosition(WithoutElement(subsets[u], drop), n);
      if (sub < 0 || sub >= static_cast<int64_t>(p.size())) continue;
      if (IsProbability(p[sub]) && p[u] > p[sub]) {
        check.orderProblems.push_back(MakeOrderProblem(
            p, static_cast<int32_t>(u), static_cast<int32_t>(sub)));
      }
    }
  }
  return check;
}

bool HasGenuineDataError(const DataCheck& check) {
  if (!check.badValues.empty()) return true;
  for (const OrderProblem& problem : check.orderProblems) {
    if (!problem.withinRounding) return true;
  }
  return false;
}

}  // namespace unionbound
