// Exact rational arithmetic on the input doubles: exact sums, the half-unit
// rounding allowance of a double, and outward rounding back to double.
#ifndef UNIONBOUND_SHARP_EXACT_ARITHMETIC_H_
#define UNIONBOUND_SHARP_EXACT_ARITHMETIC_H_

#include <gmpxx.h>

#include <vector>

#include "numeric/vectors.h"

namespace unionbound {

using Rational = mpq_class;
using RationalVector = std::vector<Rational>;

// The exact value of a finite double.
Rational ExactValue(double x);

// The exact values of finite doubles.
RationalVector ExactValues(const RealVector& v);

// Half the larger gap between x and its two neighbouring doubles: how far
// the true value of a correctly rounded input can lie from x. x is finite.
Rational HalfUlp(double x);

// The largest double not above q and the smallest double not below q.
double RoundDown(const Rational& q);
double RoundUp(const Rational& q);

// The double nearest to q (ties broken towards the one below).
double RoundNearest(const Rational& q);

// Exact sums of many doubles, kept as integer multiples of 2^-1075 (every
// double and every half-ulp is one), so adding costs no fraction arithmetic.
void AddScaled(double x, mpz_class* sum);         // sum += x * 2^1075
void AddScaledHalfUlp(double x, mpz_class* sum);  // sum += HalfUlp(x) * 2^1075
Rational FromScaled(const mpz_class& sum);        // sum / 2^1075

// a[i]*b[i] summed exactly; the lengths must agree.
Rational ExactDot(const RationalVector& a, const RationalVector& b);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_EXACT_ARITHMETIC_H_
