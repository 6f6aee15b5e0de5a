// The probabilities as the exact decimals typed in the file. Every number is
// an integer over one common denominator `scale` (a power of ten times a
// power of two), so sums of many of them stay exact and cheap. The doubles
// that unionbound reads serve as a cross-check: a token is taken as typed
// only when its correctly rounded value is exactly the double read.
//
// Millions of numbers are held compactly: each as a 64-bit mantissa and a
// 16-bit code (its decimal places, or the binary places of a double taken
// as read), ten bytes a number; only mantissas beyond 18 digits, tokens
// with a positive exponent and the negative zero go to a side table of big
// numbers. The integer over `scale` is formed when asked for
// (ScaledValue), never stored.
#ifndef UNIONBOUND_SHARP_DATA_EXACT_DATA_H_
#define UNIONBOUND_SHARP_DATA_EXACT_DATA_H_

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/exact/decimal.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {

// A number that does not fit the compact form.
struct WideNumber {
  enum class Kind : uint8_t {
    kDecimal,  // digits * 10^-places
    kBinary,   // digits * 2^-places
    kScaled,   // digits / scale, as it stands
  };
  mpz_class digits;  // signed
  int32_t places = 0;
  Kind kind = Kind::kDecimal;
  bool negativeZero = false;  // "-0" as typed: the sign counts in the check
  bool shortToken = false;    // a token of at most 18 digits (a "-0")
};

struct ExactData {
  mpz_class scale;    // 10^decimalPlaces * 2^binaryPlaces, or any common one
  int32_t typed = 0;  // numbers taken as typed; the others as the double read
  // When every number was taken as typed: the most decimal places any of
  // them has (0.25 has 2, 1e-3 has 3); -1 otherwise.
  int32_t typedDecimals = -1;

  // The compact store, one entry per number: code >= 0 is the decimal
  // places of mantissa (a token of at most 18 digits), kBinaryCode - k
  // with k >= 0 the binary places k of a double's mantissa, kWideCode an
  // index into `wide`.
  std::vector<int64_t> mantissa;
  std::vector<int16_t> code;
  std::vector<WideNumber> wide;
  int32_t decimalPlaces = 0;  // scale = 10^decimalPlaces * 2^binaryPlaces
  int32_t binaryPlaces = 0;
  std::vector<mpz_class> tenPowers;  // 10^0 .. 10^decimalPlaces

  static constexpr int16_t kWideCode = -32768;
  static constexpr int16_t kBinaryCode = -1;  // binary places 0 is -1

  size_t size() const { return code.size(); }
};

// The exact values of the numbers in `in`, one per entry of `doubles` (the
// same numbers as read by formatted extraction).
ExactData ReadExactData(std::istream& in, const RealVector& doubles);
// The same from the input's whole text, already read.
ExactData ReadExactText(const std::string& text, const RealVector& doubles);
ExactData ReadExactFile(const std::string& path, const RealVector& doubles);

// Reads the numbers as typed while the input passes by, chunk by chunk, so
// that the text need never be held whole: Take every chunk in order, then
// Finish with the doubles read from the same text. Memory: the compact
// tokens and the part of one token that runs across a chunk's end. Not
// thread safe; one input per scanner.
class ExactScanner {
 public:
  // At most `limit` tokens are kept (the numbers asked for).
  explicit ExactScanner(size_t limit);

  // Room for `count` tokens at once (no more than the limit), so that the
  // store does not grow by copying: for an input whose size is known.
  void Reserve(size_t count);
  void Take(const char* chunk, size_t size);
  // The numbers as typed where they agree with `doubles`, the doubles'
  // exact values from the first that does not; the scanner is spent.
  ExactData Finish(const RealVector& doubles);

 private:
  void ScanWords(const char* begin, const char* end);

  size_t limit_;
  bool stopped_ = false;  // a token that is no decimal number ended the scan
  std::string carried_;   // the start of a token cut by a chunk's end
  ExactData tokens_;
};

// The data from values already exact (each a double's exact value): used for
// generated data and by tests.
ExactData ExactDataFromDoubles(const RealVector& doubles);
ExactData ExactDataFromRationals(const RationalVector& values);

// Number u as an integer over data.scale, into *out (whose memory is reused).
void ScaledValue(const ExactData& data, size_t u, mpz_class* out);
mpz_class ScaledValue(const ExactData& data, size_t u);
// The sign of number u.
int SignOf(const ExactData& data, size_t u);
// -1, 0 or 1 as number u is below, equal to or above number v; scratch is
// room for two integers (their content afterwards is unspecified).
int CompareValues(const ExactData& data, size_t u, size_t v,
                  mpz_class scratch[2]);

Rational ValueOf(const ExactData& data, size_t u);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_DATA_EXACT_DATA_H_
