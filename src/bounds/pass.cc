#include "bounds/pass.h"

#include <ctime>

#include "optim/threshold_penalty.h"
#include "problem/power_moments.h"
#include "problem/support_rows.h"

namespace unionbound {

namespace {

// The processor clock in whole milliseconds, as a 32-bit count.
int32_t ClockMilliseconds() {
  return static_cast<int32_t>(std::clock() / (CLOCKS_PER_SEC / 1000));
}

double SecondsSince(int32_t start) {
  const int32_t elapsed = ClockMilliseconds() - start;
  return elapsed * 0.001;
}

}  // namespace

Pass ComputePass(const RealVector& p, int32_t n, int32_t m, int32_t l,
                 int32_t lastL, MomentBatch* moments) {
  Pass pass;
  const int32_t t0 = ClockMilliseconds();
  pass.l = l;
  pass.m = m;
  const RealMatrix supports = SupportRows(n, l);
  pass.variablePairs = {{1, 2}};
  pass.maxOrders = {m, m};
  pass.b = BatchedBinomialMoments(p, n, l, lastL, m, pass.variablePairs,
                                  pass.maxOrders, moments);
  pass.mu = MatrixVectorProduct(
      PowerMomentMatrix(m, pass.variablePairs, pass.maxOrders), pass.b);
  pass.lower.result =
      LowerBoundProcedure(ThresholdPenaltyScoring(), supports, pass.mu,
                          pass.maxOrders, pass.variablePairs, m);
  pass.lower.seconds = SecondsSince(t0);
  const int32_t t1 = ClockMilliseconds();
  pass.upper.result =
      UpperBoundProcedure(ThresholdPenaltyScoring(), supports, pass.mu,
                          pass.maxOrders, pass.variablePairs, m);
  pass.upper.seconds = SecondsSince(t1);
  return pass;
}

const PassBound& BoundOfSense(const Pass& pass, Sense sense) {
  return sense == Sense::kMinimise ? pass.lower : pass.upper;
}

}  // namespace unionbound
