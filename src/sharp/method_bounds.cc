#include "sharp/method_bounds.h"

#include <chrono>
#include <cmath>
#include <iostream>
#include <sstream>

#include "bounds/procedure.h"
#include "bounds/threshold_penalty.h"
#include "problem/binomial_moments.h"
#include "problem/power_moments.h"
#include "problem/support_rows.h"

namespace unionbound {
namespace {

struct PassResult {
  BoundResult lower;
  BoundResult upper;
  bool wroteMessages;
};

// Both procedures for one l, with standard output sent to a buffer so the
// numeric library's messages stay out of the tables.
PassResult RunPass(const RealVector& p, int32_t n, int32_t l, int32_t m) {
  const IndexMatrix pairs{{1, 2}};
  const IndexVector maxOrders{m, m};
  std::ostringstream messages;
  std::streambuf* saved = std::cout.rdbuf(messages.rdbuf());
  const RealVector b = BinomialMoments(p, n, l, m, pairs, maxOrders);
  const RealVector mu =
      MatrixVectorProduct(PowerMomentMatrix(m, pairs, maxOrders), b);
  const RealMatrix supports = SupportRows(n, l);
  PassResult pass{
      LowerBoundProcedure(ThresholdPenalty, supports, mu, maxOrders, pairs, m),
      UpperBoundProcedure(ThresholdPenalty, supports, mu, maxOrders, pairs, m),
      false};
  std::cout.rdbuf(saved);
  pass.wroteMessages = !messages.str().empty();
  return pass;
}

}  // namespace

bool IsSentinelBound(double bound) { return std::fabs(bound) >= 1e300; }

MethodBounds ComputeMethodBounds(const RealVector& p, int32_t n, int32_t m) {
  MethodBounds result;
  double bestLowValue = 0.0;
  double bestUpValue = 0.0;
  for (int32_t l = m; l <= n - m; ++l) {
    const auto start = std::chrono::steady_clock::now();
    const PassResult pass = RunPass(p, n, l, m);
    const std::chrono::duration<double> spent =
        std::chrono::steady_clock::now() - start;
    if (pass.wroteMessages) result.messageLs.push_back(l);
    const int32_t index = static_cast<int32_t>(result.perL.size());
    result.perL.push_back(
        {l, -pass.lower.value, -pass.upper.value, spent.count()});
    result.seconds += spent.count();
    // Best lower bound: smallest procedure value; best upper: largest; the
    // earlier l wins ties, as in the main run.
    if (index == 0 || pass.lower.value < bestLowValue) {
      bestLowValue = pass.lower.value;
      result.bestLower = index;
    }
    if (index == 0 || pass.upper.value > bestUpValue) {
      bestUpValue = pass.upper.value;
      result.bestUpper = index;
    }
  }
  return result;
}

}  // namespace unionbound
