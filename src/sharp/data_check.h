// Checks of the intersection probabilities that need no linear program:
// every value a probability, and no intersection more probable than one of
// its sub-intersections one size down.
#ifndef UNIONBOUND_SHARP_DATA_CHECK_H_
#define UNIONBOUND_SHARP_DATA_CHECK_H_

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"

namespace unionbound {

// A value that is not finite or lies outside [0, 1].
struct ValueProblem {
  int32_t position;  // in the probability vector
  double value;
};

// p[position] > p[subPosition], where the second subset is the first with
// one event removed.
struct OrderProblem {
  int32_t position;
  int32_t subPosition;
  double excess;        // p[position] - p[subPosition], rounded
  bool withinRounding;  // excess <= the two values' half-ulps together
};

struct DataCheck {
  std::vector<ValueProblem> badValues;
  std::vector<OrderProblem> orderProblems;
};

// subsets: SubsetsBySize(n, m), one row per entry of p.
DataCheck CheckData(const RealVector& p, const IndexMatrix& subsets, int32_t n);

// True when some value is not a probability or some order problem exceeds
// what rounding the inputs explains.
bool HasGenuineDataError(const DataCheck& check);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_DATA_CHECK_H_
