#include "driver/probability_input.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>

#include "driver/extract_doubles.h"

namespace unionbound {

int32_t ProbabilityCount(int32_t n, int32_t m) {
  int32_t total = 0;
  for (int32_t i = 1; i <= m; ++i) {
    int32_t c = 0;
    if (n >= i) {
      c = 1;
      for (int32_t j = 1; j <= i; ++j) c = ((n + j - i) * c) / j;
    }
    total = total + c;
  }
  return total;
}

bool ProbabilityCountFits(int32_t n, int32_t m) {
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  int64_t total = 0;
  for (int64_t i = 1; i <= m; ++i) {
    if (n < i) break;  // sizes above n contribute nothing
    int64_t c = 1;
    for (int64_t j = 1; j <= i; ++j) {
      if (n + j > kMax) return false;  // n + j - i is summed left to right
      const int64_t product = (n + j - i) * c;
      if (product > kMax) return false;
      c = product / j;
    }
    total += c;
    if (total > kMax) return false;
  }
  return true;
}

namespace {

ReadStop WhyExtractionFailed(const std::istream& in) {
  if (in.bad()) return ReadStop::kReadError;
  if (in.eof()) return ReadStop::kEndOfInput;
  return ReadStop::kNotANumber;
}

}  // namespace

ProbabilityRead ReadProbabilitiesFrom(std::istream& in, int32_t count) {
  ProbabilityRead result{
      {}, count < 0 ? 0 : count, 0, true, ReadStop::kComplete};
  result.read = ExtractDoubles(in, result.expected, &result.p);
  // The first failed extraction leaves the stream failed: every later one
  // would fail as well, so the reading ends there.
  if (result.read < result.expected) result.stop = WhyExtractionFailed(in);
  return result;
}

ProbabilityRead ReadProbabilityFile(const std::string& path, int32_t count) {
  std::ifstream file(path);
  ProbabilityRead result = ReadProbabilitiesFrom(file, count);
  // A directory opens and then reads as an empty stream; name it for what
  // it is.
  std::error_code ignored;
  if (result.stop == ReadStop::kEndOfInput &&
      std::filesystem::is_directory(path, ignored)) {
    result.stop = ReadStop::kReadError;
  }
  result.opened = file.is_open();
  if (!result.opened && result.expected > 0)
    result.stop = ReadStop::kCannotOpen;
  return result;
}

RealVector ReadProbabilities(int32_t n, int32_t m) {
  const int32_t count = ProbabilityCount(n, m);
  RealVector p = ReadProbabilityFile("prob.txt", count).p;
  p.resize(static_cast<size_t>(count < 0 ? 0 : count), 0.0);
  return p;
}

}  // namespace unionbound
