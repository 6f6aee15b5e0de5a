// unionbound's own bounds for every subsequence length l from m to n - m,
// from the same pass computation as the main run.
#ifndef UNIONBOUND_SHARP_ANALYSIS_METHOD_BOUNDS_H_
#define UNIONBOUND_SHARP_ANALYSIS_METHOD_BOUNDS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "numeric/vectors.h"

namespace unionbound::sharp {

struct MethodBound {
  int32_t l;
  double lower;  // the negated procedure values
  double upper;
  double seconds;  // wall-clock time of both procedures
};

struct MethodBounds {
  std::vector<MethodBound> perL;
  int32_t bestLower = -1;  // index into perL, -1 when there is no l
  int32_t bestUpper = -1;
  IndexVector messageLs;  // the l whose procedures wrote library messages
  double seconds = 0.0;
};

// The procedures' messages are captured, not shown: they go to a sink of
// the calling thread (numeric/library_messages.h), never to standard output.
// Thread safety: safe to call from several threads at once.
MethodBounds ComputeMethodBounds(const RealVector& p, int32_t n, int32_t m);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ANALYSIS_METHOD_BOUNDS_H_
