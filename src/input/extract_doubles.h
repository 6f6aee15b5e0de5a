// Formatted extraction of many doubles at once: the stream is read in
// fixed-size chunks and scanned without a stream call per number, with the
// result of one `in >> x` after another.
#ifndef UNIONBOUND_INPUT_EXTRACT_DOUBLES_H_
#define UNIONBOUND_INPUT_EXTRACT_DOUBLES_H_

#include <cstddef>
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
//
// With `progress`, the values read so far are handed on while the reading
// goes on (another thread may work on them): see ReadProgress.
struct ReadProgress;
int32_t ExtractDoubles(std::istream& in, int32_t count, RealVector* values,
                       const ReadProgress* progress = nullptr);

// Hands the values read so far to another part of the program while the
// reading goes on. Both functions are called on the reading thread.
struct ReadProgress {
  // The values read so far, values[0 .. size); called every
  // kValuesPerProgress values and once at the end with done = true. The
  // values stay where they are until `moving` is called.
  void (*arrived)(void* context, const double* values, size_t size, bool done);
  // Called before the values move to larger storage, which only happens
  // when the input holds more than its size promised (a stream that cannot
  // seek, a file that grows); once it returns the old storage must no
  // longer be read, and the next `arrived` names the new one.
  void (*moving)(void* context);
  void* context;
};
inline constexpr size_t kValuesPerProgress = size_t{1} << 15;

}  // namespace unionbound

#endif  // UNIONBOUND_INPUT_EXTRACT_DOUBLES_H_
