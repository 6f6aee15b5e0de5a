#include "driver/bound_stage.h"

#include <cmath>
#include <ctime>

#include "bounds/threshold_penalty.h"
#include "driver/result_report.h"
#include "optim/sense.h"
#include "problem/power_moments.h"

namespace unionbound {

int32_t ClockMilliseconds() {
  return static_cast<int32_t>(std::clock() / (CLOCKS_PER_SEC / 1000));
}

namespace {

double SecondsSince(int32_t start) {
  const int32_t elapsed = ClockMilliseconds() - start;
  return elapsed * 0.001;
}

const char* BoundName(BoundKind kind) {
  return kind == BoundKind::kLower ? "lower" : "upper";
}

// A procedure that kept no candidate returns its sentinel; an optimum that
// is not finite is no bound either. Either way the run cannot be trusted.
void CheckIsBound(BoundKind kind, const BoundResult& result, int32_t l,
                  BoundStage* stage, std::ostream& err) {
  const Sense sense =
      kind == BoundKind::kLower ? Sense::kMinimise : Sense::kMaximise;
  if (result.value == SentinelFor(sense)) {
    err << "unionbound: l=" << l << ": no candidate gave a usable "
        << BoundName(kind) << " bound; the value printed is a placeholder"
        << std::endl;
    stage->untrustworthy = true;
  } else if (!std::isfinite(result.value)) {
    err << "unionbound: l=" << l << ": the " << BoundName(kind)
        << " bound is not finite (" << -result.value << ")" << std::endl;
    stage->untrustworthy = true;
  }
}

void KeepIfBetter(BoundKind kind, const PassData& pass, double value,
                  double seconds, BestBound* best) {
  if (pass.l == pass.m_k || ReplacesBest(kind, value, best->value)) {
    *best = BestBound{value, seconds, pass.l};
  }
}

}  // namespace

bool ReplacesBest(BoundKind kind, double value, double best) {
  return kind == BoundKind::kLower ? value < best : value > best;
}

void ComputeLowerBound(const PassData& pass, BoundStage* stage,
                       std::ostream& err) {
  stage->mu = MatrixVectorProduct(
      PowerMomentMatrix(pass.m, pass.variablePairs, pass.maxOrders), pass.b);
  stage->lowerResult =
      LowerBoundProcedure(ThresholdPenalty, pass.supports, stage->mu,
                          pass.maxOrders, pass.variablePairs, pass.m);
  stage->lowerSeconds = SecondsSince(pass.t0);
  KeepIfBetter(BoundKind::kLower, pass, stage->lowerResult.value,
               stage->lowerSeconds, &stage->lower);
  stage->anyPass = true;
  CheckIsBound(BoundKind::kLower, stage->lowerResult, pass.l, stage, err);
}

void ComputeUpperBoundAndReport(const PassData& pass, BoundStage* stage,
                                std::ostream& report, std::ostream& err) {
  WriteBoundBlock(report, BoundKind::kLower, stage->lowerResult,
                  stage->lowerSeconds, pass.m, pass.variablePairs,
                  pass.maxOrders);
  const int32_t t1 = ClockMilliseconds();
  const BoundResult upper =
      UpperBoundProcedure(ThresholdPenalty, pass.supports, stage->mu,
                          pass.maxOrders, pass.variablePairs, pass.m);
  const double upperSeconds = SecondsSince(t1);
  KeepIfBetter(BoundKind::kUpper, pass, upper.value, upperSeconds,
               &stage->upper);
  CheckIsBound(BoundKind::kUpper, upper, pass.l, stage, err);
  WriteBoundBlock(report, BoundKind::kUpper, upper, upperSeconds, pass.m,
                  pass.variablePairs, pass.maxOrders);
}

void WriteBoundSummary(const BoundStage& stage, std::ostream& out) {
  if (!stage.anyPass) {
    out << "No bounds: no subsequence length l fits, since n is less than "
           "2m."
        << std::endl;
    return;
  }
  out << "Lower bound on the probability of the union:" << std::endl;
  out.precision(15);
  out << -stage.lower.value << std::endl << std::endl;
  out << std::fixed;
  out << "Running time: " << std::endl;
  out.precision(3);
  out << stage.lower.seconds << std::endl << std::endl;
  out << "The length of the subsequences: l=" << stage.lower.l << std::endl
      << std::endl;
  out << "Upper bound on the probability of the union:" << std::endl;
  out.precision(15);
  out << -stage.upper.value << std::endl << std::endl;
  out << "Running time: " << std::endl;
  out.precision(3);
  out << stage.upper.seconds << std::endl << std::endl;
  out << "The length of the subsequences: l=" << stage.upper.l << std::endl
      << std::endl;
}

}  // namespace unionbound
