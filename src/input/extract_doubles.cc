#include "input/extract_doubles.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale>
#include <string>
#include <system_error>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace unionbound {

namespace {

constexpr std::streamsize kChunkSize = 1 << 16;

// White space of the "C" locale.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The characters that formatted extraction takes into a double, one at a
// time: an optional sign, leading zeros, then digits with at most one
// decimal point, and an exponent mark (with an optional sign) only after a
// digit and only once. The first character it refuses ends the number.
class NumberGrammar {
 public:
  bool Take(char c) {
    switch (part_) {
      case Part::kSign:
        part_ = Part::kLeadingZeros;
        if (c == '+' || c == '-') return true;
        [[fallthrough]];
      case Part::kLeadingZeros:
        if (c == '0') {
          digits_ = true;
          return true;
        }
        part_ = Part::kBody;
        [[fallthrough]];
      case Part::kBody:
        return TakeInBody(c);
      case Part::kExponentSign:
        part_ = Part::kBody;
        if (c == '+' || c == '-') return true;
        return TakeInBody(c);
    }
    return false;
  }

 private:
  enum class Part { kSign, kLeadingZeros, kBody, kExponentSign };

  bool TakeInBody(char c) {
    if (IsDigit(c)) {
      digits_ = true;
      return true;
    }
    if (c == '.' && !point_ && !exponent_) {
      point_ = true;
      return true;
    }
    if ((c == 'e' || c == 'E') && !exponent_ && digits_) {
      exponent_ = true;
      part_ = Part::kExponentSign;
      return true;
    }
    return false;
  }

