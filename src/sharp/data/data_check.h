// Checks of the intersection probabilities that need no linear program:
// every value a probability, and no intersection more probable than one of
// its sub-intersections one size down. Both are decided on the exact values
// typed, and each finding says how far a number must move to resolve it.
#ifndef UNIONBOUND_SHARP_DATA_DATA_CHECK_H_
#define UNIONBOUND_SHARP_DATA_DATA_CHECK_H_

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {

// A value outside [0, 1].
struct ValueProblem {
  int32_t position;   // in the probability vector
  double value;       // as read
  Rational distance;  // to [0, 1]
};

// p[position] > p[subPosition], where the second subset is the first with
// one event removed.
struct OrderProblem {
  int32_t position;
  int32_t subPosition;
  Rational excess;  // p[position] - p[subPosition], exactly
};

struct DataCheck {
  std::vector<ValueProblem> badValues;
  std::vector<OrderProblem> orderProblems;
};

// subsets: AllSubsets(n, m), one per entry of p and of data.
DataCheck CheckData(const ExactData& data, const RealVector& p,
                    const SubsetList& subsets, int32_t n);

bool HasDataError(const DataCheck& check);

// The least uniform change of the numbers that resolves every finding: the
// largest distance to [0, 1] and half the largest excess.
Rational DataCheckEpsilon(const DataCheck& check);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_DATA_DATA_CHECK_H_
