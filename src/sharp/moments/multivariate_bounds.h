// The multivariate sharp bounds: the moment programs of a few partitions of
// the events into t groups chosen from the data (and any given by hand),
// each solved exactly, the best lower and the best upper bound kept. Each
// bound is the exact optimum of its program rounded outward, so it holds
// for every distribution with the data's moments (within the tolerance,
// when one is given); the best of several is still such a bound.
#ifndef UNIONBOUND_SHARP_MOMENTS_MULTIVARIATE_BOUNDS_H_
#define UNIONBOUND_SHARP_MOMENTS_MULTIVARIATE_BOUNDS_H_

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/exact/rational.h"
#include "sharp/moments/partition_program.h"
#include "sharp/moments/sharp_bound.h"

namespace unionbound::sharp {

// Both bounds of one partition's program on the probability of `target`
// (the union by default); the upper program is skipped when the lower one
// is infeasible. A program still unsolved at the deadline ends as failed.
SharpInterval ComputePartitionInterval(
    const PartitionData& data, const CountTarget& target = {},
    std::chrono::steady_clock::time_point deadline =
        std::chrono::steady_clock::time_point::max());

struct MultivariateOptions {
  IndexVector groupCounts{3, 4};  // the t tried by the rules
  // Partitions to refine into each t (the best bivariate splits): their
  // refinements are never looser than they are.
  std::vector<EventGroups> refine;
  // Partitions given by hand, solved as they are (any number of groups).
  std::vector<EventGroups> given;
  bool rules = true;  // false: only the given partitions
  // What the programs bound: the union by default, or that at least
  // (exactly) r events occur.
  CountTarget target;
  int32_t threads = 2;
  // Seconds from the start after which the programs not yet solved stop
  // and end as failed; the bounds are then the best of the others (each is
  // a bound on its own). 0: no limit. Degenerate programs of data that
  // barely fit (rounding-level inconsistencies) can otherwise pivot for
  // many minutes.
  double timeLimit = 60.0;
};

struct PartitionResult {
  std::string rule;  // "marginal", "dependence", "balanced", "refined",
                     // "given"
  EventGroups groups;
  SharpInterval interval;
};

struct MultivariateResult {
  std::vector<PartitionResult> partitions;  // each partition once
  int32_t bestLower = -1;  // index into partitions of the best lower and
  int32_t bestUpper = -1;  // upper bound; the earlier wins ties
  // Some program has no distribution: then neither have the data (within
  // the tolerance), and no bound of theirs says anything.
  bool anyInfeasible = false;
  int32_t unfinished = 0;  // partitions with a program stopped by the time
                           // or pivot limit
  double seconds = 0.0;
};

// The partitions the rules choose for the data, with the refined and given
// ones, each once (the first rule that found it names it). Every given
// partition must be a partition of 1 .. n (see PartitionProblem).
std::vector<PartitionResult> ChoosePartitions(
    const ExactData& data, const SubsetList& subsets, int32_t n,
    const MultivariateOptions& options);

// Solves every chosen partition, on options.threads threads. tolerance:
// nullptr for the numbers as typed, else the programs are widened by it.
MultivariateResult ComputeMultivariateBounds(
    const ExactData& data, const SubsetList& subsets, int32_t n, int32_t m,
    const Rational* tolerance, const MultivariateOptions& options);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_MULTIVARIATE_BOUNDS_H_
