// Starting duals of the full program over atoms from the moment programs.
// Split the events into groups G_1 .. G_t and add the data up into the
// moments of that partition: row (a_1, .., a_t) adds the data subsets with
// a_g members in G_g, and an atom with i_g events in each G_g has the column
// (i_1, .., i_t) of that moment program. Giving every data subset the dual
// of its moment row turns any dual of the moment program into a dual of the
// full program with the same reduced costs and the same value, so optimal
// moment duals give a full-program bound as good as the moment program's
// before any column is generated. The first l events and the rest give the
// bivariate program of split l, all events in one group the univariate one.
// Floating point: the certificate makes any duals exact.
#ifndef UNIONBOUND_SHARP_ATOMS_LIFTED_DUALS_H_
#define UNIONBOUND_SHARP_ATOMS_LIFTED_DUALS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/atoms/atom_columns.h"
#include "sharp/moments/partition_program.h"

namespace unionbound::sharp {

// The most count vectors (prod of |G_g| + 1) of a partition whose program
// is lifted; a larger one (many small groups) is left out, as its floating
// solve would take longer than the pricing it saves.
inline constexpr size_t kLiftedPartitionPoints = 100000;

struct LiftedDuals {
  RealVector y;        // y[0] the total, y[1 + u] data subset u; empty if none
  double value = 0.0;  // b . y, in the master's sense (minimised)
  int32_t l = 0;       // the split they come from; 0 for the univariate
  // The index of the partition they come from among those given to
  // BestLiftedDuals; -1 for a split.
  int32_t partition = -1;
};

// The optimal duals of the moment program of the partition whose groups
// are the atoms `groups` (bit e - 1 for event e; disjoint, together every
// event of the data, empty groups ignored) on the probability of `target`,
// lifted. rhs as the master's: the total, then the data values. Empty y
// when the floating-point solve fails or the partition has more than
// kLiftedPartitionPoints count vectors.
LiftedDuals LiftPartitionDuals(const std::vector<AtomMask>& masks,
                               const RealVector& rhs,
                               const std::vector<AtomMask>& groups,
                               AtomSense sense, const CountTarget& target = {});

// The partition program of split l (0 <= l < n): events 1 .. l and the rest.
LiftedDuals LiftMomentDuals(const std::vector<AtomMask>& masks,
                            const RealVector& rhs, int32_t n, int32_t l,
                            AtomSense sense, const CountTarget& target = {});

// The atoms of the groups of a partition of events 1 .. n (n <= 64).
std::vector<AtomMask> GroupMasks(const EventGroups& groups);

// The lifted duals of the best of every split's program, the univariate
// included, and of every partition of 1 .. n in `partitions` (one that is
// not such a partition is left out), for sense kLower or kUpper; each value
// is first lessened by tolerance * sum |y_u| (the data may move by the
// tolerance against them). A partition replaces the splits' best only where
// strictly better, so without partitions the result is the splits' alone.
LiftedDuals BestLiftedDuals(const std::vector<AtomMask>& masks,
                            const RealVector& rhs, int32_t n, AtomSense sense,
                            double tolerance, const CountTarget& target = {},
                            const std::vector<EventGroups>& partitions = {});

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ATOMS_LIFTED_DUALS_H_
