// Formatted extraction of many doubles at once: the stream is read in
// fixed-size chunks and scanned without a stream call per number, with the
// result of one `in >> x` after another.
#ifndef UNIONBOUND_INPUT_EXTRACT_DOUBLES_H_
#define UNIONBOUND_INPUT_EXTRACT_DOUBLES_H_

#include <cstdint>
#include <istream>

#include "numeric/vectors.h"

namespace unionbound {

// Does what up to `count` extractions `in >> x` do, stopping at the first
// one that fails, and appends the values of those that succeed to *values.
// The values are the same bit for bit, the failing extraction is the same
// one, and `in` is left in the state that extraction leaves (failbit,
// eofbit, badbit). The characters are taken the way the standard library
// takes them in the "C" locale: white space is skipped, then an optional
// sign, digits with at most one decimal point, and an exponent only after
// some digit; text that ends there without a number, and overflow, fail.
// Where the stream's buffer can seek, the read position is left where the
// extractions leave it; otherwise characters up to one chunk beyond the
// last number may have been consumed. Streams with another locale or
// without skipws are read with `>>` itself. Memory beyond the values is one
// chunk, plus the length of the longest number. Returns how many were read.
int32_t ExtractDoubles(std::istream& in, int32_t count, RealVector* values);

}  // namespace unionbound

#endif  // UNIONBOUND_INPUT_EXTRACT_DOUBLES_H_
