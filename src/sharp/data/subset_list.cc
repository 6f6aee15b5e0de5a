#include "sharp/data/subset_list.h"

namespace unionbound::sharp {

SubsetList AllSubsets(int32_t n, int32_t m) {
  SubsetList list;
  list.start.push_back(0);
  for (int32_t k = 1; k <= m && k <= n; ++k) {
    std::vector<int32_t> s(static_cast<size_t>(k));
    for (int32_t i = 0; i < k; ++i) s[i] = i + 1;
    while (true) {
      list.members.insert(list.members.end(), s.begin(), s.end());
      list.start.push_back(list.members.size());
      // The next subset: raise the last member that can still rise and
      // reset the ones after it to follow it.
      int32_t i = k - 1;
      while (i >= 0 && s[i] == n - k + 1 + i) --i;
      if (i < 0) break;
      ++s[i];
      for (int32_t j = i + 1; j < k; ++j) s[j] = s[j - 1] + 1;
    }
  }
  return list;
}

IndexVector SubsetAt(const SubsetList& list, size_t u) {
  const int32_t* first = SubsetMembers(list, u);
  return IndexVector(first, first + SubsetSize(list, u));
}

}  // namespace unionbound::sharp
