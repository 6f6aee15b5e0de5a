// What the run takes in: n and m from the console and the intersection
// probabilities from a text file, in the order of subsets by size and then
// lexicographically.
#ifndef UNIONBOUND_DRIVER_PROBABILITY_INPUT_H_
#define UNIONBOUND_DRIVER_PROBABILITY_INPUT_H_

#include <cstdint>
#include <istream>
#include <string>

#include "numeric/vectors.h"

namespace unionbound {

// The largest m the run accepts: from 12 on the power-moment entries leave
// the 32-bit range.
inline constexpr int32_t kMaxOrder = 11;

// The largest n the run accepts. A pass is made for every l, and every pass
// walks all probabilities, so the work grows with n times the count: beyond
// this, mistyped sizes would run for days and write a report of terabytes.
inline constexpr int32_t kMaxEvents = 100000;

// C(n,1) + ... + C(n,m) (C(n,i) = 0 for i > n), in 32-bit arithmetic.
int32_t ProbabilityCount(int32_t n, int32_t m);

// The same count checked in wide arithmetic: false when the count or an
// intermediate sum or product of its binomial coefficients leaves the int32
// range.
bool ProbabilityCountFits(int32_t n, int32_t m);

// Why the reading ended.
enum class ReadStop {
  kComplete,    // every expected number was read
  kCannotOpen,  // the file could not be opened
  kEndOfInput,  // the input ended before the expected count
  kNotANumber,  // a token is not a number (or is out of range)
  kReadError,   // the input could not be read (a directory, an I/O error)
};

struct ProbabilityRead {
  RealVector p;      // the `read` numbers extracted, in file order
  int32_t expected;  // how many numbers were asked for
  int32_t read;      // how many were extracted before the first failure
  bool opened;       // whether the file could be opened
  ReadStop stop;     // why the reading ended
};

// Extracts up to count doubles as formatted extraction does, one after the
// other; the first failure ends the reading. p holds only the numbers read,
// so memory follows the input, not the count asked for: the positions from
// `read` on stand for 0.0.
ProbabilityRead ReadProbabilitiesFrom(std::istream& in, int32_t count);

// The same from a file; a file that cannot be opened reads nothing.
ProbabilityRead ReadProbabilityFile(const std::string& path, int32_t count);

// The probability vector of n events up to order m from prob.txt, with one
// entry per intersection: 0.0 for every number that could not be read.
RealVector ReadProbabilities(int32_t n, int32_t m);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_PROBABILITY_INPUT_H_
