// The rare-event sweep: the generator's independent, common-shock and
// Gaussian-threshold systems with every event probability multiplied by
// 10^-k, for each odd m = 1 .. 11 and the n asked for. Per row of the table:
// the digits of the best lower and upper bound that agree with the exact value
// of the method's bound, evaluated plainly in double (the procedure alone,
// "before") and as unionbound prints them ("after"), the run's status, and
// whether every bound of every pass lies within the sharp univariate and
// bivariate bounds of the same numbers.
//
//   rare_events [--quick | --largest N]   (bench/rare_events.sh builds and
//                                          runs it; N caps n, default 40)
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "bounds/procedure.h"
#include "events/event_systems.h"
#include "numeric/subset_order.h"
#include "optim/threshold_penalty.h"
#include "problem/binomial_moments.h"
#include "problem/power_moments.h"
#include "problem/support_rows.h"
#include "reference/exact_method_bound.h"
#include "unionbound/unionbound.h"

namespace ub = unionbound;
namespace em = unionbound::exact_method;

namespace {

// Digits of x that agree with the exact e, 0 .. 17.
double DigitsRight(double x, const mpq_class& e) {
  if (e == 0) return x == 0.0 ? 17.0 : 0.0;
  const mpq_class diff = ub::sharp::ExactValue(x) - e;
  const double relative = std::fabs(diff.get_d() / e.get_d());
  if (!(relative > 1e-17)) return 17.0;
  return std::fmax(0.0, -std::log10(relative));
}

struct Row {
  double beforeDigits = 17.0;
  double afterDigits = 17.0;
  int worstStatus = 0;
  int invalid = 0;
  int cases = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const int32_t largest = argc > 2 && std::strcmp(argv[1], "--largest") == 0
                              ? std::atoi(argv[2])
                              : 40;
  const std::vector<int32_t> scales =
      quick
          ? std::vector<int32_t>{3, 8, 12, 300}
          : std::vector<int32_t>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 30, 100, 300};
  const std::vector<int32_t> orders = {1, 3, 5, 7, 9, 11};
  const std::vector<ub::EventFamily> families = {
      ub::EventFamily::kIndependent, ub::EventFamily::kCommonShock,
      ub::EventFamily::kGaussianThreshold};
  std::map<std::pair<int32_t, int32_t>, Row> table;  // (k, m)

