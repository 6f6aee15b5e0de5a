// All intersections of up to m of n events, in the order of prob.txt.
#ifndef UNIONBOUND_PROBLEM_SUBSETS_BY_SIZE_H_
#define UNIONBOUND_PROBLEM_SUBSETS_BY_SIZE_H_

#include <cstdint>

#include "numeric/vectors.h"

namespace unionbound {

// All subsets of {1 .. n} of sizes 1 .. m, by increasing size and, within a
// size, lexicographically; each row an increasing list of event numbers.
// Every subset is found by unranking its rank. m <= 0 gives an empty list.
IndexMatrix SubsetsBySize(int32_t n, int32_t m);

}  // namespace unionbound

#endif  // UNIONBOUND_PROBLEM_SUBSETS_BY_SIZE_H_
