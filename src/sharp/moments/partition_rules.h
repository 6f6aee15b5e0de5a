// How the events are split into groups for the multivariate programs, from
// the data alone: any partition gives valid bounds, but the tightest ones
// put events that move together in one group (a common shock) or events of
// like probability together (independent events). Every rule returns t
// non-empty groups (t <= n), each sorted, for events 1 .. n.
//
// Also the events renumbered by marginal probability, for the bivariate
// programs, whose groups are contiguous runs of event numbers.
#ifndef UNIONBOUND_SHARP_MOMENTS_PARTITION_RULES_H_
#define UNIONBOUND_SHARP_MOMENTS_PARTITION_RULES_H_

#include <cstdint>

#include "numeric/vectors.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/moments/partition_program.h"

namespace unionbound::sharp {

// The marginals and the pair dependence of the events, in doubles: only
// used to choose partitions, never in a bound.
struct EventStatistics {
  int32_t n = 0;
  RealVector marginal;  // P(A_e) at e - 1
  // The correlation of the indicators of A_i and A_j at [i - 1][j - 1]:
  // (P(A_i A_j) - P(A_i) P(A_j)) / sqrt(P(A_i)(1 - P(A_i)) P(A_j)(...)),
  // 0 where a marginal is 0 or 1 or the data have no pairs (m < 2).
  RealMatrix dependence;
};

EventStatistics MakeEventStatistics(const ExactData& data,
                                    const SubsetList& subsets, int32_t n);

// The events by decreasing marginal probability (ties by number).
IndexVector MarginalOrder(const EventStatistics& stats);

// The events by decreasing marginal, cut into t runs of sizes differing by
// at most one.
EventGroups SortedByMarginal(const EventStatistics& stats, int32_t t);

// Average-linkage clustering on the dependence, merged down to t groups:
// finds groups of events driven by a common cause, whatever their sizes.
EventGroups ClusteredOnDependence(const EventStatistics& stats, int32_t t);

// The clustering with no group above ceil(n / t) events: from each group
// that is too large, the event least tied to it moves to the group it is
// most tied to among those with room.
EventGroups BalancedClusters(const EventStatistics& stats, int32_t t);

// A finer partition of `groups` into t groups (t >= groups.size()): the
// largest group is halved, by marginal, until there are t. Its programs are
// never looser than those of `groups`.
EventGroups RefinePartition(const EventStatistics& stats, EventGroups groups,
                            int32_t t);

// The split of the bivariate program at l: events 1 .. l and l + 1 .. n
// (with order given: the events order[0 .. l - 1] and the rest).
EventGroups SplitGroups(int32_t n, int32_t l);
EventGroups SplitGroups(const IndexVector& order, int32_t l);

// The subsets with every event e renamed to its place in order (order[k]
// becomes k + 1), members sorted again; subset u stays at u, so the data's
// values still belong to it. The bivariate programs of the renamed subsets
// are those of the events taken in that order.
SubsetList RenamedSubsets(const SubsetList& subsets, const IndexVector& order);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_PARTITION_RULES_H_
