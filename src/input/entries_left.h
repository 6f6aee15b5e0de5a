// How much a probability file holds beyond the numbers a run asks for: the
// whitespace-separated entries left in a stream, counted without keeping
// them.
#ifndef UNIONBOUND_INPUT_ENTRIES_LEFT_H_
#define UNIONBOUND_INPUT_ENTRIES_LEFT_H_

#include <cstdint>
#include <istream>

namespace unionbound {

// Reads in to its end and returns the number of entries (runs of characters
// other than white space) in what was left. Characters right at the read
// position start an entry of their own.
int64_t CountEntriesLeft(std::istream& in);

}  // namespace unionbound

#endif  // UNIONBOUND_INPUT_ENTRIES_LEFT_H_
