// The bound stage of every pass: power moments, both bounding procedures with
// their running times, the bound blocks of the report, the best bounds over
// all l and the console summary of them.
#ifndef UNIONBOUND_DRIVER_BOUND_STAGE_H_
#define UNIONBOUND_DRIVER_BOUND_STAGE_H_

#include <cstdint>
#include <ostream>

#include "bounds/procedure.h"
#include "driver/result_report.h"
#include "numeric/vectors.h"

namespace unionbound {

// The processor clock in whole milliseconds, as a 32-bit count.
int32_t ClockMilliseconds();

// The problem data of one pass, built by the run loop.
struct PassData {
  int32_t l;
  int32_t m;
  int32_t m_k;
  int32_t t0;  // clock reading at the start of the pass
  RealMatrix supports;
  IndexMatrix variablePairs;
  IndexVector maxOrders;
  RealVector b;  // binomial moments
};

// A best bound over the passes, held as a procedure value (the negated bound).
struct BestBound {
  double value;
  double seconds;
  int32_t l;
};

struct BoundStage {
  bool anyPass = false;
  BestBound lower{0.0, 0.0, 0};
  BestBound upper{0.0, 0.0, 0};
  bool untrustworthy = false;  // some bound of some pass was not a bound
  // Carried from the first point of a pass to the second.
  RealVector mu;
  BoundResult lowerResult;
  double lowerSeconds = 0.0;
};

// After the binomial moments of a pass: power moments and the lower-bound
// procedure, timed from the start of the pass.
void ComputeLowerBound(const PassData& pass, BoundStage* stage,
                       std::ostream& err);

// After the pass header: the lower-bound block, then the timed upper-bound
// procedure and its block.
void ComputeUpperBoundAndReport(const PassData& pass, BoundStage* stage,
                                std::ostream& report, std::ostream& err);

// The best lower and upper bound with their running times and l; a single
// explanatory line when no pass was made. Leaves out in fixed notation.
void WriteBoundSummary(const BoundStage& stage, std::ostream& out);

// The better of two values of the same sense: strict, so earlier l wins ties.
bool ReplacesBest(BoundKind kind, double value, double best);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_BOUND_STAGE_H_
