// The support points of the two subsequences of one pass: the possible
// numbers of occurring events, 0 .. l in events 1 .. l and 0 .. n-l in
// events l+1 .. n.
#ifndef UNIONBOUND_PROBLEM_SUPPORT_ROWS_H_
#define UNIONBOUND_PROBLEM_SUPPORT_ROWS_H_

#include <cstdint>

#include "numeric/vectors.h"

namespace unionbound {

// Row 0 = 0, 1, ..., l and row 1 = 0, 1, ..., n-l, as doubles.
RealMatrix SupportRows(int32_t n, int32_t l);

}  // namespace unionbound

#endif  // UNIONBOUND_PROBLEM_SUPPORT_ROWS_H_
