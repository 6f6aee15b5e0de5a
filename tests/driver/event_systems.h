// Genuine event systems for tests: prob.txt contents whose intersection
// probabilities come from an actual probability model.
#ifndef UNIONBOUND_TESTS_DRIVER_EVENT_SYSTEMS_H_
#define UNIONBOUND_TESTS_DRIVER_EVENT_SYSTEMS_H_

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "numeric/subset_order.h"

namespace unionbound::testing {

// Independent events: every intersection probability is the product of its
// marginals, listed in the order of prob.txt with round-trip precision.
inline std::string IndependentProbText(const std::vector<double>& marginals,
                                       int32_t m) {
  std::ostringstream text;
  text.precision(17);
  const int32_t n = static_cast<int32_t>(marginals.size());
  for (const auto& subset : SubsetsBySize(n, m)) {
    double product = 1.0;
    for (int32_t event : subset) product *= marginals[event - 1];
    text << product << "\n";
  }
  return text.str();
}

// P(at least one) = 1 - prod(1 - p_i) for independent events.
inline double IndependentUnion(const std::vector<double>& marginals) {
  double none = 1.0;
  for (double p : marginals) none *= 1.0 - p;
  return 1.0 - none;
}

}  // namespace unionbound::testing

#endif  // UNIONBOUND_TESTS_DRIVER_EVENT_SYSTEMS_H_
