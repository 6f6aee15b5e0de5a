#include "sharp/exact_arithmetic.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace unionbound {

Rational ExactValue(double x) { return Rational(x); }

RationalVector ExactValues(const RealVector& v) {
  RationalVector out;
  out.reserve(v.size());
  for (double x : v) out.push_back(ExactValue(x));
  return out;
}

Rational HalfUlp(double x) {
  const double inf = std::numeric_limits<double>::infinity();
  const Rational here = ExactValue(x);
  Rational gap = 0;
  const double above = std::nextafter(x, inf);
  if (std::isfinite(above)) gap = ExactValue(above) - here;
  const double below = std::nextafter(x, -inf);
  if (std::isfinite(below)) {
    const Rational down = here - ExactValue(below);
    if (down > gap) gap = down;
  }
  return gap / 2;
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

namespace {

constexpr int kScaleBits = 1075;

// x = mantissa * 2^(exponent - 53) with |mantissa| < 2^53.
void Decompose(double x, int64_t* mantissa, int* exponent) {
  const double fraction = std::frexp(x, exponent);
  *mantissa = static_cast<int64_t>(std::ldexp(fraction, 53));
}

}  // namespace

void AddScaled(double x, mpz_class* sum) {
  if (x == 0.0) return;
  int64_t mantissa = 0;
  int exponent = 0;
  Decompose(x, &mantissa, &exponent);
  int shift = exponent - 53 + kScaleBits;
  // Subnormal inputs carry trailing zero bits that absorb a negative shift.
  while (shift < 0) {
    mantissa /= 2;
    ++shift;
  }
  mpz_class term(static_cast<long>(mantissa));
  mpz_mul_2exp(term.get_mpz_t(), term.get_mpz_t(),
               static_cast<mp_bitcnt_t>(shift));
  *sum += term;
}

void AddScaledHalfUlp(double x, mpz_class* sum) {
  int exponent = 0;
  if (x != 0.0) std::frexp(x, &exponent);
  // Half the larger neighbour gap is 2^(exponent - 54) for normal x and
  // 2^-1075 for zero and subnormal x.
  const int shift = x == 0.0 ? 0 : std::max(exponent - 54 + kScaleBits, 0);
  mpz_class term(1);
  mpz_mul_2exp(term.get_mpz_t(), term.get_mpz_t(),
               static_cast<mp_bitcnt_t>(shift));
  *sum += term;
}

Rational FromScaled(const mpz_class& sum) {
  mpz_class denominator(1);
  mpz_mul_2exp(denominator.get_mpz_t(), denominator.get_mpz_t(), kScaleBits);
  Rational q(sum, denominator);
  q.canonicalize();
  return q;
}

Rational ExactDot(const RationalVector& a, const RationalVector& b) {
  Rational s = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) s += a[i] * b[i];
  return s;
}

}  // namespace unionbound
