// The sense of a search: the lower bound minimises, the upper bound maximises.
#ifndef UNIONBOUND_OPTIM_SENSE_H_
#define UNIONBOUND_OPTIM_SENSE_H_

namespace unionbound {

enum class Sense { kMinimise, kMaximise };

// Start value of a best-so-far search: 1.7e308 when minimising, -1.7e308
// when maximising (not the largest finite double).
inline double SentinelFor(Sense sense) {
  return sense == Sense::kMinimise ? 1.7e308 : -1.7e308;
}

// Strict improvement, so the first of equal candidates stays.
inline bool Improves(Sense sense, double v, double best) {
  return sense == Sense::kMinimise ? v < best : v > best;
}

}  // namespace unionbound

#endif  // UNIONBOUND_OPTIM_SENSE_H_
