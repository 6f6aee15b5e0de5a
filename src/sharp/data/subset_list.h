// All intersections of up to m of n events in the order of prob.txt (by
// size, then lexicographically), stored flat: one array of members and one
// offset per subset, built by stepping from each subset to the next.
#ifndef UNIONBOUND_SHARP_DATA_SUBSET_LIST_H_
#define UNIONBOUND_SHARP_DATA_SUBSET_LIST_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "numeric/vectors.h"

namespace unionbound::sharp {

struct SubsetList {
  std::vector<int32_t> members;  // increasing event numbers, subset by subset
  std::vector<size_t> start;     // subset u is members[start[u], start[u+1])
};

// Sizes 1 .. min(m, n); the same order as SubsetsBySize(n, m).
SubsetList AllSubsets(int32_t n, int32_t m);

inline size_t SubsetCount(const SubsetList& list) {
  return list.start.empty() ? 0 : list.start.size() - 1;
}

inline size_t SubsetSize(const SubsetList& list, size_t u) {
  return list.start[u + 1] - list.start[u];
}

inline const int32_t* SubsetMembers(const SubsetList& list, size_t u) {
  return list.members.data() + list.start[u];
}

IndexVector SubsetAt(const SubsetList& list, size_t u);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_DATA_SUBSET_LIST_H_
