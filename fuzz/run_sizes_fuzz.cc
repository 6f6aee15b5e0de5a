// Fuzz target for the console dialogue that reads n and m: arbitrary bytes on
// standard input. It must never crash, must take n and m exactly as formatted
// extraction of 32-bit ints does, must accept only sizes whose probability
// count is exact in 32-bit arithmetic, and must explain every refusal in one
// line.
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

Extracted ExtractSizes(const std::string& text) {
  std::istringstream in(text);
  Extracted sizes;
  sizes.has_n = static_cast<bool>(in >> sizes.n);
  if (sizes.has_n) sizes.has_m = static_cast<bool>(in >> sizes.m);
  return sizes;
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
  const bool n_accepted = expected.has_n && expected.n <= kMaxEvents;
  Require(out.str() == (n_accepted ? prompts : kPromptN),
          "the m prompt follows exactly when an acceptable n was read");
  if (!sizes.ok) {
    Require(IsOneExplainedLine(err.str()), "a refusal is one explained line");
    if (!n_accepted || !expected.has_m) return 0;
    Require(sizes.n == expected.n && sizes.m == expected.m,
            "refused sizes as extracted");
    const bool acceptable = n_accepted && expected.m >= 1 &&
                            expected.m % 2 == 1 &&
                            expected.m <= kMaxIntersectionOrder &&
                            WideProbabilityCount(expected.n, expected.m) >= 0;
    Require(!acceptable,
            "an odd m in 1..11 whose count fits 32 bits is accepted");
    return 0;
  }
  Require(err.str().empty(), "accepted sizes say nothing on the error stream");
  Require(expected.has_m, "accepted only when both numbers were extracted");
  Require(sizes.n == expected.n && sizes.m == expected.m,
          "n and m exactly as >> gives them");
  Require(sizes.m >= 1 && sizes.m % 2 == 1 && sizes.m <= kMaxIntersectionOrder,
          "accepted m is odd and within 1..11");
  Require(sizes.n <= kMaxEvents, "accepted n is within the supported range");
  Require(ProbabilityCount(sizes.n, sizes.m) ==
              WideProbabilityCount(sizes.n, sizes.m),
          "accepted sizes have an exact 32-bit probability count");
  return 0;
}