  Part part_ = Part::kSign;
  bool digits_ = false;
  bool point_ = false;
  bool exponent_ = false;
};

// What the scan learns about a number on the way: its significant digits as
// the integer `digits` and the power of ten of its last digit (`scale`), so
// that the usual numbers need no second look at their characters.
struct ScannedDecimal {
  uint64_t digits = 0;
  int32_t significant = 0;  // digits after the leading zeros
  int32_t scale = 0;
  int32_t exponentDigits = -1;  // -1: no exponent mark
  bool negative = false;
  bool anyDigit = false;
};

constexpr int32_t kMaxShortDigits = 19;  // every such integer fits uint64
constexpr int32_t kMaxShortScale = 27;   // 10^27 fits a 64-bit significand
constexpr int32_t kMaxExponentDigits = 4;

// Digits from p on into *w (modulo 2^64: only up to 19 of them are used);
// returns where they end.
const char* TakeDigits(const char* p, uint64_t* w) {
  for (; IsDigit(*p); ++p) *w = *w * 10 + static_cast<uint64_t>(*p - '0');
  return p;
}

// The same grammar in one pass over characters that end in a character it
// refuses (the chunk's terminating '\0' at the latest): returns where the
// number ends.
const char* ScanNumber(const char* p, ScannedDecimal* d) {
  d->negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  const char* first = p;
  while (*p == '0') ++p;  // leading zeros
  const char* digits = p;
  p = TakeDigits(p, &d->digits);
  d->significant = static_cast<int32_t>(p - digits);
  d->anyDigit = p != first;
  if (*p == '.') {
    const char* fraction = ++p;
    if (d->significant == 0) {
      while (*p == '0') ++p;  // still leading zeros
    }
    digits = p;
    p = TakeDigits(p, &d->digits);
    d->significant += static_cast<int32_t>(p - digits);
    d->scale = -static_cast<int32_t>(p - fraction);
    d->anyDigit = d->anyDigit || p != fraction;
  }
  if ((*p == 'e' || *p == 'E') && d->anyDigit) {
    ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const char* exponentStart = p;
    uint64_t exponent = 0;
    p = TakeDigits(p, &exponent);
    d->exponentDigits = static_cast<int32_t>(p - exponentStart);
    if (d->exponentDigits <= kMaxExponentDigits) {
      d->scale += negative ? -static_cast<int32_t>(exponent)
                           : static_cast<int32_t>(exponent);
    }
  }
  return p;
}

// The usual numbers, at most 19 significant digits scaled by a power of ten
// of at most 27 in size, are converted without a library call: long double
// holds the digits and the power exactly, so one multiplication or division
// rounds their value once, to 64 bits. Rounding that to double gives the
// correctly rounded value, the one strtod gives, unless the 64-bit result
// lies exactly halfway between two doubles: rounding twice can only go wrong
// there, and such numbers go the long way. False: not a usual number.
// The x87 extended format, little-endian: its first eight bytes hold the
// 64-bit significand.
constexpr bool kExtendedLongDouble =
    std::numeric_limits<long double>::digits == 64 &&
    std::numeric_limits<long double>::radix == 2 &&
    std::endian::native == std::endian::little;

// Whether x lies halfway between two doubles: the 11 bits of its
// significand below double precision are a one and ten zeros.
bool IsHalfwayBetweenDoubles(long double x) {
  uint64_t significand = 0;
  std::memcpy(&significand, &x, sizeof(significand));
  return (significand & 0x7FF) == 0x400;
}

bool ConvertScannedDecimal(const ScannedDecimal& d, double* value) {
  static const std::array<long double, kMaxShortScale + 1> kPowersOfTen = [] {
    std::array<long double, kMaxShortScale + 1> powers{};
    powers[0] = 1.0L;
    for (size_t k = 1; k < powers.size(); ++k) {
      powers[k] = powers[k - 1] * 10.0L;
    }
    return powers;
  }();
  if (!kExtendedLongDouble || !d.anyDigit || d.exponentDigits == 0 ||
      d.exponentDigits > kMaxExponentDigits ||
      d.significant > kMaxShortDigits) {
    return false;
  }
  if (d.digits == 0) {
    *value = d.negative ? -0.0 : 0.0;
    return true;
  }
  if (d.scale < -kMaxShortScale || d.scale > kMaxShortScale) return false;
  long double x = static_cast<long double>(d.digits);
  if (d.scale >= 0) {
    x = x * kPowersOfTen[static_cast<size_t>(d.scale)];
  } else {
    x = x / kPowersOfTen[static_cast<size_t>(-d.scale)];
  }
  if (IsHalfwayBetweenDoubles(x)) return false;
  const double rounded = static_cast<double>(x);
  *value = d.negative ? -rounded : rounded;
  return true;
}

// The value of the characters that the grammar took, converted the way the
// standard library converts them: all of them must form the number; text
// without one gives 0.0 and overflow gives the largest finite double of its
// sign, both as failures. The common case goes through from_chars, which
// rounds like strtod; anything it does not take whole goes to strtod.
bool ConvertNumber(const char* begin, const char* end, double* value) {
  const char* digits = begin != end && *begin == '+' ? begin + 1 : begin;
  if (digits != end) {
    double parsed = 0.0;
    const std::from_chars_result result = std::from_chars(digits, end, parsed);
    if (result.ec == std::errc() && result.ptr == end &&
        std::isfinite(parsed)) {
      *value = parsed;
      return true;
    }
  }
  const std::string text(begin, end);
  char* stop = nullptr;
  const double parsed = std::strtod(text.c_str(), &stop);
  if (stop == text.c_str() || *stop != '\0') {
    *value = 0.0;
    return false;
  }
  if (parsed == HUGE_VAL || parsed == -HUGE_VAL) {
    *value = parsed > 0 ? DBL_MAX : -DBL_MAX;
    return false;
  }
  *value = parsed;
  return true;
}

// The stream's characters, one chunk at a time.
class ChunkedInput {
 public:
  // One byte more than a chunk, for the '\0' that ends the characters read.
  explicit ChunkedInput(std::istream& in)
      : in_(in), chunk_(kChunkSize + 1, '\0') {}

  // Skips white space; false when the input ends first.
  bool SkipSpace() {
    for (;;) {
      while (IsSpace(chunk_[next_])) ++next_;  // stops at the '\0' at least
      if (next_ < size_) return true;
      if (!Refill()) return false;
    }
  }

