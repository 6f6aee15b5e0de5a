// The multivariate sharp bounds beside the bivariate ones (events as
// numbered and renumbered by marginal) and, for small n, the full program,
// on one generated system: one line per kind with its interval, width and
// seconds, and one per partition tried.
//
//   multivariate_quality FAMILY N M SEED [FULL_SECONDS [T]]
//
// FULL_SECONDS > 0 also runs the full program (n <= 24) with that limit,
// told no other bound: once starting from the lifted duals of the splits
// alone, once also from those of the partitions above, each bound marked
// sharp, certified (every atom priced, pricing converged) or partial;
// T = 3 or 4 tries only that many groups.
// The numbers as typed are used; where some program finds them
// inconsistent, every program is widened by 2^-53 (the rounding of the
// generated probabilities to doubles).
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "best_split.h"
#include "events/event_systems.h"
#include "numeric/subset_order.h"
#include "sharp/atoms/full_program.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/moments/moment_programs.h"
#include "sharp/moments/multivariate_bounds.h"
#include "sharp/moments/partition_rules.h"
#include "sharp/moments/sharp_bound.h"

using namespace unionbound;
using namespace unionbound::sharp;

namespace {

double Since(std::chrono::steady_clock::time_point start) {
  const std::chrono::duration<double> d =
      std::chrono::steady_clock::now() - start;
  return d.count();
}

void Line(const char* kind, const Rational& lower, const Rational& upper,
          double seconds, double cpu = -1.0) {
  std::printf("%-26s [%.6f, %.6f] width %.6f  %.3f s", kind, RoundDown(lower),
              RoundUp(upper), RoundUp(upper - lower), seconds);
  if (cpu >= 0.0) std::printf("  (cpu %.3f s)", cpu);
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: multivariate_quality FAMILY N M SEED "
                 "[FULL_SECONDS]\n");
    return 2;
  }
  EventFamily family;
  if (!ParseEventFamily(argv[1], &family)) {
    std::fprintf(stderr, "unknown family %s\n", argv[1]);
    return 2;
  }
  const int32_t n = std::atoi(argv[2]);
  const int32_t m = std::atoi(argv[3]);
  const uint64_t seed = std::strtoull(argv[4], nullptr, 10);
  const double fullSeconds = argc > 5 ? std::atof(argv[5]) : 0.0;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as it comes
  const MixtureModel model = MakeEventSystem(family, n, seed);
  const RealVector p = IntersectionProbabilities(model, SubsetsBySize(n, m));
  const ExactData exact = ExactDataFromDoubles(p);
  const SubsetList subsets = AllSubsets(n, m);
  std::printf("%s n=%d m=%d seed=%llu truth %.6f\n", argv[1], n, m,
              static_cast<unsigned long long>(seed), UnionProbability(model));
  const Rational tolerance(mpz_class(1), mpz_class(1) << 53);
  const EventStatistics stats = MakeEventStatistics(exact, subsets, n);
  const IndexVector order = MarginalOrder(stats);
  const SubsetList renamed = RenamedSubsets(subsets, order);
  bool widen = false;
  double cpu = Cpu();
  auto start = std::chrono::steady_clock::now();
  BestSplit bi = AllSplits(MakeProgramData(exact, subsets, n, m), n, m);
  if (bi.infeasible) {
    widen = true;
    start = std::chrono::steady_clock::now();
    bi = AllSplits(WidenProgramData(exact, subsets, n, m, tolerance), n, m);
  }
  const double biSeconds = Since(start);
  const double biCpu = Cpu() - cpu;
  cpu = Cpu();
  start = std::chrono::steady_clock::now();
  const BestSplit re =
      widen ? AllSplits(WidenProgramData(exact, renamed, n, m, tolerance), n, m)
            : AllSplits(MakeProgramData(exact, renamed, n, m), n, m);
  const double reSeconds = Since(start);
  const double reCpu = Cpu() - cpu;
  if (widen) std::printf("(widened by 2^-53)\n");
  Line("bivariate", bi.lower, bi.upper, biSeconds, biCpu);
  Line("bivariate renumbered", re.lower, re.upper, reSeconds, reCpu);
  Line("bivariate best of both", std::max(bi.lower, re.lower),
       std::min(bi.upper, re.upper), biSeconds + reSeconds, biCpu + reCpu);
  const int32_t onlyT = argc > 6 ? std::atoi(argv[6]) : 0;
  std::vector<EventGroups> partitions;
  for (int32_t t : {3, 4}) {
    if (onlyT != 0 && t != onlyT) continue;
    MultivariateOptions options;
    options.groupCounts = {t};
    options.refine = {SplitGroups(n, bi.lowerL), SplitGroups(n, bi.upperL),
                      SplitGroups(order, re.lowerL),
                      SplitGroups(order, re.upperL)};
    cpu = Cpu();
    const MultivariateResult mv = ComputeMultivariateBounds(
        exact, subsets, n, m, widen ? &tolerance : nullptr, options);
    for (const PartitionResult& r : mv.partitions) {
      partitions.push_back(r.groups);
      std::string sizes;
      for (const IndexVector& g : r.groups) {
        // Appended in two steps: "" + std::string makes GCC 12 warn
        // falsely (-Wrestrict).
        if (!sizes.empty()) sizes += '+';
        sizes += std::to_string(g.size());
      }
      const std::string name =
          "  t=" + std::to_string(t) + " " + r.rule + " " + sizes;
      if (!IsUsable(r.interval.lower) || !IsUsable(r.interval.upper)) {
        std::printf("%-26s not solved\n", name.c_str());
        continue;
      }
      Line(name.c_str(), r.interval.lower.exact, r.interval.upper.exact,
           r.interval.seconds);
    }
    if (mv.bestLower < 0 || mv.bestUpper < 0) continue;
    const double mvCpu = Cpu() - cpu;
    const std::string name = "multivariate t=" + std::to_string(t);
    Line(name.c_str(), mv.partitions[mv.bestLower].interval.lower.exact,
         mv.partitions[mv.bestUpper].interval.upper.exact, mv.seconds, mvCpu);
  }
  if (fullSeconds > 0 && n <= 24) {
    for (bool lifted : {false, true}) {
      FullOptions options;
      options.timeLimit = fullSeconds;
      if (widen) options.tolerance = tolerance;
      if (lifted) options.partitions = partitions;
      const FullResult f = SolveFullProgram(exact, subsets, n, m, options);
      if (!f.lower.computed || !f.upper.computed) continue;
      const auto status = [](const FullBound& b) {
        return b.sharp                           ? "sharp"
               : b.converged && b.allAtomsPriced ? "certified"
                                                 : "partial";
      };
      const std::string name =
          std::string(lifted ? "full, + partitions " : "full, splits ") +
          status(f.lower) + "/" + status(f.upper);
      Line(name.c_str(), f.lower.exact, f.upper.exact, f.seconds);
    }
  }
  return 0;
}
