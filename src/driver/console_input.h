// The console dialogue that asks for n and m, with the checks that keep a
// run within what the method and 32-bit arithmetic support.
#ifndef UNIONBOUND_DRIVER_CONSOLE_INPUT_H_
#define UNIONBOUND_DRIVER_CONSOLE_INPUT_H_

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace unionbound {

struct RunSizes {
  bool ok;    // false: a one-line reason was written to err
  int32_t n;  // number of events
  int32_t m;  // highest known intersection order
};

// Prompts on out and reads n, then m, from in. Each is one whitespace-
// delimited token of an optional sign and decimal digits within the 32-bit
// range ("7 3" on one line gives both); anything else is refused right after
// its prompt, naming the size and what was typed. Also refused: input that
// ends, n below 2 or above kMaxEvents (before m is asked for), m < 1, an
// even m, m above kMaxIntersectionOrder, n < 2m (no subsequence length
// fits), and sizes whose probability count or whose moment conversion
// leaves the 32-bit range. Reads nothing after the token of m. With
// `askAgain` (a person at a terminal), a refused answer is followed by its
// prompt again; only the end of the input ends the dialogue.
RunSizes ReadRunSizes(std::istream& in, std::ostream& out, std::ostream& err,
                      bool askAgain = false);

// The size rules of ReadRunSizes for sizes given in another way: true when
// n and m can be run, otherwise false with the same one-line reason on err.
bool CheckRunSizes(int32_t n, int32_t m, std::ostream& err);

// The value of a size token: an optional sign and at least one decimal
// digit, nothing else, within the 32-bit range. No value otherwise.
std::optional<int32_t> ParseSizeToken(const std::string& token);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_CONSOLE_INPUT_H_
