// The reference the prob.txt reader is held to: count formatted extractions
// of a double, one `>>` at a time, from a string stream, each of which must
// take its whole token (white space or the end must follow).
#ifndef UNIONBOUND_FUZZ_FORMATTED_EXTRACTION_H_
#define UNIONBOUND_FUZZ_FORMATTED_EXTRACTION_H_

#include <cctype>
#include <cstdint>
#include <istream>
#include <sstream>
#include <string>

#include "input/probability_input.h"

namespace unionbound {

// The values up to the first failed extraction from `in`, 0.0 for the rest,
// and why the first failure happened as the stream state tells it.
inline ProbabilityRead ExtractOneByOne(std::istream& in, int32_t count) {
  ProbabilityRead result;
  result.expected = count < 0 ? 0 : count;
  result.opened = true;
  for (int32_t i = 0; i < result.expected; ++i) {
    // Whether a token follows: only then can the reading stop at a token.
    in >> std::ws;
    const bool token = !in.eof();
    double value = 0.0;
    const bool extracted = static_cast<bool>(in >> value);
    const bool whole = extracted && (in.eof() || std::isspace(in.peek()) != 0);
    if (!whole) {
      result.stop = in.bad() ? ReadStop::kReadError
                    : !token ? ReadStop::kEndOfInput
                             : ReadStop::kNotANumber;
      break;
    }
    result.p.push_back(value);
    ++result.read;
  }
  result.p.resize(result.expected, 0.0);
  return result;
}

inline ProbabilityRead ExtractOneByOne(const std::string& text, int32_t count) {
  std::istringstream in(text);
  return ExtractOneByOne(in, count);
}

}  // namespace unionbound

#endif  // UNIONBOUND_FUZZ_FORMATTED_EXTRACTION_H_
