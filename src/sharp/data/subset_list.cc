#include "sharp/data/subset_list.h"

#include <algorithm>

namespace unionbound::sharp {
namespace {

// C(a, b) for the sizes of a list (every value at most its count).
size_t Choose(int32_t a, int32_t b) {
  if (b < 0 || b > a) return 0;
  size_t c = 1;
  for (int32_t i = 1; i <= b; ++i) {
    c = c * static_cast<size_t>(a - b + i) / static_cast<size_t>(i);
  }
  return c;
}

size_t BlockOf(const SubsetList& list, size_t u) {
  size_t k = 1;
  while (k < list.blockStart.size() && list.blockStart[k] <= u) ++k;
  return k;
}

}  // namespace

SubsetList AllSubsets(int32_t n, int32_t m) {
  SubsetList list;
  list.n = n;
  list.m = std::max(0, std::min(m, n));
  for (int32_t k = 1; k <= list.m; ++k) {
    list.blockStart.push_back(list.blockStart.back() + Choose(n, k));
  }
  return list;
}

size_t SubsetSize(const SubsetList& list, size_t u) { return BlockOf(list, u); }

IndexVector SubsetAt(const SubsetList& list, size_t u) {
  const size_t k = BlockOf(list, u);
  size_t rank = u - list.blockStart[k - 1];
  IndexVector s;
  int32_t next = 1;
  for (size_t i = 0; i < k; ++i) {
    // The subsets whose i-th member is `next` come before those with a
    // larger one: C(n - next, k - i - 1) of them.
    for (;; ++next) {
      const size_t with =
          Choose(list.n - next, static_cast<int32_t>(k - i - 1));
      if (rank < with) break;
      rank -= with;
    }
    s.push_back(next++);
  }
  if (!list.name.empty()) {
    for (int32_t& e : s) e = list.name[e];
    std::sort(s.begin(), s.end());
  }
  return s;
}

SubsetCursor::SubsetCursor(const SubsetList& list) : list_(&list) {
  if (!done()) {
    current_ = {1};
    Show();
  }
}

void SubsetCursor::Next() {
  ++index_;
  if (done()) return;
  const int32_t n = list_->n;
  const auto k = static_cast<int32_t>(current_.size());
  // The next subset: raise the last member that can still rise and reset
  // the ones after it to follow it; after the last one of a size, the
  // first one of the next size.
  int32_t i = k - 1;
  while (i >= 0 && current_[i] == n - k + 1 + i) --i;
  if (i < 0) {
    current_.resize(static_cast<size_t>(k) + 1);
    for (int32_t j = 0; j <= k; ++j) current_[j] = j + 1;
  } else {
    ++current_[i];
    for (int32_t j = i + 1; j < k; ++j) current_[j] = current_[j - 1] + 1;
  }
  Show();
}

void SubsetCursor::Show() {
  shown_ = current_;
  if (list_->name.empty()) return;
  for (int32_t& e : shown_) e = list_->name[e];
  std::sort(shown_.begin(), shown_.end());
}

}  // namespace unionbound::sharp
