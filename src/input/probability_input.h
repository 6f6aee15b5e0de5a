// The one reader of probability files, shared by both programs: the
// intersection probabilities as whitespace-separated decimal numbers, in the
// order of numeric/subset_order.h (whose ProbabilityCount gives how many),
// and the largest number of events a run takes.
#ifndef UNIONBOUND_INPUT_PROBABILITY_INPUT_H_
#define UNIONBOUND_INPUT_PROBABILITY_INPUT_H_

#include <cstdint>
#include <istream>
#include <string>

#include "input/extract_doubles.h"
#include "numeric/subset_order.h"
#include "numeric/vectors.h"

namespace unionbound {

// The largest n the run accepts. A pass is made for every l, and every pass
// walks all probabilities, so the work grows with n times the count: beyond
// this, mistyped sizes would run for days and write a report of terabytes.
inline constexpr int32_t kMaxEvents = 100000;

// Why the reading ended.
enum class ReadStop {
  kComplete,    // every expected number was read
  kCannotOpen,  // the file could not be opened
  kEndOfInput,  // the input ended before the expected count
  kNotANumber,  // a token is not a number (or is out of range)
  kReadError,   // the input could not be read (a directory, an I/O error)
};

struct ProbabilityRead {
  RealVector p;          // the `read` numbers extracted, in file order
  int32_t expected = 0;  // how many numbers were asked for
  int32_t read = 0;      // how many were extracted before the first failure
  bool opened = false;   // whether the file could be opened
  ReadStop stop = ReadStop::kComplete;  // why the reading ended
  // ReadProbabilityFile, after a complete read: the entries the file holds
  // beyond the numbers asked for, which were not read, counted as far as
  // CountEntriesLeft counts them.
  int64_t entriesLeft = 0;
  bool entriesLeftCut = false;  // there may be more than entriesLeft
  // With kNotANumber: the token refused, number read + 1 of the input.
  BadToken badToken;
};

// Extracts up to count doubles as ExtractDoubles does, each the whole of
// its token; the first failure ends the reading. p holds only the numbers read,
// so memory follows the input, not the count asked for: the positions from
// `read` on stand for 0.0.
// With `progress`, the numbers read so far are handed on as the reading goes
// on (input/extract_doubles.h).
ProbabilityRead ReadProbabilitiesFrom(std::istream& in, int32_t count,
                                      const ReadProgress* progress = nullptr);

// The same from a file; a file that cannot be opened reads nothing.
ProbabilityRead ReadProbabilityFile(const std::string& path, int32_t count,
                                    const ReadProgress* progress = nullptr);

// The probability vector of n events up to order m from prob.txt, with one
// entry per intersection: 0.0 for every number that could not be read.
RealVector ReadProbabilities(int32_t n, int32_t m);

}  // namespace unionbound

#endif  // UNIONBOUND_INPUT_PROBABILITY_INPUT_H_
