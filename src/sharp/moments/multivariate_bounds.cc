#include "sharp/moments/multivariate_bounds.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <system_error>
#include <thread>

#include "optim/sense.h"
#include "sharp/moments/count_simplex.h"
#include "sharp/moments/partition_rules.h"

namespace unionbound::sharp {
namespace {

SharpBound Solve(const PartitionData& data, Sense sense,
                 const CountTarget& target, CountSimplexState* state,
                 std::chrono::steady_clock::time_point deadline) {
  const CountSimplexResult r =
      SolveCountProgram(PartitionBoundProgram(data, sense, target), state,
                        {.deadline = deadline});
  return BoundOfOptimum(r.status, r.value, sense, data.widened, r.pivots);
}

void Add(std::vector<PartitionResult>* out, const char* rule,
         const EventGroups& groups) {
  const EventGroups canonical = CanonicalGroups(groups);
  for (const PartitionResult& p : *out) {
    if (p.groups == canonical) return;
  }
  out->push_back({rule, canonical, {}});
}

}  // namespace

SharpInterval ComputePartitionInterval(
    const PartitionData& data, const CountTarget& target,
    std::chrono::steady_clock::time_point deadline) {
  // Each sense from its own floating-point start: the optimum of one is
  // a poor start for the other.
  CountSimplexState lower;
  CountSimplexState upper;
  return SolveInterval([&](Sense sense) {
    return Solve(data, sense, target,
                 sense == Sense::kMinimise ? &lower : &upper, deadline);
  });
}

std::vector<PartitionResult> ChoosePartitions(
    const ExactData& data, const SubsetList& subsets, int32_t n,
    const MultivariateOptions& options) {
  std::vector<PartitionResult> out;
  for (const EventGroups& g : options.given) Add(&out, "given", g);
  if (!options.rules) return out;
  const EventStatistics stats = MakeEventStatistics(data, subsets, n);
  for (int32_t t : options.groupCounts) {
    if (t < 1 || t > n) continue;
    Add(&out, "marginal", SortedByMarginal(stats, t));
    Add(&out, "dependence", ClusteredOnDependence(stats, t));
    Add(&out, "balanced", BalancedClusters(stats, t));
    for (const EventGroups& g : options.refine) {
      if (static_cast<int32_t>(g.size()) <= t) {
        Add(&out, "refined", RefinePartition(stats, g, t));
      }
    }
  }
  return out;
}

MultivariateResult ComputeMultivariateBounds(
    const ExactData& data, const SubsetList& subsets, int32_t n, int32_t m,
    const Rational* tolerance, const MultivariateOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  MultivariateResult result;
  result.partitions = ChoosePartitions(data, subsets, n, options);
  const auto deadline =
      options.timeLimit > 0
          ? start +
                std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                    std::chrono::duration<double>(options.timeLimit))
          : std::chrono::steady_clock::time_point::max();
  // The programs in turn from a shared counter, so a slow one does not hold
  // up the others.
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t k = next++; k < result.partitions.size(); k = next++) {
      PartitionResult& p = result.partitions[k];
      const PartitionData pd =
          tolerance == nullptr
              ? MakePartitionData(data, subsets, n, m, p.groups)
              : WidenPartitionData(data, subsets, n, m, p.groups, *tolerance);
      p.interval = ComputePartitionInterval(pd, options.target, deadline);
    }
  };
  const int32_t threads = std::max<int32_t>(
      1, std::min<int32_t>(options.threads,
                           static_cast<int32_t>(result.partitions.size())));
  // A thread the system refuses starts no more of them: the shared counter
  // hands its programs to the threads already running and to this one.
  std::vector<std::jthread> workers;
  try {
    for (int32_t w = 1; w < threads; ++w) workers.emplace_back(work);
  } catch (const std::system_error&) {
  }
  work();
  for (std::jthread& w : workers) w.join();
  for (size_t k = 0; k < result.partitions.size(); ++k) {
    const SharpInterval& in = result.partitions[k].interval;
    const int32_t index = static_cast<int32_t>(k);
    if (in.lower.status == SharpStatus::kInfeasible ||
        in.upper.status == SharpStatus::kInfeasible) {
      result.anyInfeasible = true;
    }
    if (in.lower.status == SharpStatus::kFailed ||
        in.upper.status == SharpStatus::kFailed) {
      ++result.unfinished;
    }
    if (IsUsable(in.lower) &&
        (result.bestLower < 0 ||
         in.lower.exact >
             result.partitions[result.bestLower].interval.lower.exact)) {
      result.bestLower = index;
    }
    if (IsUsable(in.upper) &&
        (result.bestUpper < 0 ||
         in.upper.exact <
             result.partitions[result.bestUpper].interval.upper.exact)) {
      result.bestUpper = index;
    }
  }
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  result.seconds = spent.count();
  return result;
}

}  // namespace unionbound::sharp
