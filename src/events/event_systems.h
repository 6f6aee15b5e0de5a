// Genuine event systems for tests, benchmarks and the bundled example:
// finite mixtures of independent events, whose intersection and union
// probabilities are worked out exactly and then rounded to the nearest
// double.
#ifndef UNIONBOUND_EVENTS_EVENT_SYSTEMS_H_
#define UNIONBOUND_EVENTS_EVENT_SYSTEMS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "events/dyadic.h"
#include "numeric/vectors.h"

namespace unionbound {

// With probability weights[c] / sum(weights) the system is in component c,
// where event i occurs independently with probability occurrence[c][i].
struct MixtureModel {
  RealVector weights;
  RealMatrix occurrence;
};

enum class EventFamily {
  kIndependent,        // one component, marginals about 0.3/n .. 1.5/n
  kCommonShock,        // a rare shock raises every event's probability
  kGaussianThreshold,  // Z_i > t_i, equicorrelated Gaussians, on a grid
  kRareEvents,         // marginals about 1e-3 .. 1e-2, clustered
  kRandomAtoms,        // a few random sets of events, each with a weight
  kMixture,            // four components, one a rare shock raising all
  kDivisible,          // X uniform on 1 .. 1000, A_i = "the i-th prime
                       // divides X"; no randomness
};

// Reads "independent", "shock", "gaussian", "rare", "atoms", "mixture" or
// "divisible".
bool ParseEventFamily(const std::string& name, EventFamily* family);
const char* EventFamilyName(EventFamily family);

MixtureModel MakeEventSystem(EventFamily family, int32_t n, uint64_t seed);

// The numbers of a model as exact dyadics, converted once for many subsets.
struct ExactModel {
  std::vector<Dyadic> weights;
  std::vector<std::vector<Dyadic>> occurrence;
  Dyadic totalWeight;
};

ExactModel MakeExactModel(const MixtureModel& model);

// The double nearest to the probability that every event of `subset` (event
// numbers from 1) occurs.
double IntersectionProbability(const ExactModel& model,
                               const IndexVector& subset);

// One probability per subset (rows of SubsetsBySize), each the double
// nearest to its exact value.
RealVector IntersectionProbabilities(const MixtureModel& model,
                                     const IndexMatrix& subsets);

// The double nearest to the exact probability that some event occurs.
double UnionProbability(const MixtureModel& model);

}  // namespace unionbound

#endif  // UNIONBOUND_EVENTS_EVENT_SYSTEMS_H_
