#include "reference/moment_matrix.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "numeric/labels.h"
#include "numeric/subset_order.h"

namespace unionbound::reference {

namespace {

// E[row][col], or NaN when the table has no such entry.
double PointValue(const RealMatrix& E, int64_t row, int64_t col) {
  if (row < 0 || row >= static_cast<int64_t>(E.size())) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return ElementOrNaN(E[static_cast<std::size_t>(row)], col);
}

// For every pair label from position `first` on, the value of its point in
// subsequence d: the first order if d is the pair's first subsequence, else
// the second order if d is its second, else 0.0.
RealVector ValuesInSubsequence(const RealMatrix& E, const LabelList& labels,
                               std::size_t first, int32_t d) {
  RealVector values;
  for (std::size_t t = first; t < labels.size(); ++t) {
    const LabelParts label = PartsOf(labels[t]);
    if (label.d1 == d) {
      values.push_back(PointValue(E, int64_t{d} - 1, label.e1));
    } else if (label.d2 == d) {
      values.push_back(PointValue(E, int64_t{d} - 1, label.e2));
    } else {
      values.push_back(0.0);
    }
  }
  return values;
}

// Appends the rows of the block of pair labels at positions t0 .. t0+G-1 (or
// up to the end of the list): U^e1 * V^e2 element-wise, U and V holding the
// block's point values in its two subsequences and zeros elsewhere.
void AppendPairBlock(const RealMatrix& E, const LabelList& labels,
                     std::size_t first, std::size_t t0, std::size_t G,
                     RealMatrix& M) {
  const std::size_t P = labels.size() - first;
  const std::size_t end = t0 + G < labels.size() ? t0 + G : labels.size();
  const int32_t d1 = PartsOf(labels[t0]).d1;
  const int32_t d2 = PartsOf(labels[t0]).d2;
  RealVector U(P, 0.0);
  RealVector V(P, 0.0);
  for (std::size_t t = t0; t < end; ++t) {
    const LabelParts label = PartsOf(labels[t]);
    U[t - first] = PointValue(E, int64_t{d1} - 1, label.e1);
    V[t - first] = PointValue(E, int64_t{d2} - 1, label.e2);
  }
  for (std::size_t t = t0; t < end; ++t) {
    const LabelParts label = PartsOf(labels[t]);
    M.push_back(CoordProduct(IntPower(U, label.e1), IntPower(V, label.e2)));
  }
}

}  // namespace

RealMatrix MomentMatrix(const RealMatrix& E, const LabelList& labels,
                        const IndexVector& B, int32_t K) {
  const int32_t S = ScalarProduct(B, IndexVector(B.size(), 1));
  // Pair labels start right behind the constant and the S single labels.
  const std::size_t first =
      S < 0 ? labels.size()
            : std::min(labels.size(), static_cast<std::size_t>(S) + 1);
  const std::size_t P = labels.size() - first;

  RealMatrix M;
  M.push_back(RealVector(P, 1.0));
  for (std::size_t i = 0; i < B.size(); ++i) {
    const RealVector R =
        ValuesInSubsequence(E, labels, first, static_cast<int32_t>(i) + 1);
    for (int32_t k = 1; k <= B[i]; ++k) M.push_back(IntPower(R, k));
  }

  const int32_t G = Binomial(K, 2);
  if (G <= 0) return M;
  for (std::size_t t0 = first; t0 < labels.size();
       t0 += static_cast<std::size_t>(G)) {
    AppendPairBlock(E, labels, first, t0, static_cast<std::size_t>(G), M);
  }
  return M;
}

}  // namespace unionbound::reference
