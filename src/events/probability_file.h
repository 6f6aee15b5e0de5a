// Writes the intersection probabilities of an event system as a probability
// file: all subsets of sizes 1 .. m in the order of numeric/subset_order.h,
// stepped through one at a time, so that millions of numbers need no list
// of subsets.
#ifndef UNIONBOUND_EVENTS_PROBABILITY_FILE_H_
#define UNIONBOUND_EVENTS_PROBABILITY_FILE_H_

#include <cstdint>
#include <cstdio>

#include "events/event_systems.h"

namespace unionbound {

enum class NumberFormat {
  kRoundTrip,      // the shortest text that reads back as the same double,
                   // five numbers to a line
  kThreeDecimals,  // "%.3f", one number to a line: for values that are
                   // decimals of three places
};

// The probabilities of model's n events up to order m, written to out.
// False when writing fails.
bool WriteProbabilityFile(const MixtureModel& model, int32_t n, int32_t m,
                          NumberFormat format, std::FILE* out);

}  // namespace unionbound

#endif  // UNIONBOUND_EVENTS_PROBABILITY_FILE_H_
