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
#include "sharp/exact/decimal.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {

struct ExactData {
  std::vector<mpz_class> scaled;  // value u is scaled[u] / scale
  mpz_class scale;
  int32_t typed = 0;  // numbers taken as typed; the others as the double read
  // When every number was taken as typed: the most decimal places any of
  // them has (0.25 has 2, 1e-3 has 3); -1 otherwise.
  int32_t typedDecimals = -1;
};

// The exact values of the numbers in `in`, one per entry of `doubles` (the
// same numbers as read by formatted extraction).
ExactData ReadExactData(std::istream& in, const RealVector& doubles);
// The same from the input's whole text, already read.
ExactData ReadExactText(const std::string& text, const RealVector& doubles);
ExactData ReadExactFile(const std::string& path, const RealVector& doubles);

// The data from values already exact (each a double's exact value): used for
// generated data and by tests.
ExactData ExactDataFromDoubles(const RealVector& doubles);
ExactData ExactDataFromRationals(const RationalVector& values);

Rational ValueOf(const ExactData& data, size_t u);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_DATA_EXACT_DATA_H_
