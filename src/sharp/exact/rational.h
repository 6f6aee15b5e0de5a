// Exact rational arithmetic on doubles: their exact values and outward
// rounding back to double.
#ifndef UNIONBOUND_SHARP_EXACT_RATIONAL_H_
#define UNIONBOUND_SHARP_EXACT_RATIONAL_H_

#include <gmpxx.h>

#include <vector>

#include "numeric/vectors.h"

namespace unionbound::sharp {

using Rational = mpq_class;
using RationalVector = std::vector<Rational>;

// The exact value of a finite double.
Rational ExactValue(double x);

// The exact values of finite doubles.
RationalVector ExactValues(const RealVector& v);

// The largest double not above q and the smallest double not below q.
double RoundDown(const Rational& q);
double RoundUp(const Rational& q);

// The double nearest to q (ties broken towards the one below).
double RoundNearest(const Rational& q);

// a[i]*b[i] summed exactly; the lengths must agree.
Rational ExactDot(const RationalVector& a, const RationalVector& b);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_EXACT_RATIONAL_H_
