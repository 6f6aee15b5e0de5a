// A straightforward form of the moment programs for tests: the moments
// summed directly from their definition, the dense matrix, and the optimum
// found by visiting every basis (every choice of as many columns as rows).
// Only for tiny programs.
#ifndef UNIONBOUND_TESTS_SHARP_REFERENCE_DENSE_MOMENT_PROGRAM_H_
#define UNIONBOUND_TESTS_SHARP_REFERENCE_DENSE_MOMENT_PROGRAM_H_

#include <gmpxx.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/exact/rational.h"
#include "sharp/moments/grid_program.h"

namespace unionbound::sharp {

struct DenseProgram {
  std::vector<RationalVector> rows;  // [row][column]
  RationalVector rhs;
  IndexVector count;  // per column: how many events occur
};

inline Rational ReferenceBinomial(int32_t a, int32_t b) {
  if (b < 0 || b > a) return 0;
  Rational r = 1;
  for (int32_t k = 1; k <= b; ++k) r = r * (a - b + k) / k;
  return r;
}

// Points (i, j) on {0 .. l} x {0 .. n - l}; one row per pair of orders
// (e1, e2) with e1 + e2 <= m (in the order e1 + e2, then e1 descending);
// the moment of (e1, e2) adds every subset with e1 members in 1 .. l and e2
// after.
inline DenseProgram DenseBivariate(const RationalVector& p,
                                   const IndexMatrix& subsets, int32_t n,
                                   int32_t l, int32_t m) {
  DenseProgram d;
  for (int32_t k = 0; k <= m; ++k) {
    for (int32_t e1 = k; e1 >= 0; --e1) {
      const int32_t e2 = k - e1;
      RationalVector row;
      for (int32_t i = 0; i <= l; ++i) {
        for (int32_t j = 0; j <= n - l; ++j) {
          row.push_back(ReferenceBinomial(i, e1) * ReferenceBinomial(j, e2));
        }
      }
      d.rows.push_back(row);
      Rational b = k == 0 ? 1 : 0;
      for (size_t u = 0; u < subsets.size(); ++u) {
        int32_t first = 0;
        for (int32_t x : subsets[u]) first += x <= l ? 1 : 0;
        const int32_t size = static_cast<int32_t>(subsets[u].size());
        if (k > 0 && first == e1 && size - first == e2) b += p[u];
      }
      d.rhs.push_back(b);
    }
  }
  for (int32_t i = 0; i <= l; ++i) {
    for (int32_t j = 0; j <= n - l; ++j) d.count.push_back(i + j);
  }
  return d;
}

// The distribution of the count: q_0 .. q_n, one row per order k <= m,
// sum over i of C(i, k) q_i = the sum of the subsets of size k.
inline DenseProgram DenseUnivariate(const RationalVector& p,
                                    const IndexMatrix& subsets, int32_t n,
                                    int32_t m) {
  DenseProgram d;
  for (int32_t k = 0; k <= m && k <= n; ++k) {
    RationalVector row;
    for (int32_t i = 0; i <= n; ++i) row.push_back(ReferenceBinomial(i, k));
    d.rows.push_back(row);
    Rational b = k == 0 ? 1 : 0;
    for (size_t u = 0; u < subsets.size(); ++u) {
      if (k > 0 && static_cast<int32_t>(subsets[u].size()) == k) b += p[u];
    }
    d.rhs.push_back(b);
  }
  for (int32_t i = 0; i <= n; ++i) d.count.push_back(i);
  return d;
}

// x with B x = b for the chosen columns, or nothing when singular.
inline std::optional<RationalVector> SolveBasis(
    const DenseProgram& d, const std::vector<size_t>& cols) {
  const size_t r = d.rows.size();
  std::vector<RationalVector> a(r, RationalVector(r + 1));
  for (size_t t = 0; t < r; ++t) {
    for (size_t c = 0; c < r; ++c) a[t][c] = d.rows[t][cols[c]];
    a[t][r] = d.rhs[t];
  }
  for (size_t c = 0; c < r; ++c) {
    size_t pivot = c;
    while (pivot < r && sgn(a[pivot][c]) == 0) ++pivot;
    if (pivot == r) return std::nullopt;
    std::swap(a[pivot], a[c]);
    for (size_t t = 0; t < r; ++t) {
      if (t == c || sgn(a[t][c]) == 0) continue;
      const Rational f = a[t][c] / a[c][c];
      for (size_t k = c; k <= r; ++k) a[t][k] -= f * a[c][k];
    }
  }
  RationalVector x(r);
  for (size_t c = 0; c < r; ++c) x[c] = a[c][r] / a[c][c];
  return x;
}

struct DenseOptimum {
  bool feasible = false;
  Rational lower;  // smallest probability of the target over the vertices
  Rational upper;
};

struct DenseVertex {
  std::vector<size_t> columns;
  RationalVector x;
};

// Every basic solution with x >= 0; the rows must be linearly independent.
inline std::vector<DenseVertex> FeasibleVertices(const DenseProgram& d) {
  std::vector<DenseVertex> out;
  const size_t r = d.rows.size();
  const size_t columns = d.count.size();
  std::vector<size_t> cols(r);
  for (size_t c = 0; c < r; ++c) cols[c] = c;
  while (true) {
    if (const auto x = SolveBasis(d, cols)) {
      bool nonnegative = true;
      for (size_t c = 0; c < r; ++c) {
        nonnegative = nonnegative && sgn((*x)[c]) >= 0;
      }
      if (nonnegative) out.push_back({cols, *x});
    }
    size_t k = r;
    while (k > 0 && cols[k - 1] == columns - r + k - 1) --k;
    if (k == 0) return out;
    ++cols[k - 1];
    for (size_t c = k; c < r; ++c) cols[c] = cols[c - 1] + 1;
  }
}

// The least and largest probability of the target (the union by default)
// over the vertices.
inline DenseOptimum OptimumOver(const DenseProgram& d,
                                const std::vector<DenseVertex>& vertices,
                                const CountTarget& target = {}) {
  DenseOptimum best;
  for (const DenseVertex& v : vertices) {
    Rational value = 0;
    for (size_t c = 0; c < v.columns.size(); ++c) {
      if (Counts(target, d.count[v.columns[c]])) value += v.x[c];
    }
    if (!best.feasible || value < best.lower) best.lower = value;
    if (!best.feasible || value > best.upper) best.upper = value;
    best.feasible = true;
  }
  return best;
}

inline DenseOptimum SolveByVertices(const DenseProgram& d,
                                    const CountTarget& target = {}) {
  return OptimumOver(d, FeasibleVertices(d), target);
}

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_TESTS_SHARP_REFERENCE_DENSE_MOMENT_PROGRAM_H_
