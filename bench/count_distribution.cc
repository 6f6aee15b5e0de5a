// count_distribution: the sharp bounds of P(X >= r), X the number of events
// that occur, of one generated genuine system beside its truth, and the
// time the whole distribution (every r = 1 .. n) takes per kind.
//
//   count_distribution FAMILY N M SEED [ROWS] [THREADS] [full [SECONDS]]
//
// Prints, for r = 1 .. ROWS (default 5), the true P(X >= r) and the lower
// and upper bounds of the univariate program and of the best bivariate
// split, the best multivariate partition (t = 3 and 4 groups by the
// rules, and the best bivariate splits of that r refined), and with `full`
// of the full program over atoms (n <= 22, with a time limit of SECONDS per
// r, default 60), then the seconds of each kind's distribution for every r
// (the multivariate and full programs' for the rows printed).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "events/event_systems.h"
#include "numeric/subset_order.h"
#include "sharp/atoms/full_program.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/moments/distribution.h"
#include "sharp/moments/moment_programs.h"
#include "sharp/moments/multivariate_bounds.h"
#include "sharp/moments/partition_rules.h"

namespace {

using namespace unionbound;
using namespace unionbound::sharp;

// P(X = k), k = 0 .. n, of a mixture of independent events.
RealVector CountDistribution(const MixtureModel& model, int32_t n) {
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

double Seconds(std::chrono::steady_clock::time_point start) {
  const std::chrono::duration<double> d =
      std::chrono::steady_clock::now() - start;
  return d.count();
}

// s: the optimum, proven; c: every atom priced, none improves; p: a valid
// bound stopped by the time limit.
const char* Mark(const FullBound& bound) {
  if (bound.sharp) return "s";
  return bound.converged && bound.allAtomsPriced ? "c" : "p";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: count_distribution FAMILY N M SEED [ROWS] "
                 "[THREADS]\n");
    return 2;
  }
  EventFamily family;
  if (!ParseEventFamily(argv[1], &family)) {
    std::fprintf(stderr, "count_distribution: unknown family %s\n", argv[1]);
    return 2;
  }
  const int32_t n = std::atoi(argv[2]);
  const int32_t m = std::atoi(argv[3]);
  const uint64_t seed = std::strtoull(argv[4], nullptr, 10);
  const int32_t rows = argc > 5 ? std::atoi(argv[5]) : 5;
  const int32_t threads = argc > 6 ? std::atoi(argv[6]) : 2;
  const bool full = argc > 7 && std::string(argv[7]) == "full";
  const double fullLimit = argc > 8 ? std::atof(argv[8]) : 60.0;
  if (n < 1 || m < 1 || m > n || n > 200) {
    std::fprintf(stderr, "count_distribution: need 1 <= M <= N <= 200\n");
    return 2;
  }
  const MixtureModel model = MakeEventSystem(family, n, seed);
  const RealVector p = IntersectionProbabilities(model, SubsetsBySize(n, m));
  const RealVector truth = CountDistribution(model, n);
  const ProgramData data =
      MakeProgramData(ExactDataFromDoubles(p), AllSubsets(n, m), n, m);

  auto start = std::chrono::steady_clock::now();
  const SharpDistribution uni = ComputeSharpDistribution(data, kUnivariate);
  const double uniSeconds = Seconds(start);
  start = std::chrono::steady_clock::now();
  const std::vector<SharpDistribution> splits =
      ComputeSplitDistributions(data, m, n - m, threads);
  const std::vector<BestCountRow> best = BestOverPrograms(splits);
  const double biSeconds = Seconds(start);
  std::vector<MultivariateResult> multis;
  start = std::chrono::steady_clock::now();
  for (int32_t r = 1; r <= rows && r <= n; ++r) {
    MultivariateOptions options;
    options.target = {r, false};
    options.threads = threads;
    for (int32_t l : {best[r - 1].lower.l, best[r - 1].upper.l}) {
      if (l >= 1 && l < n) options.refine.push_back(SplitGroups(n, l));
    }
    multis.push_back(ComputeMultivariateBounds(
        ExactDataFromDoubles(p), AllSubsets(n, m), n, m, nullptr, options));
  }
  const double multiSeconds = Seconds(start);
  std::vector<FullResult> fulls;
  start = std::chrono::steady_clock::now();
  for (int32_t r = 1; full && r <= rows && r <= n; ++r) {
    FullOptions options;
    options.target = {r, false};
    options.timeLimit = fullLimit;
    fulls.push_back(SolveFullProgram(ExactDataFromDoubles(p), AllSubsets(n, m),
                                     n, m, options));
  }
  const double fullSeconds = Seconds(start);

  std::printf("%s n=%d m=%d seed=%llu\n", argv[1], n, m,
              static_cast<unsigned long long>(seed));
  std::printf("%3s %12s %12s %12s %12s %12s", "r", "truth", "uni lower",
              "uni upper", "bi lower", "bi upper");
  std::printf(" %12s %12s", "multi lower", "multi upper");
  if (full) std::printf(" %12s %12s", "full lower", "full upper");
  std::printf("\n");
  for (int32_t r = 1; r <= rows && r <= n; ++r) {
    double atLeast = 0.0;
    for (int32_t k = n; k >= r; --k) atLeast += truth[k];
    const SharpInterval& u = uni.bounds[r - 1];
    const BestCountRow& b = best[r - 1];
    std::printf("%3d %12.6g %12.6g %12.6g %12.6g %12.6g", r, atLeast,
                u.lower.bound, u.upper.bound, b.lower.bound.bound,
                b.upper.bound.bound);
    const MultivariateResult& mv = multis[r - 1];
    if (mv.bestLower >= 0) {
      std::printf(" %12.6g", mv.partitions[mv.bestLower].interval.lower.bound);
    } else {
      std::printf(" %12s", "-");
    }
    if (mv.bestUpper >= 0) {
      std::printf(" %12.6g", mv.partitions[mv.bestUpper].interval.upper.bound);
    } else {
      std::printf(" %12s", "-");
    }
    if (full) {
      const FullResult& f = fulls[r - 1];
      if (f.computed) {
        // Rounded outward and clipped to [0, 1], as printed bounds are.
        std::printf(" %12.6g%s %12.6g%s",
                    std::clamp(RoundDown(f.lower.exact), 0.0, 1.0),
                    Mark(f.lower), std::clamp(RoundUp(f.upper.exact), 0.0, 1.0),
                    Mark(f.upper));
      } else {
        std::printf(" %12s  %12s ", "-", "-");
      }
    }
    std::printf("\n");
  }
  std::printf("univariate, every r: %.3f s\n", uniSeconds);
  long pivots = 0;
  for (const SharpDistribution& d : splits) {
    for (const SharpInterval& in : d.bounds) {
      pivots += in.lower.pivots + in.upper.pivots;
    }
  }
  std::printf(
      "bivariate, every r of %zu splits on %d threads: %.3f s, %ld pivots\n",
      splits.size(), threads, biSeconds, pivots);
  std::printf("multivariate, r = 1 .. %d: %.3f s\n", rows, multiSeconds);
  if (full) {
    std::printf(
        "full program, r = 1 .. %d (s sharp, c certified, p partial; "
        "limit %g s each): %.3f s\n",
        rows, fullLimit, fullSeconds);
  }
  const size_t faults =
      NonMonotoneRs(uni.bounds).size() + NonMonotoneRs(best).size();
  std::printf("bounds not monotone in r: %zu\n", faults);
  return faults == 0 ? 0 : 1;
}
