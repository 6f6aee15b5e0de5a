// Where the time of the multivariate sharp bounds goes, on one probability
// file (as unionbound-generate writes it): the best bivariate splits (as
// numbered and renumbered by marginal, whose splits the multivariate
// programs refine), then the multivariate bounds for t = 3 and 4 together,
// each phase with its wall and processor seconds. With EXACT_OUT, the
// exact optimum of every partition's programs and the best of them are
// written there, one per line, to compare two builds for exact equality.
//
//   multivariate_speed FILE N M [EXACT_OUT]
//
// The numbers as typed are used; where some bivariate program finds them
// inconsistent, every program is widened by 2^-53 (the rounding of the
// generated probabilities to doubles).
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "best_split.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/input_text.h"
#include "sharp/data/subset_list.h"
#include "sharp/moments/moment_programs.h"
#include "sharp/moments/multivariate_bounds.h"
#include "sharp/moments/partition_rules.h"
#include "sharp/moments/sharp_bound.h"

using namespace unionbound;
using namespace unionbound::sharp;

namespace {

class Clock {
 public:
  Clock() : wall_(std::chrono::steady_clock::now()), cpu_(Cpu()) {}
  void Print(const char* phase) const {
    const std::chrono::duration<double> d =
        std::chrono::steady_clock::now() - wall_;
    std::printf("%-14s wall %8.3f s  cpu %8.3f s\n", phase, d.count(),
                Cpu() - cpu_);
  }

 private:
  std::chrono::steady_clock::time_point wall_;
  double cpu_;
};

std::string Text(const SharpBound& b) {
  return IsUsable(b) ? b.exact.get_str() : std::string("unsolved");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: multivariate_speed FILE N M [EXACT_OUT]\n");
    return 2;
  }
  const int32_t n = std::atoi(argv[2]);
  const int32_t m = std::atoi(argv[3]);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const SubsetList subsets = AllSubsets(n, m);
  const InputText input = ReadInputFile(argv[1]);
  const ProbabilityRead read =
      ReadNumbersOfText(input, static_cast<int32_t>(SubsetCount(subsets)));
  if (read.read != read.expected) {
    std::fprintf(stderr, "%s: read %d of %d numbers\n", argv[1], read.read,
                 read.expected);
    return 1;
  }
  const ExactData exact = ReadExactText(input.text, read.p);
  const Rational tolerance(mpz_class(1), mpz_class(1) << 53);
  const EventStatistics stats = MakeEventStatistics(exact, subsets, n);
  const IndexVector order = MarginalOrder(stats);
  const SubsetList renamed = RenamedSubsets(subsets, order);

  const Clock biClock;
  bool widen = false;
  BestSplit bi = AllSplits(MakeProgramData(exact, subsets, n, m), n, m);
  if (bi.infeasible) {
    widen = true;
    bi = AllSplits(WidenProgramData(exact, subsets, n, m, tolerance), n, m);
  }
  const BestSplit re =
      widen ? AllSplits(WidenProgramData(exact, renamed, n, m, tolerance), n, m)
            : AllSplits(MakeProgramData(exact, renamed, n, m), n, m);
  biClock.Print("bivariate");

  MultivariateOptions options;
  options.groupCounts = {3, 4};
  options.refine = {SplitGroups(n, bi.lowerL), SplitGroups(n, bi.upperL),
                    SplitGroups(order, re.lowerL),
                    SplitGroups(order, re.upperL)};
  const Clock mvClock;
  const MultivariateResult mv = ComputeMultivariateBounds(
      exact, subsets, n, m, widen ? &tolerance : nullptr, options);
  mvClock.Print("multivariate");
  if (mv.bestLower < 0 || mv.bestUpper < 0) {
    std::printf("multivariate: no bound (infeasible %d)\n", mv.anyInfeasible);
    return 1;
  }
  const SharpBound& lower = mv.partitions[mv.bestLower].interval.lower;
  const SharpBound& upper = mv.partitions[mv.bestUpper].interval.upper;
  std::printf("%s[%.9f, %.9f] over %zu partitions\n", widen ? "widened " : "",
              lower.bound, upper.bound, mv.partitions.size());
  for (const PartitionResult& p : mv.partitions) {
    std::string sizes;
    for (const IndexVector& g : p.groups) {
      // Appended in two steps: "" + std::string makes GCC 12 warn
      // falsely (-Wrestrict).
      if (!sizes.empty()) sizes += '+';
      sizes += std::to_string(g.size());
    }
    std::printf("  %-10s %-12s %8.3f s  pivots %d + %d\n", p.rule.c_str(),
                sizes.c_str(), p.interval.seconds, p.interval.lower.pivots,
                p.interval.upper.pivots);
  }
  if (argc > 4) {
    std::ofstream out(argv[4]);
    out << "best " << lower.exact.get_str() << ' ' << upper.exact.get_str()
        << '\n';
    for (const PartitionResult& p : mv.partitions) {
      out << p.rule;
      for (const IndexVector& g : p.groups) {
        out << " |";
        for (int32_t e : g) out << ' ' << e;
      }
      out << "\n  " << Text(p.interval.lower) << ' ' << Text(p.interval.upper)
          << '\n';
    }
  }
  return 0;
}
