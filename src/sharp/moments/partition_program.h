// The moment programs over a partition of the events into t groups
// G_1 .. G_t. The columns are the count vectors (i_1, .., i_t), 0 <= i_g <=
// |G_g|: the probability that exactly i_g events of each group g occur. Row
// (a_1, .., a_t), a_1 + .. + a_t <= m, fixes the moment S_a, the sum of
// P(A_S) over the subsets S with a_g members in group g; the entry of count
// vector i is prod_g C(i_g, a_g). Two groups 1 .. l and l + 1 .. n give the
// bivariate program of split l; more groups give tighter programs, each a
// refinement of the coarser ones it splits. As in the grid programs, a
// tolerance T widens every moment to the band its subsets allow (without
// clipping the moved numbers to [0, 1]).
#ifndef UNIONBOUND_SHARP_MOMENTS_PARTITION_PROGRAM_H_
#define UNIONBOUND_SHARP_MOMENTS_PARTITION_PROGRAM_H_

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "numeric/vectors.h"
#include "optim/sense.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/exact/rational.h"
#include "sharp/moments/grid_program.h"

namespace unionbound::sharp {

// The groups of a partition, each a list of event numbers (from 1).
using EventGroups = IndexMatrix;

// Empty when groups is a partition of 1 .. n into non-empty groups; else
// what is wrong with it, in a few words.
std::string PartitionProblem(const EventGroups& groups, int32_t n);

// Each group sorted, the groups by their first event: the same partition
// always reads the same.
EventGroups CanonicalGroups(EventGroups groups);

// minimise cost . x subject to A x = rhs, x >= 0, over the count vectors
// and a few explicit extra columns. A count vector whose total i_1 + .. +
// i_t makes the target happen costs pointCost, every other 0 (the union by
// default: every count vector but 0). rows[r] holds the orders of row r (one
// per group), or is empty for a row without count-vector entries (a row of
// the tolerance part).
struct CountProgram {
  IndexVector sizes;  // |G_g|
  std::vector<IndexVector> rows;
  RationalVector rhs;
  int32_t pointCost = 1;
  CountTarget target;
  std::vector<ExtraColumn> extra;
};

// prod (sizes[g] + 1).
size_t CountPointCount(const IndexVector& sizes);

// The moments of one partition, exactly.
struct PartitionData {
  int32_t n = 0;
  int32_t m = 0;
  EventGroups groups;
  // The orders with a positive number of subsets, by total then
  // lexicographically descending (the zero order first); sums[r] adds the
  // values of the subsets of order orders[r], in units of 1 / scale.
  std::vector<IndexVector> orders;
  std::vector<mpz_class> sums;
  mpz_class scale;
  bool widened = false;
  mpz_class tolerance;  // T, in units of 1 / scale
};

// The moments of the numbers as typed; groups must be a partition of 1 .. n.
PartitionData MakePartitionData(const ExactData& data,
                                const SubsetList& subsets, int32_t n, int32_t m,
                                const EventGroups& groups);

// The same, to be widened by tolerance >= 0.
PartitionData WidenPartitionData(const ExactData& data,
                                 const SubsetList& subsets, int32_t n,
                                 int32_t m, const EventGroups& groups,
                                 const Rational& tolerance);

// How many subsets the moment of `orders` adds up: prod C(|G_g|, a_g).
mpz_class OrderSize(const IndexVector& sizes, const IndexVector& orders);

// The bound program of the partition on the probability of `target` (the
// union by default): as typed, or with each moment free within its widened
// band.
CountProgram PartitionBoundProgram(const PartitionData& data, Sense sense,
                                   const CountTarget& target = {});

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_PARTITION_PROGRAM_H_
