#include "cli/data_reasons.h"

#include <charconv>
#include <cstdio>

#include "numeric/subset_order.h"

namespace unionbound {

std::string EventsText(const IndexVector& events) {
  std::string text = "P{";
  for (size_t i = 0; i < events.size(); ++i) {
    if (i > 0) text += ",";
    text += std::to_string(events[i]);
  }
  return text + "}";
}

std::string CountOf(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

namespace {

// The events of the intersection at position t of the file order.
IndexVector EventsAt(int64_t t, int32_t n, int32_t m) {
  for (int32_t size = 1; size <= m; ++size) {
    const int64_t many = Binomial(n, size);
    if (many < 0) break;
    if (t < many) return UnrankSubset(n, size, static_cast<int32_t>(t));
    t -= many;
  }
  return {};
}

}  // namespace

std::string QuotedToken(const std::string& text, bool cut) {
  std::string shown = "\"";
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      shown += c;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    }
  }
  if (cut) shown += "...";
  return shown + "\"";
}

std::string WhyNoBounds(const ProbabilityRead& read,
                        const NonProbabilities& non, int32_t n, int32_t m) {
  const std::string next = std::to_string(int64_t{read.read} + 1);
  switch (read.stop) {
    case ReadStop::kComplete:
      break;
    case ReadStop::kNotANumber: {
      std::string why = "number " + next + " is not a number: " +
                        QuotedToken(read.badToken.text, read.badToken.cut);
      if (read.badToken.tooLong) {
        why += " (longer than " + std::to_string(kMaxNumberLength) +
               " characters)";
      }
      return why;
    }
    case ReadStop::kEndOfInput:
      return "n=" + std::to_string(n) + ", m=" + std::to_string(m) + " need " +
             std::to_string(read.expected) +
             " numbers, but the input ends after " + std::to_string(read.read);
    case ReadStop::kReadError:
      return "cannot be read beyond number " + std::to_string(read.read) +
             " (an input/output error, or not a file)";
    case ReadStop::kCannotOpen:
      return "cannot be opened";
  }
  if (non.first < 0) return "";
  const double value = read.p[static_cast<size_t>(non.first)];
  std::string why = "number " + std::to_string(non.first + 1) + ": " +
                    EventsText(EventsAt(non.first, n, m)) + " = " +
                    ShortestText(value) + " is not a probability in [0, 1]";
  if (non.count > 1) {
    why += " (nor " + std::string(non.count == 2 ? "is " : "are ") +
           CountOf(non.count - 1, "more number", "more numbers") + ")";
  }
  if (non.percentages) {
    why +=
        "; every number lies in [0, 100]: are they percentages? Divide "
        "them by 100";
  }
  return why;
}

std::string ShortestText(double x) {
  char text[64];
  const std::to_chars_result result =
      std::to_chars(text, text + sizeof text, x);
  return std::string(text, result.ptr);
}

}  // namespace unionbound
