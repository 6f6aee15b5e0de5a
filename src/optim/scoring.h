// How the inner optimisation scores a point: with the scoring function
// handed down from the run, and whether that function is the threshold
// penalty, which a point of two coordinates can be scored by directly,
// without building a vector for every call.
#ifndef UNIONBOUND_OPTIM_SCORING_H_
#define UNIONBOUND_OPTIM_SCORING_H_

#include "numeric/vectors.h"

namespace unionbound {

struct Scoring {
  // Any function, called with every scored point.
  constexpr Scoring(ScoringFunction function) : f(function) {}

  ScoringFunction f;
  // f is ThresholdPenalty (optim/threshold_penalty.h, which gives the only
  // Scoring with this set).
  bool isThresholdPenalty = false;
};

}  // namespace unionbound

#endif  // UNIONBOUND_OPTIM_SCORING_H_
