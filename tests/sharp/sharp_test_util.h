// Shared helpers of the unionbound-sharp tests: generated genuine systems.
#ifndef UNIONBOUND_TESTS_SHARP_SHARP_TEST_UTIL_H_
#define UNIONBOUND_TESTS_SHARP_SHARP_TEST_UTIL_H_

#include <cstdint>
#include <string>
#include <vector>

#include "events/event_systems.h"
#include "numeric/subset_order.h"
#include "numeric/vectors.h"
#include "sharp/analysis/analysis.h"
#include "sharp/data/exact_data.h"
#include "sharp/moments/moment_programs.h"
#include "sharp/moments/sharp_bound.h"

namespace unionbound::sharp {

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

// P(X = k) for k = 0 .. n, X the number of events of a mixture of
// independent events that occur: a sum of positive terms, accurate to a few
// units in the last place.
inline RealVector CountDistribution(const MixtureModel& model, int32_t n) {
  double total = 0.0;
  for (double w : model.weights) total += w;
  RealVector out(static_cast<size_t>(n) + 1, 0.0);
  for (size_t c = 0; c < model.weights.size(); ++c) {
    RealVector q{1.0};
    for (int32_t i = 0; i < n; ++i) {
      const double p = model.occurrence[c][i];
      RealVector next(q.size() + 1, 0.0);
      for (size_t k = 0; k < q.size(); ++k) {
        next[k] += q[k] * (1.0 - p);
        next[k + 1] += q[k] * p;
      }
      q = next;
    }
    for (int32_t k = 0; k <= n; ++k) out[k] += model.weights[c] / total * q[k];
  }
  return out;
}

// P(X >= r) from the distribution of X.
inline double AtLeast(const RealVector& count, int32_t r) {
  double s = 0.0;
  for (size_t k = count.size(); k-- > static_cast<size_t>(r);) s += count[k];
  return s;
}

// A tolerance that covers rounding the exact probabilities of a generated
// system to doubles: at least half a unit in the last place of any double
// in [0, 1].
inline Rational RoundingTolerance() {
  return Rational(mpz_class(1), mpz_class(1) << 53);
}

// The whole analysis of the doubles' exact values, optionally widened.
inline SharpAnalysis Analyse(
    const RealVector& p, int32_t n, int32_t m, bool roundingTolerance = false,
    MultivariateMode multivariate = MultivariateMode::kOff) {
  AnalysisOptions options;
  options.hasTolerance = roundingTolerance;
  options.tolerance = RoundingTolerance();
  // Off unless asked for: the multivariate programs have tests of their own.
  options.multivariate = multivariate;
  return AnalyseProbabilities(p, ExactDataFromDoubles(p), n, m, options);
}

// Both bounds of one program (l or kUnivariate) of the doubles' exact
// values.
inline SharpInterval SolveProgram(const GeneratedSystem& s, int32_t l) {
  WarmStart warm;
  return ComputeSharpInterval(MakeProgramData(ExactDataFromDoubles(s.p),
                                              AllSubsets(s.n, s.m), s.n, s.m),
                              l, &warm);
}

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_TESTS_SHARP_SHARP_TEST_UTIL_H_
