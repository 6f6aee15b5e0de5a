// Shared helpers of the unionbound-sharp tests: generated genuine systems.
#ifndef UNIONBOUND_TESTS_SHARP_SHARP_TEST_UTIL_H_
#define UNIONBOUND_TESTS_SHARP_SHARP_TEST_UTIL_H_

#include <cstdint>
#include <string>
#include <vector>

#include "numeric/vectors.h"
#include "numeric/subset_order.h"
#include "events/event_systems.h"

namespace unionbound {

struct GeneratedSystem {
  std::string name;
  int32_t n;
  int32_t m;
  IndexMatrix subsets;
  RealVector p;
  double unionProbability;
};

inline GeneratedSystem Generate(EventFamily family, int32_t n, int32_t m,
                                uint64_t seed) {
  const MixtureModel model = MakeEventSystem(family, n, seed);
  GeneratedSystem s{std::string(EventFamilyName(family)) +
                        " n=" + std::to_string(n) + " m=" + std::to_string(m) +
                        " seed=" + std::to_string(seed),
                    n,
                    m,
                    SubsetsBySize(n, m),
                    {},
                    UnionProbability(model)};
  s.p = IntersectionProbabilities(model, s.subsets);
  return s;
}

inline std::vector<EventFamily> AllFamilies() {
  return {EventFamily::kIndependent, EventFamily::kCommonShock,
          EventFamily::kGaussianThreshold, EventFamily::kRareEvents,
          EventFamily::kRandomAtoms};
}

}  // namespace unionbound

#endif  // UNIONBOUND_TESTS_SHARP_SHARP_TEST_UTIL_H_
