#include "optim/basis_families.h"

#include <cstddef>

#include "optim/subset_enumeration.h"

namespace unionbound {

namespace {

// Spreads a subset out into disjoint pairs of consecutive point numbers:
// S[i] + i, S[i] + i + 1 for every i, appended to member.
void AppendPairs(const IndexVector& subset, IndexVector& member) {
  for (size_t i = 0; i < subset.size(); ++i) {
    const int32_t shift = static_cast<int32_t>(i);
    member.push_back(subset[i] + shift);
    member.push_back(subset[i] + shift + 1);
  }
}

// One member per k-subset of range, in the order of KSubsets: the lead
// (none or one point), the pairs, then the closing points (none or one).
std::vector<IndexVector> SpreadSubsets(const IndexVector& range, int32_t k,
                                       const IndexVector& lead,
                                       const IndexVector& end) {
  std::vector<IndexVector> members;
  for (const IndexVector& subset : KSubsets(range, k)) {
    IndexVector member = lead;
    AppendPairs(subset, member);
    member.insert(member.end(), end.begin(), end.end());
    members.push_back(member);
  }
  return members;
}

}  // namespace

std::vector<IndexVector> PairBases(int32_t N, int32_t lo, int32_t hi) {
  const int32_t diff = hi - lo;
  const int32_t size = diff + 1;
  if (size % 2 == 0) {
    const int32_t k = size / 2;
    return SpreadSubsets(Range(lo, N - k), k, {}, {});
  }
  const int32_t k = diff / 2;
  return SpreadSubsets(Range(lo + 1, N - k), k, {lo}, {});
}

std::vector<IndexVector> PairBasesWithEnd(int32_t N, int32_t lo, int32_t hi) {
  const int32_t diff = hi - lo;
  const int32_t size = diff + 1;
  if (size % 2 == 0) {
    const int32_t k = (diff - 1) / 2;
    return SpreadSubsets(Range(lo + 1, N - k - 1), k, {lo}, {N});
  }
  const int32_t k = diff / 2;
  return SpreadSubsets(Range(lo, N - k - 1), k, {}, {N});
}

}  // namespace unionbound
