#include "problem/power_moments.h"

#include <cstddef>

#include "numeric/labels.h"

namespace unionbound {

namespace {

// 32-bit product that wraps instead of overflowing into undefined behaviour;
// the entries in use (m <= 11) never come near the limit.
int32_t Multiply(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) *
                              static_cast<uint32_t>(b));
}

int32_t Add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) +
                              static_cast<uint32_t>(b));
}

// Column c of the row of the single label {{d},{e}}: S(e,e')*e'! when the
// column is {{d},{e'}}.
double SingleEntry(const LabelParts& r, const LabelParts& c) {
  if (c.shape != LabelShape::kSingle || c.d1 != r.d1) return 0.0;
  const int32_t e = r.e1;
  const int32_t e_col = c.e1;
  return Multiply(StirlingNumber(e, e_col), Factorial(e_col));
}

// Column c of the row of the mixed label {{d1,d2},{e1,e2}}: the product of
// the conversions in both subsequences when the column has the same pair.
double PairEntry(const LabelParts& r, const LabelParts& c) {
  if (c.shape != LabelShape::kPair || c.d1 != r.d1 || c.d2 != r.d2) {
    return 0.0;
  }
  const int32_t e1 = r.e1;
  const int32_t e2 = r.e2;
  const int32_t e1_col = c.e1;
  const int32_t e2_col = c.e2;
  return Multiply(
      Multiply(Multiply(StirlingNumber(e2, e2_col), StirlingNumber(e1, e1_col)),
               Factorial(e2_col)),
      Factorial(e1_col));
}

RealVector ConversionRow(const LabelList& labels, std::size_t r) {
  const LabelParts parts = PartsOf(labels[r]);
  RealVector row = {0.0};
  for (std::size_t c = 1; c < labels.size(); ++c) {
    if (parts.shape == LabelShape::kSingle) {
      row.push_back(SingleEntry(parts, PartsOf(labels[c])));
    } else if (parts.shape == LabelShape::kPair) {
      row.push_back(PairEntry(parts, PartsOf(labels[c])));
    } else {
      row.push_back(0.0);
    }
  }
  return row;
}

}  // namespace

int32_t StirlingNumber(int32_t n, int32_t k) {
  if (k == n) return 1;
  if (k <= 0) return 0;  // a negative k would recurse without end
  if (n < k) return 0;
  // Table of S(i, j) for i <= n, j <= k, filled by the recurrence
  // S(i,j) = S(i-1,j-1) + j*S(i-1,j) with the same base cases.
  const std::size_t rows = static_cast<std::size_t>(n) + 1;
  const std::size_t cols = static_cast<std::size_t>(k) + 1;
  std::vector<IndexVector> S(rows, IndexVector(cols, 0));
  for (std::size_t i = 0; i < rows; ++i) {
    for (std::size_t j = 0; j < cols; ++j) {
      if (j == i) {
        S[i][j] = 1;
      } else if (j == 0 || i < j) {
        S[i][j] = 0;
      } else if (j == 1) {
        S[i][j] = 1;
      } else {
        S[i][j] = Add(S[i - 1][j - 1],
                      Multiply(static_cast<int32_t>(j), S[i - 1][j]));
      }
    }
  }
  return S[rows - 1][cols - 1];
}

int32_t Factorial(int32_t k) {
  int32_t r = 1;
  for (int32_t i = 1; i < k + 0.5; ++i) r = Multiply(r, i);
  return r;
}

RealMatrix PowerMomentMatrix(int32_t m, const IndexMatrix& pairs,
                             const IndexVector& maxOrders) {
  const LabelList labels = VariableIndexList(m, pairs, maxOrders);
  RealMatrix M;
  RealVector constant_row(labels.size(), 0.0);
  constant_row[0] = 1.0;
  M.push_back(constant_row);
  for (std::size_t r = 1; r < labels.size(); ++r) {
    M.push_back(ConversionRow(labels, r));
  }
  return M;
}

}  // namespace unionbound
