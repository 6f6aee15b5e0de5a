// The bounds unionbound prints for rare events, against the exact value of
// the method's bound (every candidate solved in rational arithmetic) and the
// sharp univariate and bivariate bounds of the same numbers: generated
// systems scaled down to 1e-300, a representative subset of the sweep of
// bench/rare_events.sh.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "events/event_systems.h"
#include "reference/exact_method_bound.h"
#include "numeric/subset_order.h"
#include "problem/binomial_moments.h"
#include "unionbound/unionbound.h"

namespace unionbound {
namespace {

using sharp::ExactValue;

double RelativeError(double x, const mpq_class& exact) {
  if (exact == 0) return x == 0.0 ? 0.0 : 1.0;
  const mpq_class diff = ExactValue(x) - exact;
  return std::fabs(diff.get_d() / exact.get_d());
}

TEST(RareEventSweep, BestBoundsAreTheMethodsAndEveryBoundIsValid) {
  for (int32_t m : {1, 3, 5}) {
    const int32_t n = m == 5 ? 11 : 12;
    std::map<std::pair<int32_t, Sense>, exact_method::Procedure> exact;
    for (int32_t l = m; l <= n - m; ++l) {
      for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
        exact[{l, sense}] = exact_method::PrepareProcedure(sense, n, m, l);
      }
    }
    for (EventFamily family :
         {EventFamily::kIndependent, EventFamily::kCommonShock,
          EventFamily::kGaussianThreshold}) {
      for (int32_t k : {5, 9, 30, 300}) {
        SCOPED_TRACE(std::string(EventFamilyName(family)) +
                     " m=" + std::to_string(m) + " k=" + std::to_string(k));
        MixtureModel model = MakeEventSystem(family, n, 7);
        for (RealVector& row : model.occurrence) {
          for (double& x : row) x *= std::pow(10.0, -k);
        }
        const RealVector p =
            IntersectionProbabilities(model, SubsetsBySize(n, m));
        const api::RunResult run = api::RunOnValues(p, n, m, "prob.txt");
        EXPECT_EQ(run.status, api::kStatusSound);

        mpq_class exactLower, exactUpper;
        for (int32_t l = m; l <= n - m; ++l) {
          const RealVector b = BinomialMoments(p, n, l, m, {{1, 2}}, {m, m});
          const mpq_class low = -exact_method::BestOptimum(
              Sense::kMinimise, exact[{l, Sense::kMinimise}], b);
          const mpq_class up = -exact_method::BestOptimum(
              Sense::kMaximise, exact[{l, Sense::kMaximise}], b);
          if (l == m || low > exactLower) exactLower = low;
          if (l == m || up < exactUpper) exactUpper = up;
        }
        EXPECT_LT(RelativeError(run.best.lower, exactLower), 1e-9);
        EXPECT_LT(RelativeError(run.best.upper, exactUpper), 1e-9);

        api::SharpOptions options;
        options.kind = api::SharpKind::kUnivariate;
        const api::SharpResult uni = api::SharpBounds(p, n, m, options);
        options.kind = api::SharpKind::kBivariate;
        const api::SharpResult bi = api::SharpBounds(p, n, m, options);
        const double lowest = std::fmax(uni.lower, bi.lower);
        const double highest = std::fmin(uni.upper, bi.upper);
        const double slack = 1e-12;
        for (const api::PassBounds& pass : run.passes) {
          EXPECT_LE(pass.lower.value, highest * (1 + slack)) << pass.l;
          EXPECT_GE(pass.upper.value, lowest * (1 - slack)) << pass.l;
        }
      }
    }
  }
}

}  // namespace
}  // namespace unionbound
