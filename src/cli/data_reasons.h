// Why the numbers read for n and m give no bounds, and the pieces every
// message about a probability file is made of, shared by both programs so
// that they name one fault in one way. Pure functions; safe from any thread.
#ifndef UNIONBOUND_CLI_DATA_REASONS_H_
#define UNIONBOUND_CLI_DATA_REASONS_H_

#include <cstdint>
#include <string>

#include "input/data_check.h"
#include "input/probability_input.h"
#include "numeric/vectors.h"

namespace unionbound {

// Why no bound is computed from what was read for n and m: the input ended
// early or could not be read, a token is no number, or a number is no
// probability (`non`, of read.p). One clause naming the first offending
// number ("number 3 is not a number: \"0.25abc\""), without the program
// and file; empty when the numbers can be computed with.
std::string WhyNoBounds(const ProbabilityRead& read,
                        const NonProbabilities& non, int32_t n, int32_t m);

// A token as typed, in double quotes, with bytes that do not print written
// as \xNN and "..." where it was cut.
std::string QuotedToken(const std::string& text, bool cut);

// The shortest decimal text that reads back as x: 0.3, 1e-300, -inf, nan.
std::string ShortestText(double x);

// "P{1,2,7}" for the events of an intersection.
std::string EventsText(const IndexVector& events);

// "1 entry", "3 entries".
std::string CountOf(int64_t count, const char* one, const char* many);

}  // namespace unionbound

#endif  // UNIONBOUND_CLI_DATA_REASONS_H_
