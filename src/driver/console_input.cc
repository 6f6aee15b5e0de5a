#include "driver/console_input.h"

#include <charconv>
#include <limits>
#include <string>

#include "driver/data_messages.h"
#include "input/probability_input.h"
#include "numeric/subset_order.h"
#include "problem/power_moments.h"

namespace unionbound {

namespace {

// Tokens longer than this are shown cut short in a refusal.
constexpr size_t kShownTokenLength = 40;
// Tokens are read up to this length at most.
constexpr size_t kMaxTokenLength = 4096;

bool IsConsoleSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

struct Token {
  bool found = false;  // false: the input ended before any character
  std::string text;    // at most kShownTokenLength characters of it
  bool cut = false;    // whether the token went on beyond text
  // The token without the zeros that lead its digits (one stays), up to
  // kShownTokenLength characters: a size has at most ten significant
  // digits, so a longer form is no size.
  std::string value;
  bool valueCut = false;
};

void AppendToValue(char c, Token* token) {
  std::string& value = token->value;
  const size_t body = !value.empty() && (value[0] == '+' || value[0] == '-');
  if (value.size() == body + 1 && value[body] == '0' && c >= '0' && c <= '9') {
    value[body] = c;  // a leading zero gives way
  } else if (value.size() < kShownTokenLength) {
    value += c;
  } else {
    token->valueCut = true;
  }
}

// Skips white space and takes the characters up to the next white space or
// the end of the input; the white space after the token stays unread.
Token ReadToken(std::istream& in) {
  Token token;
  using Traits = std::istream::traits_type;
  int c = in.peek();
  while (c != Traits::eof() && IsConsoleSpace(c)) {
    in.get();
    c = in.peek();
  }
  for (size_t length = 0; c != Traits::eof() && !IsConsoleSpace(c); ++length) {
    token.found = true;
    if (length == kMaxTokenLength) {
      // No size is this long: the rest, which may never end (a device, a
      // binary file), is not read.
      token.cut = token.valueCut = true;
      break;
    }
    if (token.text.size() < kShownTokenLength) {
      token.text += static_cast<char>(c);
    } else {
      token.cut = true;
    }
    AppendToValue(static_cast<char>(c), &token);
    in.get();
    c = in.peek();
  }
  return token;
}

// The token as typed, in quotes; bytes that do not print are written as
// \xNN.
std::string Shown(const Token& token) {
  return QuotedToken(token.text, token.cut);
}

enum class Answer { kGiven, kRefused, kEnded };

// One size from its token; on failure explains what was expected.
Answer ReadSize(std::istream& in, std::ostream& err, const char* what,
                int32_t* value) {
  const Token token = ReadToken(in);
  if (!token.found) {
    err << "unionbound: standard input ended before " << what << " was given"
        << std::endl;
    return Answer::kEnded;
  }
  const std::optional<int32_t> parsed =
      token.valueCut ? std::nullopt : ParseSizeToken(token.value);
  if (!parsed) {
    // A whole number so large that it has no place among the sizes.
    const bool tooLarge =
        token.value.find_first_not_of("+-0123456789") == std::string::npos &&
        token.value.find_first_of("0123456789") != std::string::npos &&
        token.value.find_first_of("+-", 1) == std::string::npos;
    err << "unionbound: expected a whole number for " << what << ", got "
        << Shown(token);
    if (tooLarge) {
      err << ", which is far too "
          << (token.value[0] == '-' ? "small" : "large");
    }
    err << std::endl;
    return Answer::kRefused;
  }
  *value = *parsed;
  return Answer::kGiven;
}

// What a person at a terminal typed after a refused answer on the same
// line is dropped: the prompt asks again for a fresh line.
void DropRestOfLine(std::istream& in) {
  using Traits = std::istream::traits_type;
  for (int c = in.get(); c != Traits::eof() && c != '\n'; c = in.get()) {
  }
}

// Which of the sums that ProbabilityCount keeps below 2^31 does not fit:
// the count of intersections of one size, their total, or the number of
// event indices the intersections of one size hold together (which the
// moment conversion counts).
std::string WhyCountDoesNotFit(int32_t n, int32_t m) {
  constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
  int64_t total = 0;
  for (int32_t i = 1; i <= m && i <= n; ++i) {
    const int64_t c = Binomial(n, i);
    if (c < 0) {
      return "there are more than " + std::to_string(kLimit) +
             " intersections of " + std::to_string(i) + " events";
    }
    if (i * c > kLimit) {
      return "the " + std::to_string(c) + " intersections of " +
             std::to_string(i) + " events list " + std::to_string(i * c) +
             " events in all, more than the " + std::to_string(kLimit) +
             " that can be indexed";
    }
    total += c;
    if (total > kLimit) {
      return "it needs " + std::to_string(total) +
             " or more intersection probabilities, more than " +
             std::to_string(kLimit);
    }
  }
  return "it needs more numbers than can be counted";
}

bool CheckEventCount(int32_t n, std::ostream& err) {
  if (n < 2) {
    err << "unionbound: n must be at least 2 for any bound (got " << n << ")"
        << std::endl;
    return false;
  }
  if (n > kMaxEvents) {
    err << "unionbound: n must be at most " << kMaxEvents << " (got " << n
        << ")" << std::endl;
    return false;
  }
  return true;
}

bool CheckOrder(int32_t n, int32_t m, std::ostream& err) {
  if (m < 1) {
    err << "unionbound: m must be at least 1 (got " << m << ")" << std::endl;
    return false;
  }
  if (m % 2 == 0) {
    err << "unionbound: m must be an odd number (got " << m
        << "); even orders do not give valid bounds" << std::endl;
    return false;
  }
  if (m > kMaxIntersectionOrder) {
    err << "unionbound: m must be at most " << kMaxIntersectionOrder << " (got "
        << m << "); higher orders overflow the 32-bit moment conversion"
        << std::endl;
    return false;
  }
  // A pass is made for every l from m to n - m.
  if (n < 2 * m) {
    err << "unionbound: n must be at least 2m = " << 2 * m
        << " for any bound (got n=" << n << ", m=" << m << ")" << std::endl;
    return false;
  }
  if (!ProbabilityCountFits(n, m)) {
    err << "unionbound: n=" << n << ", m=" << m
        << " is too large: " << WhyCountDoesNotFit(n, m) << std::endl;
    return false;
  }
  return true;
}

}  // namespace

bool CheckRunSizes(int32_t n, int32_t m, std::ostream& err) {
  return CheckEventCount(n, err) && CheckOrder(n, m, err);
}

std::optional<int32_t> ParseSizeToken(const std::string& token) {
  const char* begin = token.data();
  const char* end = begin + token.size();
  bool negative = false;
  if (begin != end && (*begin == '+' || *begin == '-')) {
    negative = *begin == '-';
    ++begin;
  }
  if (begin == end) return std::nullopt;
  for (const char* c = begin; c != end; ++c) {
    if (*c < '0' || *c > '9') return std::nullopt;
  }
  // Magnitudes are read as unsigned 64-bit so that -2147483648 fits.
  uint64_t magnitude = 0;
  const std::from_chars_result result = std::from_chars(begin, end, magnitude);
  if (result.ec != std::errc() || result.ptr != end) return std::nullopt;
  constexpr uint64_t kMaxPositive = std::numeric_limits<int32_t>::max();
  if (magnitude > kMaxPositive + (negative ? 1 : 0)) return std::nullopt;
  const int64_t signedValue = negative ? -static_cast<int64_t>(magnitude)
                                       : static_cast<int64_t>(magnitude);
  return static_cast<int32_t>(signedValue);
}

RunSizes ReadRunSizes(std::istream& in, std::ostream& out, std::ostream& err,
                      bool askAgain) {
  RunSizes sizes{false, 0, 0};
  for (;;) {
    out << "Number of events. n=";
    out.flush();
    const Answer answer =
        ReadSize(in, err, "n (the number of events)", &sizes.n);
    if (answer == Answer::kEnded) return sizes;
    if (answer == Answer::kGiven && CheckEventCount(sizes.n, err)) break;
    if (!askAgain) return sizes;
    DropRestOfLine(in);
  }
  for (;;) {
    out << "Maximum order of the intersections (must be an odd number). m=";
    out.flush();
    const Answer answer = ReadSize(
        in, err, "m (the maximum order of the intersections)", &sizes.m);
    if (answer == Answer::kEnded) return sizes;
    if (answer == Answer::kGiven && CheckOrder(sizes.n, sizes.m, err)) break;
    if (!askAgain) return sizes;
    DropRestOfLine(in);
  }
  sizes.ok = true;
  return sizes;
}

}  // namespace unionbound
