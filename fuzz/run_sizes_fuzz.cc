// Fuzz target for the console dialogue that reads n and m: arbitrary bytes on
// standard input. It must never crash, must take as a size only a whole
// whitespace-delimited token of an optional sign and digits within the
// 32-bit range, must accept only sizes that give at least one pass and whose
// probability count is exact in 32-bit arithmetic, and must explain every
// refusal in one line.
#include <cstdint>
#include <sstream>
#include <string>

#include "driver/console_input.h"
#include "fuzz_check.h"
#include "input/probability_input.h"
#include "problem/power_moments.h"

namespace unionbound {
namespace {

const char kPromptN[] = "Number of events. n=";
const char kPromptM[] =
    "Maximum order of the intersections (must be an odd number). m=";

// The probability count C(n,1) + ... + C(n,m) by the 32-bit algorithm, run
// in wide arithmetic: -1 when any product or sum on the way leaves int32.
int64_t WideProbabilityCount(int64_t n, int64_t m) {
  int64_t total = 0;
  for (int64_t i = 1; i <= m && i <= n; ++i) {
    int64_t c = 1;
    for (int64_t j = 1; j <= i; ++j) {
      if (n + j > INT32_MAX) return -1;
      const int64_t product = (n + j - i) * c;
      if (product > INT32_MAX) return -1;
      c = product / j;
    }
    total += c;
    if (total > INT32_MAX) return -1;
  }
  return total;
}

struct Extracted {
  bool has_n = false;
  bool has_m = false;
  int32_t n = 0;
  int32_t m = 0;
};

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// The token starting at or after *at, which moves past it; empty at the end.
std::string NextToken(const std::string& text, size_t* at) {
  while (*at < text.size() && IsSpace(text[*at])) ++*at;
  const size_t start = *at;
  while (*at < text.size() && !IsSpace(text[*at])) ++*at;
  return text.substr(start, *at - start);
}

// A sign and digits, nothing else, within int32: decided digit by digit.
bool TokenValue(const std::string& token, int32_t* value) {
  size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
    negative = token[i] == '-';
    ++i;
  }
  if (i == token.size()) return false;
  int64_t magnitude = 0;
  for (; i < token.size(); ++i) {
    if (token[i] < '0' || token[i] > '9') return false;
    magnitude = magnitude * 10 + (token[i] - '0');
    if (magnitude > int64_t{INT32_MAX} + 1) return false;
  }
  const int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > INT32_MAX || signed_value < INT32_MIN) return false;
  *value = static_cast<int32_t>(signed_value);
  return true;
}

Extracted ExtractSizes(const std::string& text) {
  size_t at = 0;
  Extracted sizes;
  sizes.has_n = TokenValue(NextToken(text, &at), &sizes.n);
  if (sizes.has_n && sizes.n >= 2 && sizes.n <= kMaxEvents) {
    sizes.has_m = TokenValue(NextToken(text, &at), &sizes.m);
  }
  return sizes;
}

bool IsDigitToken(const std::string& token) {
  size_t i = token.empty() || (token[0] != '+' && token[0] != '-') ? 0 : 1;
  if (i == token.size()) return false;
  for (; i < token.size(); ++i) {
    if (token[i] < '0' || token[i] > '9') return false;
  }
  return true;
}

bool IsOneExplainedLine(const std::string& err) {
  return err.rfind("unionbound: ", 0) == 0 && err.back() == '\n' &&
         err.find('\n') == err.size() - 1;
}

}  // namespace
}  // namespace unionbound

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace unionbound;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream in(text);
  std::ostringstream out;
  std::ostringstream err;
  const RunSizes sizes = ReadRunSizes(in, out, err);
  const Extracted expected = ExtractSizes(text);

  const std::string prompts = std::string(kPromptN) + kPromptM;
  const bool n_accepted =
      expected.has_n && expected.n >= 2 && expected.n <= kMaxEvents;
  Require(out.str() == (n_accepted ? prompts : kPromptN),
          "the m prompt follows exactly when an acceptable n was read");
  if (!sizes.ok) {
    Require(IsOneExplainedLine(err.str()), "a refusal is one explained line");
    if (!n_accepted || !expected.has_m) return 0;
    Require(sizes.n == expected.n && sizes.m == expected.m,
            "refused sizes as extracted");
    const bool acceptable = expected.m >= 1 && expected.m % 2 == 1 &&
                            expected.m <= kMaxIntersectionOrder &&
                            expected.n >= 2 * expected.m &&
                            WideProbabilityCount(expected.n, expected.m) >= 0;
    Require(!acceptable,
            "an odd m in 1..11 with n >= 2m whose count fits 32 bits is "
            "accepted");
    return 0;
  }
  // Both tokens were whole: digits and an optional sign, nothing else.
  size_t at = 0;
  Require(
      IsDigitToken(NextToken(text, &at)) && IsDigitToken(NextToken(text, &at)),
      "only digit tokens are accepted");
  Require(err.str().empty(), "accepted sizes say nothing on the error stream");
  Require(expected.has_m, "accepted only when both numbers were extracted");
  Require(sizes.n == expected.n && sizes.m == expected.m,
          "n and m exactly as >> gives them");
  Require(sizes.m >= 1 && sizes.m % 2 == 1 && sizes.m <= kMaxIntersectionOrder,
          "accepted m is odd and within 1..11");
  Require(sizes.n <= kMaxEvents, "accepted n is within the supported range");
  Require(sizes.n >= 2 * sizes.m, "accepted sizes give at least one pass");
  Require(ProbabilityCount(sizes.n, sizes.m) ==
              WideProbabilityCount(sizes.n, sizes.m),
          "accepted sizes have an exact 32-bit probability count");
  return 0;
}
