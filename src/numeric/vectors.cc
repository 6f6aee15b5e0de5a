#include "numeric/vectors.h"

#include <cstddef>
#include <ostream>

#include "numeric/library_messages.h"

namespace unionbound {

double ScalarProduct(const RealVector& a, const RealVector& b) {
  if (a.size() != b.size()) {
    LibraryMessages() << "Scalar product: wrong sizes!";
    return 0.0;
  }
  double s = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) s = a[i] * b[i] + s;
  return s;
}

int32_t ScalarProduct(const IndexVector& a, const IndexVector& b) {
  if (a.size() != b.size()) {
    LibraryMessages() << "Scalar product: wrong sizes!";
    return 0;
  }
  // Unsigned arithmetic wraps like a 32-bit register instead of overflowing
  // into undefined behaviour; the callers only add up small counts.
  uint32_t s = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    s = s + static_cast<uint32_t>(a[i]) * static_cast<uint32_t>(b[i]);
  }
  return static_cast<int32_t>(s);
}

RealVector CoordProduct(const RealVector& a, const RealVector& b) {
  if (a.size() != b.size()) {
    LibraryMessages() << "Coord product: wrong sizes!";
    return RealVector();
  }
  RealVector c;
  c.reserve(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) c.push_back(a[i] * b[i]);
  return c;
}

RealVector vectsum(const RealVector& a, const RealVector& b) {
  if (a.size() != b.size()) {
    LibraryMessages() << "wrong sizes of the vectors in vectsum";
    return RealVector();
  }
  RealVector c;
  c.reserve(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) c.push_back(a[i] + b[i]);
  return c;
}

RealVector ScaleVector(double c, const RealVector& v) {
  RealVector w;
  w.reserve(v.size());
  for (double x : v) w.push_back(c * x);
  return w;
}

RealVector DivideVector(double d, const RealVector& v) {
  RealVector w;
  w.reserve(v.size());
  for (double x : v) w.push_back(x / d);
  return w;
}

double IntPower(double x, int32_t k) {
  if (k < 0) {
    LibraryMessages() << "negative exponent does not yield integer"
                      << std::endl;
    return x;
  }
  if (k == 0 && x == 0.0) {
    LibraryMessages() << "zero^zero is not defined" << std::endl;
    return x;
  }
  // Repeated multiplication from the left fixes the rounding of the result.
  double r = 1.0;
  for (int32_t i = 0; i < k; ++i) r = r * x;
  return r;
}

RealVector IntPower(const RealVector& v, int32_t k) {
  RealVector w;
  w.reserve(v.size());
  for (double x : v) w.push_back(IntPower(x, k));
  return w;
}

RealVector MatrixVectorProduct(const RealMatrix& A, const RealVector& x) {
  RealVector y;
  y.reserve(A.size());
  for (const RealVector& row : A) y.push_back(ScalarProduct(row, x));
  return y;
}

}  // namespace unionbound