  // Takes the characters of one number: [*begin, *end) points into the
  // chunk, or into *carried when the number goes on beyond the chunk.
  // *decimal is filled by the scan of a number within the chunk. *atEnd
  // tells whether the input ended inside the number.
  // *tooLong tells whether it was cut off at kMaxNumberLength.
  void TakeNumber(std::string* carried, const char** begin, const char** end,
                  bool* atEnd, bool* tooLong, ScannedDecimal* decimal) {
    carried->clear();
    *atEnd = false;
    *tooLong = false;
    size_t start = next_;
    *decimal = ScannedDecimal();
    const char* scanned = ScanNumber(chunk_.data() + next_, decimal);
    if (scanned < chunk_.data() + size_) {
      // Ended by a character of this chunk, the usual case.
      *begin = chunk_.data() + start;
      *end = scanned;
      next_ = static_cast<size_t>(scanned - chunk_.data());
      return;
    }
    // The number may go on in the next chunk: take it character by
    // character, and leave its conversion to ConvertNumber.
    decimal->anyDigit = false;
    NumberGrammar grammar;
    for (;;) {
      while (next_ < size_ && grammar.Take(chunk_[next_])) ++next_;
      if (next_ < size_) break;
      carried->append(chunk_.data() + start, size_ - start);
      start = 0;
      if (carried->size() > kMaxNumberLength) {
        // Refused unread to its end: the rest may never end.
        *tooLong = true;
        next_ = size_;
        *begin = carried->data();
        *end = carried->data() + carried->size();
        return;
      }
      if (!Refill()) {
        *atEnd = true;
        break;
      }
    }
    if (carried->empty()) {
      *begin = chunk_.data() + start;
      *end = chunk_.data() + next_;
      return;
    }
    carried->append(chunk_.data() + start, next_ - start);
    *begin = carried->data();
    *end = carried->data() + carried->size();
  }

  bool failedToRead() const { return failedToRead_; }

  // Whether the character at the read position, within the chunk, is white
  // space.
  bool AtSpace() const { return next_ < size_ && IsSpace(chunk_[next_]); }

  // Appends the token's characters from the read position on, up to white
  // space or the end of the input, while *text is no longer than `limit`.
  void TakeRestOfToken(std::string* text, size_t limit) {
    while (text->size() <= limit) {
      if (next_ >= size_ && !Refill()) return;
      if (IsSpace(chunk_[next_])) return;
      *text += chunk_[next_++];
    }
  }

  // Hands the characters read ahead back to the stream's buffer, where it
  // can seek.
  void PutBackUnused() {
    if (next_ < size_) {
      const std::streamoff unused = static_cast<std::streamoff>(size_ - next_);
      in_.rdbuf()->pubseekoff(-unused, std::ios_base::cur, std::ios_base::in);
    }
    next_ = size_ = 0;
  }

 private:
  bool Refill() {
    next_ = size_ = 0;
    if (exhausted_) return false;
    in_.read(chunk_.data(), kChunkSize);
    size_ = static_cast<size_t>(in_.gcount());
    chunk_[size_] = '\0';
    if (in_.bad()) failedToRead_ = true;
    if (size_ < static_cast<size_t>(kChunkSize) || failedToRead_) {
      exhausted_ = true;
    }
    return size_ > 0;
  }

  std::istream& in_;
  std::vector<char> chunk_;
  size_t next_ = 0;
  size_t size_ = 0;
  bool exhausted_ = false;
  bool failedToRead_ = false;
};

// At most as many numbers as fit into what is left of the stream, where
// its size can be found: every number but the first needs a character
// before its digits that ends the previous one. Reserving that much (or
// count, if smaller) keeps the vector from growing by copying.
size_t RoomNeeded(std::istream& in, int32_t count) {
  std::streambuf* buffer = in.rdbuf();
  const std::streampos here =
      buffer->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
  if (here == std::streampos(-1)) return 0;
  const std::streampos last =
      buffer->pubseekoff(0, std::ios_base::end, std::ios_base::in);
  buffer->pubseekpos(here, std::ios_base::in);
  if (last == std::streampos(-1) || last < here) return 0;
  const std::streamoff left = last - here;
  return static_cast<size_t>(std::min<std::streamoff>(count, left / 2 + 1));
}

// Millions of values fill their memory page by page; on Linux the kernel is
// asked to back it with large pages, which takes one fault per two megabytes
// instead of one per four kilobytes. Only a hint: nothing else changes.
void AdviseLargePages(void* begin, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kPage = 4096;
  constexpr size_t kWorthIt = size_t{8} << 20;
  if (bytes < kWorthIt) return;
  const uintptr_t first =
      (reinterpret_cast<uintptr_t>(begin) + kPage - 1) & ~(kPage - 1);
  const uintptr_t last =
      (reinterpret_cast<uintptr_t>(begin) + bytes) & ~(kPage - 1);
  if (last > first) {
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
  }
#else
  (void)begin;
  (void)bytes;
#endif
}

// Appends value, first telling `progress` when the values are about to move.
void Append(double value, const ReadProgress* progress, RealVector* values) {
  if (progress != nullptr && values->size() == values->capacity()) {
    progress->moving(progress->context);
  }
  values->push_back(value);
}

void Report(const ReadProgress* progress, const RealVector& values, bool done) {
  if (progress == nullptr) return;
  progress->arrived(progress->context, values.data(), values.size(), done);
}

// Keeps the refused token that starts with `start` and goes on in `in`.
void KeepBadToken(std::string start, bool tooLong, BadToken* bad) {
  bad->found = true;
  bad->tooLong = tooLong;
  bad->cut = tooLong || start.size() > kShownTokenLength;
  if (start.size() > kShownTokenLength) start.resize(kShownTokenLength);
  bad->text = std::move(start);
}

// Streams this file does not scan itself are read with `>>`; a refused
// token is named from its start where the stream can seek back to it, and
// from where the extraction stopped otherwise.
int32_t ExtractOneByOne(std::istream& in, int32_t count, RealVector* values,
                        const ReadProgress* progress, BadToken* bad) {
  using Traits = std::istream::traits_type;
  int32_t read = 0;
  for (; read < count; ++read) {
    const std::streampos here = in.tellg();
    double value = 0.0;
    if (in >> value) {
      const int next = in.peek();
      if (next == Traits::eof() || IsSpace(static_cast<char>(next))) {
        Append(value, progress, values);
        continue;
      }
    } else if (in.bad() || in.eof()) {
      break;
    }
    in.clear();
    if (here != std::streampos(-1)) {
      in.seekg(here);
      while (IsSpace(static_cast<char>(in.peek()))) in.get();
    }
    std::string token;
    for (int c = in.peek();
         c != Traits::eof() && !IsSpace(static_cast<char>(c)) &&
         token.size() <= kShownTokenLength;
         c = in.peek()) {
      token += static_cast<char>(in.get());
    }
    KeepBadToken(std::move(token), false, bad);
    in.setstate(std::ios_base::failbit);
    break;
  }
  Report(progress, *values, true);
  return read;
}

bool ScansLikeExtraction(const std::istream& in) {
  return in.good() && (in.flags() & std::ios_base::skipws) &&
         in.getloc() == std::locale::classic();
}

}  // namespace

