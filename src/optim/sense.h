// The sense of a search: the lower bound minimises, the upper bound maximises.
#ifndef UNIONBOUND_OPTIM_SENSE_H_
#define UNIONBOUND_OPTIM_SENSE_H_

#include <cmath>

namespace unionbound {

enum class Sense { kMinimise, kMaximise };

// Start value of a best-so-far search: 1.7e308 when minimising, -1.7e308
// when maximising (not the largest finite double).
inline double SentinelFor(Sense sense) {
  return sense == Sense::kMinimise ? 1.7e308 : -1.7e308;
}

// Whether a best-so-far value (or its negation, a bound) is still a search's
// start value, i.e. no candidate was ever accepted. Anything at or beyond
// 1e300 in magnitude counts; NaN does not.
inline bool IsSentinel(double value) { return std::fabs(value) >= 1e300; }

// Strict improvement, so the first of equal candidates stays.
inline bool Improves(Sense sense, double v, double best) {
  return sense == Sense::kMinimise ? v < best : v > best;
}

}  // namespace unionbound

#endif  // UNIONBOUND_OPTIM_SENSE_H_
