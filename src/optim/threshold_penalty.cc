#include "optim/threshold_penalty.h"

namespace unionbound {

double ThresholdPenalty(RealVector x) {
  // A NaN compares false, so it never counts as an occurring event.
  for (double value : x) {
    if (value > 0.1) return -1.0;
  }
  return 0.0;
}

}  // namespace unionbound
