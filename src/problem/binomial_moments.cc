#include "problem/binomial_moments.h"

#include <cstddef>

#include "problem/labels.h"
#include "problem/subsets_by_size.h"

namespace unionbound {

namespace {

// Event x lies in the block of subsequence d: (d-1)*l < x <= d*l. The block
// of subsequence 2 is open above (it holds every event after l) when
// `open_second` is set.
bool InBlock(int32_t x, int32_t d, int32_t l, bool open_second) {
  if (x <= (d - 1) * l) return false;
  if (open_second && d == 2) return true;
  return x <= d * l;
}

// Whole subsets are tested by their smallest and largest event.
bool SubsetInBlock(const IndexVector& subset, int32_t d, int32_t l) {
  if (subset.empty()) return false;
  if (subset.front() <= (d - 1) * l) return false;
  if (d == 2) return true;
  return subset.back() <= d * l;
}

int32_t CountInBlock(const IndexVector& subset, int32_t d, int32_t l,
                     bool open_second) {
  int32_t count = 0;
  for (int32_t x : subset) {
    if (InBlock(x, d, l, open_second)) ++count;
  }
  return count;
}

bool IsSingleLabel(const Label& label) {
  return label.size() == 2 && label[0].size() == 1 && label[1].size() == 1;
}

bool IsPairLabel(const Label& label) {
  return label.size() == 2 && label[0].size() == 2 && label[1].size() == 2;
}

bool MatchesSingle(const IndexVector& subset, const Label& label, int32_t l) {
  const int32_t d = label[0][0];
  const int32_t e = label[1][0];
  return static_cast<int64_t>(subset.size()) == e &&
         SubsetInBlock(subset, d, l);
}

// The first subsequence's block is always closed; the second's is open when
// it is subsequence 2.
bool MatchesPair(const IndexVector& subset, const Label& label, int32_t l) {
  const int32_t d1 = label[0][0];
  const int32_t d2 = label[0][1];
  const int32_t e1 = label[1][0];
  const int32_t e2 = label[1][1];
  if (static_cast<int64_t>(subset.size()) != int64_t{e1} + e2) return false;
  return CountInBlock(subset, d1, l, false) == e1 &&
         CountInBlock(subset, d2, l, true) == e2;
}

bool Matches(const IndexVector& subset, const Label& label, int32_t l) {
  if (IsSingleLabel(label)) return MatchesSingle(subset, label, l);
  if (IsPairLabel(label)) return MatchesPair(subset, label, l);
  return false;
}

}  // namespace

RealVector BinomialMoments(const RealVector& p, int32_t n, int32_t l, int32_t m,
                           const IndexMatrix& pairs,
                           const IndexVector& maxOrders) {
  const IndexMatrix subsets = SubsetsBySize(n, m);
  const LabelList labels = VariableIndexList(m, pairs, maxOrders);

  RealVector b = {1.0};
  for (std::size_t t = 1; t < labels.size(); ++t) {
    double s = 0.0;
    // A probability vector shorter than the subset list adds nothing for
    // the missing subsets.
    for (std::size_t u = 0; u < subsets.size() && u < p.size(); ++u) {
      if (Matches(subsets[u], labels[t], l)) s = s + p[u];
    }
    b.push_back(s);
  }
  return b;
}

}  // namespace unionbound