  for (int32_t m : orders) {
    std::vector<int32_t> sizes = {2 * m, 12, 20, 40};
    if (quick) sizes = {2 * m, 20};
    // Large orders at their smallest n (and one more for m = 7 and 9): the
    // numbers grow as C(n, m).
    if (m == 7)
      sizes = quick ? std::vector<int32_t>{14} : std::vector<int32_t>{14, 20};
    if (m == 9)
      sizes = quick ? std::vector<int32_t>{18} : std::vector<int32_t>{18, 20};
    if (m == 11) sizes = {22};
    for (int32_t n : sizes) {
      if (n < 2 * m || n > largest) continue;
      // Exact candidates of every length, once for all data.
      std::map<std::pair<int32_t, int>, em::Procedure> exact;
      for (int32_t l = m; l <= n - m; ++l) {
        for (ub::Sense sense : {ub::Sense::kMinimise, ub::Sense::kMaximise}) {
          exact[{l, static_cast<int>(sense)}] =
              em::PrepareProcedure(sense, n, m, l);
        }
      }
      const ub::IndexMatrix subsets = ub::SubsetsBySize(n, m);
      for (ub::EventFamily family : families) {
        for (int32_t k : scales) {
          ub::MixtureModel model = ub::MakeEventSystem(family, n, 7);
          const double factor = std::pow(10.0, -k);
          for (ub::RealVector& row : model.occurrence) {
            for (double& x : row) x *= factor;
          }
          const ub::RealVector p =
              ub::IntersectionProbabilities(model, subsets);
          const auto run = ub::api::RunOnValues(p, n, m, "sweep");
          ub::api::SharpOptions options;
          options.kind = ub::api::SharpKind::kUnivariate;
          const auto uni = ub::api::SharpBounds(p, n, m, options);
          options.kind = ub::api::SharpKind::kBivariate;
          const auto bi = ub::api::SharpBounds(p, n, m, options);
          const double provenLower = std::fmax(uni.lower, bi.lower);
          const double provenUpper = std::fmin(uni.upper, bi.upper);

          Row& row = table[{k, m}];
          ++row.cases;
          row.worstStatus = std::max(row.worstStatus, run.status);
          const double slack = 1e-12;
          for (const auto& pass : run.passes) {
            const bool lowerOk =
                pass.lower.value <= provenUpper + slack * provenUpper;
            const bool upperOk =
                pass.upper.value >= provenLower - slack * provenLower;
            if (!lowerOk || !upperOk) {
              ++row.invalid;
              std::printf(
                  "invalid: family %s n %d m %d k %d l %d [%.17g, %.17g] "
                  "proven [%.17g, %.17g]\n",
                  ub::EventFamilyName(family), n, m, k, pass.l,
                  pass.lower.value, pass.upper.value, provenLower, provenUpper);
              break;
            }
          }

          // The exact best bounds and the plain double ones.
          std::optional<mpq_class> exactLower, exactUpper;
          double plainLower = 0.0, plainUpper = 0.0;
          bool firstPass = true;
          for (int32_t l = m; l <= n - m; ++l) {
            const ub::IndexMatrix pairs = {{1, 2}};
            const ub::IndexVector orders2 = {m, m};
            const ub::RealVector b =
                ub::BinomialMoments(p, n, l, m, pairs, orders2);
            const ub::RealVector mu = ub::MatrixVectorProduct(
                ub::PowerMomentMatrix(m, pairs, orders2), b);
            const ub::RealMatrix supports = ub::SupportRows(n, l);
            const double low =
                -ub::LowerBoundProcedure(ub::ThresholdPenaltyScoring(),
                                         supports, mu, orders2, pairs, m)
                     .value;
            const double up =
                -ub::UpperBoundProcedure(ub::ThresholdPenaltyScoring(),
                                         supports, mu, orders2, pairs, m)
                     .value;
            const mpq_class el = -em::BestOptimum(
                ub::Sense::kMinimise,
                exact[{l, static_cast<int>(ub::Sense::kMinimise)}], b);
            const mpq_class eu = -em::BestOptimum(
                ub::Sense::kMaximise,
                exact[{l, static_cast<int>(ub::Sense::kMaximise)}], b);
            if (firstPass || low > plainLower) plainLower = low;
            if (firstPass || up < plainUpper) plainUpper = up;
            if (!exactLower || el > *exactLower) exactLower = el;
            if (!exactUpper || eu < *exactUpper) exactUpper = eu;
            firstPass = false;
          }
          const double before = std::fmin(DigitsRight(plainLower, *exactLower),
                                          DigitsRight(plainUpper, *exactUpper));
          const double after =
              std::fmin(DigitsRight(run.best.lower, *exactLower),
                        DigitsRight(run.best.upper, *exactUpper));
          if (after < 9.0) {
            std::printf(
                "inaccurate: family %s n %d m %d k %d: %.17g %.17g exact "
                "%.17g %.17g\n",
                ub::EventFamilyName(family), n, m, k, run.best.lower,
                run.best.upper, exactLower->get_d(), exactUpper->get_d());
          }
          row.beforeDigits = std::fmin(row.beforeDigits, before);
          row.afterDigits = std::fmin(row.afterDigits, after);
        }
      }
    }
  }
  std::printf(
      "| scale | m | cases | digits right before | after | worst exit status | "
      "outside proven bounds |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|\n");
  for (const auto& [key, row] : table) {
    std::printf("| 1e-%d | %d | %d | %.1f | %.1f | %d | %d |\n", key.first,
                key.second, row.cases, row.beforeDigits, row.afterDigits,
                row.worstStatus, row.invalid);
  }
  return 0;
}
