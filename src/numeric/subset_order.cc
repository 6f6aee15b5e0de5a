#include "numeric/subset_order.h"

#include <cstddef>
#include <limits>

namespace unionbound {

namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

}  // namespace

int32_t Binomial(int32_t n, int32_t k) {
  if (n < 0 || k < 0 || k > n) return 0;
  if (k > n - k) k = n - k;  // C(n, k) = C(n, n - k): fewer steps
  // After step c the value is C(n - k + c, c): every division is exact and
  // the values only grow, so the first one beyond the range settles it, and
  // up to then each product stays below 2^62.
  int64_t b = 1;
  for (int64_t c = 1; c <= k; ++c) {
    b = ((int64_t{n} - k + c) * b) / c;
    if (b > kInt32Max) return -1;
  }
  return static_cast<int32_t>(b);
}

int32_t ProbabilityCount(int32_t n, int32_t m) {
  int64_t total = 0;
  for (int32_t i = 1; i <= m && i <= n; ++i) {
    const int64_t c = Binomial(n, i);
    if (c < 0 || int64_t{n} + i > kInt32Max || i * c > kInt32Max) return -1;
    total += c;
    if (total > kInt32Max) return -1;
  }
  return static_cast<int32_t>(total);
}

bool ProbabilityCountFits(int32_t n, int32_t m) {
  return ProbabilityCount(n, m) >= 0;
}

IndexVector FirstSubset(int32_t size) {
  IndexVector subset;
  for (int32_t x = 1; x <= size; ++x) subset.push_back(x);
  return subset;
}

IndexVector UnrankSubset(int32_t n, int32_t size, int32_t rank) {
  // Each position takes the first candidate x whose completions C(n - x, s)
  // still cover the remaining rank, skipping the completions of smaller
  // candidates.
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

int64_t SubsetPosition(const IndexVector& subset, int32_t n) {
  const int32_t k = static_cast<int32_t>(subset.size());
  int64_t position = 0;
  for (int32_t size = 1; size < k; ++size) position += Binomial(n, size);
  int32_t last = 0;
  for (int32_t i = 0; i < k; ++i) {
    const int32_t element = subset[static_cast<size_t>(i)];
    for (int32_t x = last + 1; x < element; ++x) {
      position += Binomial(n - x, k - 1 - i);
    }
    last = element;
  }
  return position;
}

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
