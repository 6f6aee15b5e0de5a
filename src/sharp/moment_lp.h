// The moment linear programs of the sharp bounds: over all distributions on
// a finite grid of points whose binomial moments equal the ones the data
// give, the smallest and the largest probability that some event occurs.
#ifndef UNIONBOUND_SHARP_MOMENT_LP_H_
#define UNIONBOUND_SHARP_MOMENT_LP_H_

#include <gmpxx.h>

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/exact_arithmetic.h"

namespace unionbound {

// Equality form: sum_k coefficients[t][k] x_k = moments[t] for every row t,
// x >= 0; the objective is sum_k inUnion[k] x_k. Row 0 is the constant
// moment: all ones, right-hand side 1.
struct MomentLp {
  std::vector<std::vector<mpz_class>> coefficients;  // [row][column]
  RationalVector moments;    // exact sums of the input doubles
  RationalVector allowance;  // how far rounding the inputs may move a row
  IndexVector inUnion;       // 1 where the point has an occurring event
};

// Distribution of X = X1 + X2 on 0 .. n; rows S0 = 1, S1 .. Smin(m,n).
MomentLp UnivariateLp(const RealVector& p, const IndexMatrix& subsets,
                      int32_t n, int32_t m);

// Distribution of (X1, X2) on {0 .. l} x {0 .. n-l}, point (i, j) in column
// i*(n-l+1) + j; one row per label of VariableIndexList(m, {{1,2}}, {m,m}),
// in that order.
MomentLp BivariateLp(const RealVector& p, const IndexMatrix& subsets, int32_t n,
                     int32_t l, int32_t m);

// The exact binomial coefficient C(a, b); 0 when b > a or b < 0.
mpz_class ExactBinomial(int32_t a, int32_t b);

size_t RowCount(const MomentLp& lp);
size_t ColumnCount(const MomentLp& lp);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_MOMENT_LP_H_
