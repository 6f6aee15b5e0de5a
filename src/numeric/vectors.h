// Shared value types of unionbound and their element-wise operations.
//
// Every routine of the program holds its numbers in these sequences. The
// operations never modify their arguments and never fail hard: a fault in the
// arguments writes a fixed message to standard output and yields a fixed
// fallback value, so the caller can go on.
#ifndef UNIONBOUND_NUMERIC_VECTORS_H_
#define UNIONBOUND_NUMERIC_VECTORS_H_

#include <cstdint>
#include <limits>
#include <vector>

namespace unionbound {

using RealVector = std::vector<double>;
using IndexVector = std::vector<int32_t>;
using RealMatrix = std::vector<RealVector>;
// Rows may differ in length: subsequence pairs, index patterns, bases.
using IndexMatrix = std::vector<IndexVector>;

// The scoring function handed down to the inner optimisation: takes a point
// (one coordinate per subsequence) and returns its score.
using ScoringFunction = double (*)(RealVector);

// s = a[i]*b[i] + s over i in order. Lengths differ: writes
// "Scalar product: wrong sizes!" (no line end) and returns 0.0.
double ScalarProduct(const RealVector& a, const RealVector& b);
// Integer form, 32-bit arithmetic: s = s + a[i]*b[i]. Same message, returns 0.
int32_t ScalarProduct(const IndexVector& a, const IndexVector& b);

// c[i] = a[i]*b[i]. Lengths differ: "Coord product: wrong sizes!" (no line
// end) and an empty vector.
RealVector CoordProduct(const RealVector& a, const RealVector& b);

// c[i] = a[i] + b[i]. Lengths differ: "wrong sizes of the vectors in vectsum"
// (no line end) and an empty vector.
RealVector vectsum(const RealVector& a, const RealVector& b);

// w[i] = c*v[i].
RealVector ScaleVector(double c, const RealVector& v);

// w[i] = v[i]/d; d is not tested for zero.
RealVector DivideVector(double d, const RealVector& v);

// x to the power k by k left-to-right multiplications starting from 1.0.
// k < 0: writes "negative exponent does not yield integer" with line end and
// returns x. k = 0 and x = 0: writes "zero^zero is not defined" with line end
// and returns x.
double IntPower(double x, int32_t k);
// Element-wise form; the result always has the length of v.
RealVector IntPower(const RealVector& v, int32_t k);

// v[index], or NaN when the index lies outside v (a failed lookup gives -1):
// a missing value enters the sums as NaN, so the result shows that it is
// unusable, instead of reading outside v.
inline double ElementOrNaN(const RealVector& v, int64_t index) {
  if (index < 0 || index >= static_cast<int64_t>(v.size())) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return v[static_cast<std::size_t>(index)];
}

// y[i] = ScalarProduct(A[i], x) for every row of A, in row order.
RealVector MatrixVectorProduct(const RealMatrix& A, const RealVector& x);

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_VECTORS_H_
