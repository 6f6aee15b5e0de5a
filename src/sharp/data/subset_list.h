// All intersections of up to m of n events in the order of prob.txt (by
// size, then lexicographically). Nothing per subset is stored: a list is
// its sizes and, when its events were renamed, the new names, and the
// subsets are stepped through one after another (SubsetCursor) or found by
// their position (SubsetAt), so millions of them cost no memory.
#ifndef UNIONBOUND_SHARP_DATA_SUBSET_LIST_H_
#define UNIONBOUND_SHARP_DATA_SUBSET_LIST_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "numeric/vectors.h"

namespace unionbound::sharp {

struct SubsetList {
  int32_t n = 0;
  int32_t m = 0;  // the largest size, at most n
  // Subsets of size k are the positions blockStart[k - 1] ..
  // blockStart[k] - 1; blockStart[0] = 0.
  std::vector<size_t> blockStart{0};
  // Empty, or name[e] is the name of event e (each subset's members then
  // sorted again by their names).
  IndexVector name;
};

// Sizes 1 .. min(m, n); the same order as SubsetsBySize(n, m).
SubsetList AllSubsets(int32_t n, int32_t m);

inline size_t SubsetCount(const SubsetList& list) {
  return list.blockStart.back();
}

size_t SubsetSize(const SubsetList& list, size_t u);

// The members of subset u, increasing; O(n) per call.
IndexVector SubsetAt(const SubsetList& list, size_t u);

// Steps through the subsets of a list in order, from position 0: the
// members of the current one, increasing, are valid until the next step.
// Not thread safe; any number of cursors may walk one list.
class SubsetCursor {
 public:
  explicit SubsetCursor(const SubsetList& list);

  bool done() const { return index_ >= SubsetCount(*list_); }
  size_t index() const { return index_; }
  size_t size() const { return current_.size(); }
  const int32_t* members() const { return shown_.data(); }
  void Next();

 private:
  void Show();

  const SubsetList* list_;
  size_t index_ = 0;
  IndexVector current_;  // in the original names
  IndexVector shown_;    // renamed and sorted
};

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_DATA_SUBSET_LIST_H_
