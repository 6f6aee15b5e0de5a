// Closed-form bounds on the probability of the union from the individual
// probabilities of single events and pairs (m >= 2): the Hunter-Worsley
// upper bound (the pair probabilities of a maximum spanning tree taken off
// the sum of the singles), the de Caen lower bound and the
// Kuai-Alajaji-Takahara lower bound. They cost O(n^2) for any n and hold for
// any events with these probabilities; computed exactly from the numbers as
// typed, so rounding them outward keeps them valid.
#ifndef UNIONBOUND_SHARP_ANALYSIS_CLASSICAL_BOUNDS_H_
#define UNIONBOUND_SHARP_ANALYSIS_CLASSICAL_BOUNDS_H_

#include <cstdint>
#include <utility>
#include <vector>

#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {

struct ClassicalBounds {
  bool computed = false;         // false for m < 2 or values outside [0, 1]
  Rational hunterWorsley;        // upper bound, before clipping to [0, 1]
  Rational deCaen;               // lower bound
  Rational kuaiAlajajiTakahara;  // lower bound, never below de Caen's
  std::vector<std::pair<int32_t, int32_t>> tree;  // events, numbered from 1
  double seconds = 0.0;
};

// The bounds of the singles and pairs in `data` (listed as `subsets`).
ClassicalBounds ComputeClassicalBounds(const ExactData& data,
                                       const SubsetList& subsets, int32_t n,
                                       int32_t m);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ANALYSIS_CLASSICAL_BOUNDS_H_
