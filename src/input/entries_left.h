// How much a probability file holds beyond the numbers a run asks for: the
// whitespace-separated entries left in a stream, counted without keeping
// them.
#ifndef UNIONBOUND_INPUT_ENTRIES_LEFT_H_
#define UNIONBOUND_INPUT_ENTRIES_LEFT_H_

#include <cstdint>
#include <istream>

namespace unionbound {

// How far CountEntriesLeft reads: an endless stream (a pipe that never
// closes, a device) must not keep a run from ending.
inline constexpr int64_t kEntriesLeftBytes = int64_t{1} << 24;

// Reads in to its end, or kEntriesLeftBytes of it, and returns the number
// of entries (runs of characters other than white space) in what was read;
// *more, when given, tells whether the reading stopped before the end, so
// that there are at least that many. Characters right at the read position
// start an entry of their own.
int64_t CountEntriesLeft(std::istream& in, bool* more = nullptr);

}  // namespace unionbound

#endif  // UNIONBOUND_INPUT_ENTRIES_LEFT_H_
