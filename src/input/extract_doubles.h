// Formatted extraction of many doubles at once: the stream is read in
// fixed-size chunks and scanned without a stream call per number, with the
// result of one `in >> x` after another.
#ifndef UNIONBOUND_INPUT_EXTRACT_DOUBLES_H_
#define UNIONBOUND_INPUT_EXTRACT_DOUBLES_H_

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

#include "numeric/vectors.h"

namespace unionbound {

// The longest number taken, in characters: a longer token is refused
// without being read to its end, so that an endless one (a device, a binary
// file) cannot fill memory. Numbers of up to this length are always taken;
// a little longer ones may be.
inline constexpr size_t kMaxNumberLength = size_t{1} << 16;
// How much of a refused token is kept to name it.
inline constexpr size_t kShownTokenLength = 40;

// A token that is no number, as far as it is kept.
struct BadToken {
  bool found = false;    // whether a token was refused
  std::string text;      // its first kShownTokenLength characters at most
  bool cut = false;      // whether the token goes on beyond text
  bool tooLong = false;  // refused for going on beyond kMaxNumberLength
};

// Does what up to `count` extractions `in >> x` do, stopping at the first
// one that fails, and appends the values of those that succeed to *values,
// with one difference: a number must be the whole of its token, so a
// number followed by anything but white space or the end of the input
// ("0.25abc", "0x1p-3", "0,500") is refused as a whole. The values are the
// same bit for bit, and `in` is left in the state a failed or last
// extraction leaves (failbit, eofbit, badbit); with `bad`, the refused
// token is kept there, whole and from its first character. The characters are
// taken the way the standard library takes them in the "C" locale: white space
// is skipped, then an optional sign, digits with at most one decimal point, and
// an exponent only after some digit; text that ends there without a number, and
// overflow, fail. Where the stream's buffer can seek, the read position is left
// where the extractions leave it; otherwise characters up to one chunk beyond
// the last number may have been consumed. Streams with another locale or
// without skipws are read with `>>` itself. Memory beyond the values is one
// chunk, plus the length of the longest number. Returns how many were read.
//
// With `progress`, the values read so far are handed on while the reading
// goes on (another thread may work on them): see ReadProgress.
struct ReadProgress;
int32_t ExtractDoubles(std::istream& in, int32_t count, RealVector* values,
                       const ReadProgress* progress = nullptr,
                       BadToken* bad = nullptr);

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
