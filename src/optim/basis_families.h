// The two structured families of bases a subsequence chooses from: disjoint
// pairs of consecutive point numbers between a lower end and the last point.
#ifndef UNIONBOUND_OPTIM_BASIS_FAMILIES_H_
#define UNIONBOUND_OPTIM_BASIS_FAMILIES_H_

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"

namespace unionbound {

// Members of hi - lo + 1 point numbers (from 1): pairs {j, j+1} within
// lo .. N, led by lo itself when that size is odd.
std::vector<IndexVector> PairBases(int32_t N, int32_t lo, int32_t hi);

// Members closed by N, with pairs within lo .. N-1, led by lo when the size
// is even. A size of 0 hands k = -1 to KSubsets, which reports it; the family
// is then empty.
std::vector<IndexVector> PairBasesWithEnd(int32_t N, int32_t lo, int32_t hi);

}  // namespace unionbound

#endif  // UNIONBOUND_OPTIM_BASIS_FAMILIES_H_
