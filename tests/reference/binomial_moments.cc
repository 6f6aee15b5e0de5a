#include "reference/binomial_moments.h"

#include <cstddef>

#include "numeric/labels.h"
#include "numeric/subset_order.h"

namespace unionbound::reference {

namespace {

// Event x lies in the block of subsequence d: (d-1)*l < x <= d*l, the block
// of subsequence 2 open above when `openSecond` is set.
bool InBlock(int32_t x, int32_t d, int32_t l, bool openSecond) {
  return x > (d - 1) * l && ((openSecond && d == 2) || x <= d * l);
}

int32_t CountInBlock(const IndexVector& subset, int32_t d, int32_t l,
                     bool openSecond) {
  int32_t count = 0;
  for (int32_t x : subset) count += InBlock(x, d, l, openSecond) ? 1 : 0;
  return count;
}

// A single label {{d},{e}}: e events, all in the block of d (open above for
// subsequence 2). A pair label {{d1,d2},{e1,e2}}: e1 + e2 events, e1 in the
// closed block of d1 and e2 in the block of d2.
bool Matches(const IndexVector& subset, const Label& label, int32_t l) {
  const int32_t size = static_cast<int32_t>(subset.size());
  if (label[0].size() == 1) {
    return size == label[1][0] &&
           CountInBlock(subset, label[0][0], l, true) == size;
  }
  return size == label[1][0] + label[1][1] &&
         CountInBlock(subset, label[0][0], l, false) == label[1][0] &&
         CountInBlock(subset, label[0][1], l, true) == label[1][1];
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
    for (std::size_t u = 0; u < subsets.size() && u < p.size(); ++u) {
      if (Matches(subsets[u], labels[t], l)) s = s + p[u];
    }
    b.push_back(s);
  }
  return b;
}

}  // namespace unionbound::reference
