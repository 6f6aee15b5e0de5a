// The one way a fuzz target reports a broken property: a line on standard
// error, then abort, so that libFuzzer keeps the input as a crash case.
#ifndef UNIONBOUND_FUZZ_FUZZ_CHECK_H_
#define UNIONBOUND_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

namespace unionbound {

inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "broken property: %s\n", property);
  std::abort();
}

}  // namespace unionbound

#endif  // UNIONBOUND_FUZZ_FUZZ_CHECK_H_
