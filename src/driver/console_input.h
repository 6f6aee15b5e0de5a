// The console dialogue that asks for n and m, with the checks that keep a
// run within what the method and 32-bit arithmetic support.
#ifndef UNIONBOUND_DRIVER_CONSOLE_INPUT_H_
#define UNIONBOUND_DRIVER_CONSOLE_INPUT_H_

#include <cstdint>
#include <istream>
#include <ostream>

namespace unionbound {

struct RunSizes {
  bool ok;    // false: a one-line reason was written to err
  int32_t n;  // number of events
  int32_t m;  // highest known intersection order
};

// Prompts on out and reads n, then m, from in. Rejects right after its
// prompt an entry that is not an integer (or input that ends), n above
// kMaxEvents, m < 1, an even m, m above kMaxIntersectionOrder, and sizes
// whose probability count leaves the 32-bit range.
RunSizes ReadRunSizes(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_CONSOLE_INPUT_H_
