#include "sharp/exact/outward_format.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "sharp/exact/decimal.h"

namespace unionbound::sharp {
namespace {

Rational PowerOfTen(long e) {
  mpz_class p;
  mpz_ui_pow_ui(p.get_mpz_t(), 10, static_cast<unsigned long>(std::labs(e)));
  return e >= 0 ? Rational(p) : Rational(mpz_class(1), p);
}

// The exponent e with 10^e <= q < 10^(e+1), for q > 0.
long DecimalExponent(const Rational& q) {
  const double d = q.get_d();
  long e = (d > 0 && std::isfinite(d))
               ? static_cast<long>(std::floor(std::log10(d)))
               : static_cast<long>(mpz_sizeinbase(q.get_num_mpz_t(), 10)) -
                     static_cast<long>(mpz_sizeinbase(q.get_den_mpz_t(), 10));
  while (PowerOfTen(e) > q) --e;
  while (PowerOfTen(e + 1) <= q) ++e;
  return e;
}

std::string ExponentText(long e) {
  std::string digits = std::to_string(std::labs(e));
  if (digits.size() < 2) digits = "0" + digits;
  return std::string(e < 0 ? "e-" : "e+") + digits;
}

}  // namespace

std::string FormatOutward(const Rational& q, int digits, Rounding rounding) {
  if (sgn(q) == 0) return "0";
  const bool negative = sgn(q) < 0;
  const Rational magnitude = abs(q);
  // Rounding the magnitude away from zero moves a negative number down.
  const bool away = (rounding == Rounding::kUp) != negative;
  long e = DecimalExponent(magnitude);
  const Rational scaled = magnitude * PowerOfTen(digits - 1 - e);
  mpz_class units;
  if (away) {
    mpz_cdiv_q(units.get_mpz_t(), scaled.get_num_mpz_t(),
               scaled.get_den_mpz_t());
  } else {
    mpz_fdiv_q(units.get_mpz_t(), scaled.get_num_mpz_t(),
               scaled.get_den_mpz_t());
  }
  std::string text = units.get_str();
  if (static_cast<int>(text.size()) > digits) {  // rounded up to 10^digits
    ++e;
    text.pop_back();
  }
  std::string out;
  if (e < -4) {
    out = text.substr(0, 1) + "." + text.substr(1) + ExponentText(e);
  } else if (e < 0) {
    out = "0." + std::string(static_cast<size_t>(-e - 1), '0') + text;
  } else if (e + 1 >= digits) {
    out = text + std::string(static_cast<size_t>(e + 1 - digits), '0');
  } else {
    out = text.substr(0, static_cast<size_t>(e + 1)) + "." +
          text.substr(static_cast<size_t>(e + 1));
  }
  return negative ? "-" + out : out;
}

std::string FormatOutward(double x, int digits, Rounding rounding) {
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
  return FormatOutward(ExactValue(x), digits, rounding);
}

double OutwardDouble(const Rational& exact, bool up) {
  return up ? RoundUp(exact) : RoundDown(exact);
}

double OutwardDouble(const std::string& decimal, bool up) {
  Rational exact;
  if (!ParseExactDecimal(decimal, &exact)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return OutwardDouble(exact, up);
}

}  // namespace unionbound::sharp
