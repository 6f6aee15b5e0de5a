// Decimal numbers as typed, read exactly: a sign, digits with an optional
// point and an optional exponent.
#ifndef UNIONBOUND_SHARP_EXACT_DECIMAL_H_
#define UNIONBOUND_SHARP_EXACT_DECIMAL_H_

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "sharp/exact/rational.h"

namespace unionbound::sharp {

// A decimal number as typed: negative ? -1 : 1 times digits * 10^-places,
// where digits is `word` when inWord (up to 18 digits) and `big` otherwise.
struct DecimalToken {
  bool negative = false;
  bool inWord = true;
  uint64_t word = 0;
  mpz_class big;
  int32_t places = 0;  // >= 0
};

mpz_class TokenDigits(const DecimalToken& token);

// Reads a decimal number (optional sign, digits with an optional point, an
// optional exponent) from the front of text; false when text does not begin
// with one. *used is the number of characters consumed.
bool ParseDecimalToken(const std::string& text, size_t start,
                       DecimalToken* token, size_t* used);

// The exact value of a whole string such as "0.3" or "-1.5e-7"; false
// unless the whole string is one decimal number.
bool ParseExactDecimal(const std::string& text, Rational* value);

// base^exponent.
mpz_class PowerOf(unsigned long base, unsigned long exponent);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_EXACT_DECIMAL_H_
