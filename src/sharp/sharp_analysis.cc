#include "sharp/sharp_analysis.h"

#include <chrono>

#include "numeric/subset_order.h"
#include "optim/sense.h"
#include "sharp/moment_lp.h"

namespace unionbound {
namespace {

void PickBestBivariate(SharpAnalysis* analysis) {
  for (size_t i = 0; i < analysis->bivariate.size(); ++i) {
    const SharpInterval& interval = analysis->bivariate[i].interval;
    const int32_t index = static_cast<int32_t>(i);
    if (IsUsable(interval.lower) &&
        (analysis->bestLower < 0 ||
         interval.lower.bound >
             analysis->bivariate[analysis->bestLower].interval.lower.bound)) {
      analysis->bestLower = index;
    }
    if (IsUsable(interval.upper) &&
        (analysis->bestUpper < 0 ||
         interval.upper.bound <
             analysis->bivariate[analysis->bestUpper].interval.upper.bound)) {
      analysis->bestUpper = index;
    }
  }
}

bool IsInconsistentInterval(const SharpInterval& interval) {
  return interval.lower.status == SharpStatus::kInconsistent ||
         interval.upper.status == SharpStatus::kInconsistent;
}

}  // namespace

bool IsUsable(const SharpBound& bound) {
  return bound.status == SharpStatus::kBound;
}

SharpAnalysis AnalyseProbabilities(const RealVector& p, int32_t n, int32_t m) {
  SharpAnalysis analysis;
  analysis.n = n;
  analysis.m = m;
  analysis.subsets = SubsetsBySize(n, m);
  analysis.check = CheckData(p, analysis.subsets, n);
  if (HasGenuineDataError(analysis.check)) return analysis;
  analysis.boundsComputed = true;
  analysis.univariate =
      ComputeSharpInterval(UnivariateLp(p, analysis.subsets, n, m));
  const auto start = std::chrono::steady_clock::now();
  for (int32_t l = m; l <= n - m; ++l) {
    analysis.bivariate.push_back(
        {l, ComputeSharpInterval(BivariateLp(p, analysis.subsets, n, l, m))});
  }
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  analysis.bivariateSeconds = spent.count();
  PickBestBivariate(&analysis);
  analysis.method = ComputeMethodBounds(p, n, m);
  return analysis;
}

bool IsInconsistent(const SharpAnalysis& analysis) {
  if (HasGenuineDataError(analysis.check)) return true;
  if (IsInconsistentInterval(analysis.univariate)) return true;
  for (const BivariateResult& row : analysis.bivariate) {
    if (IsInconsistentInterval(row.interval)) return true;
  }
  return false;
}

IndexVector ContradictedMethodLs(const SharpAnalysis& analysis) {
  IndexVector ls;
  for (size_t i = 0; i < analysis.bivariate.size(); ++i) {
    if (i >= analysis.method.perL.size()) break;
    const SharpInterval& in = analysis.bivariate[i].interval;
    const MethodBound& method = analysis.method.perL[i];
    const bool lowTooHigh = IsUsable(in.upper) &&
                            !IsSentinel(method.lower) &&
                            method.lower > in.upper.bound;
    const bool upTooLow = IsUsable(in.lower) &&
                          !IsSentinel(method.upper) &&
                          method.upper < in.lower.bound;
    if (lowTooHigh || upTooLow) ls.push_back(method.l);
  }
  return ls;
}

}  // namespace unionbound
