#include "sharp/exact/rational.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace unionbound::sharp {

Rational ExactValue(double x) { return Rational(x); }

RationalVector ExactValues(const RealVector& v) {
  RationalVector out;
  out.reserve(v.size());
  for (double x : v) out.push_back(ExactValue(x));
  return out;
}

// mpq_get_d truncates towards zero, so the result is at most one step away
// from the wanted side.
double RoundDown(const Rational& q) {
  double d = q.get_d();
  if (ExactValue(d) > q) {
    d = std::nextafter(d, -std::numeric_limits<double>::infinity());
  }
  return d;
}

double RoundUp(const Rational& q) {
  double d = q.get_d();
  if (ExactValue(d) < q) {
    d = std::nextafter(d, std::numeric_limits<double>::infinity());
  }
  return d;
}

double RoundNearest(const Rational& q) {
  const double down = RoundDown(q);
  const double up = RoundUp(q);
  if (down == up) return down;
  return (ExactValue(up) - q < q - ExactValue(down)) ? up : down;
}

Rational ExactDot(const RationalVector& a, const RationalVector& b) {
  Rational s = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) s += a[i] * b[i];
  return s;
}

}  // namespace unionbound::sharp