int32_t ExtractDoubles(std::istream& in, int32_t count, RealVector* values,
                       const ReadProgress* progress, BadToken* bad) {
  BadToken ignored;
  if (bad == nullptr) bad = &ignored;
  *bad = BadToken();
  if (count <= 0) {
    Report(progress, *values, true);
    return 0;
  }
  if (!ScansLikeExtraction(in)) {
    return ExtractOneByOne(in, count, values, progress, bad);
  }
  if (in.tie() != nullptr) in.tie()->flush();
  values->reserve(values->size() + RoomNeeded(in, count));
  AdviseLargePages(values->data() + values->size(),
                   (values->capacity() - values->size()) * sizeof(double));

  ChunkedInput input(in);
  std::string carried;
  std::ios_base::iostate state = std::ios_base::goodbit;
  int32_t read = 0;
  while (read < count) {
    if (!input.SkipSpace()) {
      state = input.failedToRead()
                  ? std::ios_base::badbit | std::ios_base::failbit
                  : std::ios_base::eofbit | std::ios_base::failbit;
      break;
    }
    const char* begin = nullptr;
    const char* end = nullptr;
    bool atEnd = false;
    bool tooLong = false;
    ScannedDecimal decimal;
    input.TakeNumber(&carried, &begin, &end, &atEnd, &tooLong, &decimal);
    if (input.failedToRead()) {
      state = std::ios_base::badbit;
      break;
    }
    double value = 0.0;
    const bool converted =
        !tooLong && (ConvertScannedDecimal(decimal, &value) ||
                     ConvertNumber(begin, end, &value));
    // Only a whole token is a number: one that white space or the end of
    // the input ends. A refused token is named from its first character.
    if (!converted || !(atEnd || input.AtSpace())) {
      std::string start(begin,
                        std::min<size_t>(static_cast<size_t>(end - begin),
                                         kShownTokenLength + 1));
      if (!tooLong) input.TakeRestOfToken(&start, kShownTokenLength);
      KeepBadToken(std::move(start), tooLong, bad);
      state |=
          input.failedToRead() ? std::ios_base::badbit : std::ios_base::failbit;
      break;
    }
    if (atEnd) state |= std::ios_base::eofbit;
    Append(value, progress, values);
    ++read;
    if (read % kValuesPerProgress == 0) Report(progress, *values, false);
  }
  input.PutBackUnused();
  in.clear(state);
  Report(progress, *values, true);
  return read;
}

}  // namespace unionbound
