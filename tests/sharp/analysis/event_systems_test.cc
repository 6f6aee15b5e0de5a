// The generated event systems against rational arithmetic: every
// intersection and union probability is the double nearest to the exact
// value of the model.
#include "events/event_systems.h"

#include <gtest/gtest.h>

#include "numeric/subset_order.h"
#include "sharp/exact/rational.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

Rational ExactIntersection(const MixtureModel& model,
                           const IndexVector& subset) {
  Rational sum = 0;
  Rational total = 0;
  for (size_t c = 0; c < model.weights.size(); ++c) {
    Rational term = ExactValue(model.weights[c]);
    total += term;
    for (int32_t event : subset)
      term *= ExactValue(model.occurrence[c][event - 1]);
    sum += term;
  }
  return sum / total;
}

Rational ExactUnion(const MixtureModel& model) {
  Rational none = 0;
  Rational total = 0;
  for (size_t c = 0; c < model.weights.size(); ++c) {
    Rational term = ExactValue(model.weights[c]);
    total += term;
    for (double q : model.occurrence[c]) term *= 1 - ExactValue(q);
    none += term;
  }
  return 1 - none / total;
}

TEST(EventSystems, ProbabilitiesAreTheDoublesNearestToTheExactValues) {
  std::vector<EventFamily> families = AllFamilies();
  families.push_back(EventFamily::kMixture);
  families.push_back(EventFamily::kDivisible);
  for (EventFamily family : families) {
    for (int32_t n : {4, 9}) {
      for (uint64_t seed : {1u, 1009u}) {
        const MixtureModel model = MakeEventSystem(family, n, seed);
        const IndexMatrix subsets = SubsetsBySize(n, 4);
        const RealVector p = IntersectionProbabilities(model, subsets);
        for (size_t u = 0; u < subsets.size(); ++u) {
          ASSERT_EQ(p[u], RoundNearest(ExactIntersection(model, subsets[u])))
              << EventFamilyName(family) << " n=" << n << " u=" << u;
        }
        EXPECT_EQ(UnionProbability(model), RoundNearest(ExactUnion(model)))
            << EventFamilyName(family) << " n=" << n;
      }
    }
  }
}

}  // namespace
}  // namespace unionbound::sharp
