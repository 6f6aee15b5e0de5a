#include "input/entries_left.h"

#include <vector>

namespace unionbound {

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

}  // namespace

int64_t CountEntriesLeft(std::istream& in, bool* more) {
  constexpr std::streamsize kChunk = 1 << 16;
  std::vector<char> chunk(static_cast<size_t>(kChunk));
  int64_t entries = 0;
  bool inEntry = false;
  int64_t scanned = 0;
  if (more != nullptr) *more = false;
  while (in) {
    if (scanned >= kEntriesLeftBytes) {
      // Stop where more input is waiting, not at the end of what was there.
      if (more != nullptr) {
        *more = in.peek() != std::istream::traits_type::eof();
      }
      break;
    }
    scanned += kChunk;
    in.read(chunk.data(), kChunk);
    const std::streamsize got = in.gcount();
    for (std::streamsize i = 0; i < got; ++i) {
      const bool space = IsSpace(chunk[static_cast<size_t>(i)]);
      if (!space && !inEntry) ++entries;
      inEntry = !space;
    }
  }
  return entries;
}

}  // namespace unionbound
