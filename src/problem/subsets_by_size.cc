#include "problem/subsets_by_size.h"

#include "numeric/binomial.h"

namespace unionbound {

namespace {

// The subset of `size` elements of {1 .. n} at lexicographic `rank`: each
// position takes the first candidate x whose completions C(n - x, s) still
// cover the remaining rank, skipping the completions of smaller candidates.
IndexVector UnrankSubset(int32_t n, int32_t size, int32_t rank) {
  IndexVector subset;
  int32_t last = 0;
  for (int32_t s = size - 1; s >= 0; --s) {
    int32_t x = last + 1;
    for (; x < n; ++x) {
      const int32_t completions = Binomial(n - x, s);
      if (rank < completions) break;
      rank = rank - completions;
    }
    subset.push_back(x);
    last = x;
  }
  return subset;
}

}  // namespace

IndexMatrix SubsetsBySize(int32_t n, int32_t m) {
  IndexMatrix subsets;
  for (int32_t size = 1; size <= m; ++size) {
    const int32_t count = Binomial(n, size);
    for (int32_t rank = 0; rank < count; ++rank) {
      subsets.push_back(UnrankSubset(n, size, rank));
    }
  }
  return subsets;
}

}  // namespace unionbound
