// bare_parse: the time a plain std::from_chars loop needs to read and parse
// prob.txt in the working directory into a vector of doubles; the yardstick
// that whole runs are set against, next to read_floor.
//
//   bare_parse N M
//
// Reads the file in 1 MB blocks, keeps a number cut by a block border for the
// next block, and parses every whitespace-separated token with
// std::from_chars, stopping after the count that N and M give. Prints the
// numbers read and the wall time in seconds.
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "numeric/subset_order.h"

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\f' ||
         c == '\v';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bare_parse N M\n");
    return 1;
  }
  const int32_t count =
      unionbound::ProbabilityCount(std::atoi(argv[1]), std::atoi(argv[2]));
  const auto start = std::chrono::steady_clock::now();
  std::FILE* file = std::fopen("prob.txt", "rb");
  if (file == nullptr || count < 0) {
    std::fprintf(stderr, "bare_parse: cannot open prob.txt\n");
    return 1;
  }
  std::vector<double> values;
  values.reserve(static_cast<size_t>(count));
  constexpr size_t kBlock = size_t{1} << 20;
  std::vector<char> buffer(kBlock + 64);
  size_t kept = 0;  // characters of a cut number at the buffer's start
  bool atEnd = false;
  while (!atEnd && values.size() < static_cast<size_t>(count)) {
    const size_t got = std::fread(buffer.data() + kept, 1, kBlock, file);
    atEnd = got < kBlock;
    const char* p = buffer.data();
    const char* end = buffer.data() + kept + got;
    // Unless at the end, the last token may go on in the next block.
    const char* last = end;
    if (!atEnd) {
      while (last > p && !IsSpace(last[-1])) --last;
    }
    while (values.size() < static_cast<size_t>(count)) {
      while (p < last && IsSpace(*p)) ++p;
      if (p >= last) break;
      double x = 0.0;
      const std::from_chars_result r = std::from_chars(p, last, x);
      if (r.ec != std::errc()) {
        atEnd = true;
        break;
      }
      values.push_back(x);
      p = r.ptr;
    }
    kept = static_cast<size_t>(end - last);
    if (kept > 64) break;  // a token longer than any number
    std::memmove(buffer.data(), last, kept);
  }
  std::fclose(file);
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  double sum = 0.0;
  for (double value : values) sum += value;
  std::printf("parsed %zu of %d numbers in %.3f s (sum %.17g)\n", values.size(),
              count, spent.count(), sum);
  return values.size() == static_cast<size_t>(count) ? 0 : 2;
}
