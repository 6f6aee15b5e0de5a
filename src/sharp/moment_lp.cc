#include "sharp/moment_lp.h"

#include <cstddef>

#include "numeric/label_parts.h"
#include "problem/labels.h"

namespace unionbound {
namespace {

// Index of the label that holds orders (e1, e2) of the two subsequences, or
// -1 when the label list has none.
std::vector<IndexVector> LabelIndexByOrders(const LabelList& labels,
                                            int32_t m) {
  std::vector<IndexVector> index(m + 1, IndexVector(m + 1, -1));
  for (size_t t = 0; t < labels.size(); ++t) {
    const LabelParts parts = PartsOf(labels[t]);
    if (parts.shape == LabelShape::kOther) continue;
    int32_t e1 = 0;  // the constant {{0},{0}} keeps both orders 0
    int32_t e2 = 0;
    if (parts.shape == LabelShape::kPair) {
      e1 = parts.e1;
      e2 = parts.e2;
    } else if (parts.d1 != 0) {
      (parts.d1 == 1 ? e1 : e2) = parts.e1;
    }
    if (e1 <= m && e2 <= m) index[e1][e2] = static_cast<int32_t>(t);
  }
  return index;
}

MomentLp EmptyLp(size_t rows) {
  MomentLp lp;
  lp.coefficients.assign(rows, {});
  lp.moments.assign(rows, Rational(0));
  lp.allowance.assign(rows, Rational(0));
  lp.moments[0] = 1;
  return lp;
}

// Right-hand sides and allowances of the rows, summed exactly in scaled
// integers.
struct ScaledSums {
  std::vector<mpz_class> moments;
  std::vector<mpz_class> allowance;
};

ScaledSums EmptySums(size_t rows) {
  return {std::vector<mpz_class>(rows), std::vector<mpz_class>(rows)};
}

void AddToRow(size_t row, double x, ScaledSums* sums) {
  AddScaled(x, &sums->moments[row]);
  AddScaledHalfUlp(x, &sums->allowance[row]);
}

// Rows 1 onwards; row 0 keeps its constant 1.
void StoreSums(const ScaledSums& sums, MomentLp* lp) {
  for (size_t t = 1; t < sums.moments.size(); ++t) {
    lp->moments[t] = FromScaled(sums.moments[t]);
    lp->allowance[t] = FromScaled(sums.allowance[t]);
  }
}

}  // namespace

mpz_class ExactBinomial(int32_t a, int32_t b) {
  if (a < 0 || b < 0 || b > a) return 0;
  mpz_class r;
  mpz_bin_uiui(r.get_mpz_t(), static_cast<unsigned long>(a),
               static_cast<unsigned long>(b));
  return r;
}

size_t RowCount(const MomentLp& lp) { return lp.coefficients.size(); }

size_t ColumnCount(const MomentLp& lp) { return lp.inUnion.size(); }

MomentLp UnivariateLp(const RealVector& p, const IndexMatrix& subsets,
                      int32_t n, int32_t m) {
  const int32_t top = m < n ? m : n;
  MomentLp lp = EmptyLp(static_cast<size_t>(top) + 1);
  for (int32_t j = 0; j <= top; ++j) {
    for (int32_t k = 0; k <= n; ++k) {
      lp.coefficients[j].push_back(ExactBinomial(k, j));
    }
  }
  for (int32_t k = 0; k <= n; ++k) lp.inUnion.push_back(k >= 1 ? 1 : 0);
  ScaledSums sums = EmptySums(RowCount(lp));
  for (size_t u = 0; u < subsets.size() && u < p.size(); ++u) {
    const size_t size = subsets[u].size();
    if (size < 1 || size > static_cast<size_t>(top)) continue;
    AddToRow(size, p[u], &sums);
  }
  StoreSums(sums, &lp);
  return lp;
}

MomentLp BivariateLp(const RealVector& p, const IndexMatrix& subsets, int32_t n,
                     int32_t l, int32_t m) {
  const LabelList labels = VariableIndexList(m, {{1, 2}}, {m, m});
  const std::vector<IndexVector> rowOf = LabelIndexByOrders(labels, m);
  MomentLp lp = EmptyLp(labels.size());
  const int32_t width = n - l + 1;
  for (int32_t e1 = 0; e1 <= m; ++e1) {
    for (int32_t e2 = 0; e2 <= m; ++e2) {
      const int32_t t = rowOf[e1][e2];
      if (t < 0) continue;
      for (int32_t i = 0; i <= l; ++i) {
        const mpz_class first = ExactBinomial(i, e1);
        for (int32_t j = 0; j < width; ++j) {
          lp.coefficients[t].push_back(first * ExactBinomial(j, e2));
        }
      }
    }
  }
  for (size_t t = 0; t < labels.size(); ++t) {
    // A label this routine does not know gives an all-zero row with a zero
    // right-hand side, as its binomial moment is 0.
    if (lp.coefficients[t].empty()) {
      lp.coefficients[t].assign(static_cast<size_t>(l + 1) * width, 0);
    }
  }
  for (int32_t i = 0; i <= l; ++i) {
    for (int32_t j = 0; j < width; ++j) {
      lp.inUnion.push_back(i + j >= 1 ? 1 : 0);
    }
  }
  ScaledSums sums = EmptySums(RowCount(lp));
  for (size_t u = 0; u < subsets.size() && u < p.size(); ++u) {
    int32_t c1 = 0;
    for (int32_t x : subsets[u]) c1 += x <= l ? 1 : 0;
    const int32_t c2 = static_cast<int32_t>(subsets[u].size()) - c1;
    if (c1 > m || c2 > m) continue;
    const int32_t t = rowOf[c1][c2];
    if (t <= 0) continue;
    AddToRow(t, p[u], &sums);
  }
  StoreSums(sums, &lp);
  return lp;
}

}  // namespace unionbound
