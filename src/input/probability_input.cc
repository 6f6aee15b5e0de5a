#include "input/probability_input.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

#include "input/entries_left.h"
#include "input/extract_doubles.h"

namespace unionbound {

namespace {

ReadStop WhyExtractionFailed(const std::istream& in) {
  if (in.bad()) return ReadStop::kReadError;
  if (in.eof()) return ReadStop::kEndOfInput;
  return ReadStop::kNotANumber;
}

}  // namespace

ProbabilityRead ReadProbabilitiesFrom(std::istream& in, int32_t count,
                                      const ReadProgress* progress) {
  ProbabilityRead result{
      {}, count < 0 ? 0 : count, 0, true, ReadStop::kComplete, 0, false, {}};
  result.read = ExtractDoubles(in, result.expected, &result.p, progress,
                               &result.badToken);
  // The first failed extraction leaves the stream failed: every later one
  // would fail as well, so the reading ends there.
  if (result.read < result.expected) {
    result.stop = result.badToken.found && !in.bad() ? ReadStop::kNotANumber
                                                     : WhyExtractionFailed(in);
  }
  return result;
}

ProbabilityRead ReadProbabilityFile(const std::string& path, int32_t count,
                                    const ReadProgress* progress) {
  std::ifstream file(path);
  ProbabilityRead result = ReadProbabilitiesFrom(file, count, progress);
  if (result.stop == ReadStop::kComplete) {
    result.entriesLeft = CountEntriesLeft(file, &result.entriesLeftCut);
  }
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
