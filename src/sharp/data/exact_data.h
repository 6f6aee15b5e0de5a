// The probabilities as the exact decimals typed in the file. Every number is
// kept as an integer over one common denominator (a power of ten times a
// power of two), so sums of many of them stay exact and cheap. The doubles
// that unionbound reads serve as a cross-check: a token is taken as typed
// only when its correctly rounded value is exactly the double read.
#ifndef UNIONBOUND_SHARP_DATA_EXACT_DATA_H_
#define UNIONBOUND_SHARP_DATA_EXACT_DATA_H_

#include <gmpxx.h>

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "numeric/vectors.h"
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

struct ExactData {
  std::vector<mpz_class> scaled;  // value u is scaled[u] / scale
  mpz_class scale;
  int32_t typed = 0;  // numbers taken as typed; the others as the double read
};

// The exact values of the numbers in `in`, one per entry of `doubles` (the
// same numbers as read by formatted extraction).
ExactData ReadExactData(std::istream& in, const RealVector& doubles);
ExactData ReadExactFile(const std::string& path, const RealVector& doubles);

// The data from values already exact (each a double's exact value): used for
// generated data and by tests.
ExactData ExactDataFromDoubles(const RealVector& doubles);
ExactData ExactDataFromRationals(const RationalVector& values);

Rational ValueOf(const ExactData& data, size_t u);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_DATA_EXACT_DATA_H_
