// The chunked reader against the standard stream: on generated and malformed
// texts, ExtractDoubles must give what `in >> x` gives one extraction at a
// time when each number must be its whole token, value for value bit for
// bit, with the same failing token; after a complete read, the same stream
// state and read position. A refused token is named whole.
#include "input/extract_doubles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "input/entries_left.h"
#include "input/probability_input.h"
#include "trickle_buffer.h"

namespace unionbound {
namespace {

struct Extraction {
  RealVector values;
  int32_t read = 0;
  std::ios_base::iostate state = std::ios_base::goodbit;
  std::streampos position = -1;  // where the stream's buffer stands
  bool failed = false;           // a token was refused or the input ended
};

Extraction AfterwardsOf(std::istream& in, RealVector values, int32_t read) {
  Extraction result;
  result.values = values;
  result.read = read;
  result.state = in.rdstate();
  result.position =
      in.rdbuf()->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
  return result;
}

// `count` extractions with >>, stopping at the first that fails or that
// leaves its token unfinished (white space or the end must follow).
Extraction ByOperator(std::istream& in, int32_t count) {
  RealVector values;
  int32_t read = 0;
  for (; read < count; ++read) {
    double value = 0.0;
    if (!(in >> value)) break;
    // (peek at the end would set failbit)
    const int next = in.eof() ? std::char_traits<char>::eof() : in.peek();
    if (next != std::char_traits<char>::eof() && !std::isspace(next)) break;
    values.push_back(value);
  }
  Extraction result = AfterwardsOf(in, values, read);
  result.failed = read < count;
  return result;
}

Extraction ByChunks(std::istream& in, int32_t count) {
  RealVector values;
  const int32_t read = ExtractDoubles(in, count, &values);
  Extraction result = AfterwardsOf(in, values, read);
  result.failed = read < count;
  return result;
}

std::string Printable(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 32 && c < 127) {
      shown += static_cast<char>(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof(code), "\\x%02x", c);
      shown += code;
    }
  }
  return shown.size() > 300 ? shown.substr(0, 300) + "..." : shown;
}

void ExpectSame(const Extraction& chunks, const Extraction& expected,
                const std::string& text, bool comparePosition) {
  SCOPED_TRACE("text: [" + Printable(text) + "]");
  EXPECT_EQ(chunks.read, expected.read);
  ASSERT_EQ(chunks.values.size(), expected.values.size());
  if (!expected.values.empty()) {  // memcmp may not be given null pointers
    EXPECT_EQ(std::memcmp(chunks.values.data(), expected.values.data(),
                          expected.values.size() * sizeof(double)),
              0);
  }
  EXPECT_EQ(chunks.failed, expected.failed);
  // A refused token is read to its end to be named, where `>>` stops
  // inside it: state and position are the same only after complete reads.
  if (expected.failed) return;
  EXPECT_EQ(chunks.state, expected.state);
  if (comparePosition) {
    EXPECT_EQ(chunks.position, expected.position);
  }
}

void ExpectSameAsOperator(const std::string& text, int32_t count) {
  std::istringstream reference(text);
  std::istringstream in(text);
  ExpectSame(ByChunks(in, count), ByOperator(reference, count), text, true);
}

// The token a read of `count` numbers refuses, or "(none)".
std::string Refused(const std::string& text, int32_t count,
                    int32_t* read = nullptr) {
  std::istringstream in(text);
  RealVector values;
  BadToken bad;
  const int32_t got = ExtractDoubles(in, count, &values, nullptr, &bad);
  if (read != nullptr) *read = got;
  if (!bad.found) return "(none)";
  return bad.text + (bad.cut ? "..." : "") + (bad.tooLong ? " (too long)" : "");
}

TEST(ExtractDoublesTest, ATokenIsReadWholeOrRefusedWhole) {
  int32_t read = 0;
  // Never the number a token starts with: the whole token, in its place.
  EXPECT_EQ(Refused("0.1 0.001x5130911053113081", 2, &read),
            "0.001x5130911053113081");
  EXPECT_EQ(read, 1);
  EXPECT_EQ(Refused("0.25abc 0.5", 2, &read), "0.25abc");
  EXPECT_EQ(read, 0);
  EXPECT_EQ(Refused("0x1p-3", 1), "0x1p-3");
  EXPECT_EQ(Refused("0.1\n0,500 0.2", 3, &read), "0,500");
  EXPECT_EQ(read, 1);
  EXPECT_EQ(Refused("abc", 1), "abc");
  EXPECT_EQ(Refused("1e999 0.5", 2), "1e999");
  EXPECT_EQ(Refused("-inf", 1), "-inf");
  EXPECT_EQ(Refused(std::string("0.5\0 1", 6), 2), std::string("0.5\0", 4));
  // Whole numbers, white space of every kind, the end of the input.
  EXPECT_EQ(Refused("0.5\t1e-3\r\n.25\v2.", 4, &read), "(none)");
  EXPECT_EQ(read, 4);
  EXPECT_EQ(Refused("0.5 ", 3, &read), "(none)");
  EXPECT_EQ(read, 1);
  // A long token is named by its start; one beyond the length cap is
  // refused without being read to its end.
  EXPECT_EQ(Refused(std::string(100, 'x'), 1),
            std::string(kShownTokenLength, 'x') + "...");
  EXPECT_EQ(Refused("0." + std::string(kMaxNumberLength + 100000, '1'), 1),
            "0." + std::string(kShownTokenLength - 2, '1') + "... (too long)");
  // A token across a chunk boundary is named whole all the same.
  const std::string before(65530, ' ');
  EXPECT_EQ(Refused(before + "0.123456789z 1", 2), "0.123456789z");
}

TEST(ExtractDoublesTest, MalformedAndUnusualNumbersEndWhereTheStreamEnds) {
  const std::vector<std::string> texts = {
      "0.5abc 7",
      "1e",
      "1e 2",
      "1e+",
      "1E-x",
      "-.e1",
      ".",
      "-",
      "+",
      "+-1",
      "--1",
      "inf",
      "nan",
      "-inf 1",
      "0x1p3",
      "+.5 5. .5",
      "1..2",
      "1.2.3",
      "1e5.5",
      "1e5e5",
      "1e999",
      "-1e999",
      "1e999 ",
      "1e-400",
      "4.9e-324",
      "2.4703282292062327e-324",
      "1.7976931348623157e308",
      "1.7976931348623159e308",
      "0 -0 +0 0e0 -0.0e-0",
      "000000123.4500000e+0002",
      "1e-99999999999 2",
      "1e99999999999999",
      "9007199254740993 9007199254740995",
      "123456789012345678901234567890.5e-10",
      "1\v2\f3\r4\t5\n6",
      "\x80 1",
      std::string("1\0 2", 4),
      "",
      "   ",
      "\n\n",
      "e5",
      ".e",
      "5e+08x",
      "0.1E1",
      "12abc",
      "7,5",
      "1 2 3 4 5 6"};
  for (const std::string& text : texts) {
    for (int32_t count : {0, 1, 2, 3, 7}) ExpectSameAsOperator(text, count);
  }
}

// A token from a mix of well-formed numbers of many shapes and ranges and
// short runs of characters that numbers are made of.
std::string RandomToken(std::mt19937_64& rng) {
  auto digits = [&](int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + rng() % 10);
    return text;
  };
  char buffer[64];
  switch (rng() % 6) {
    case 0: {  // any finite double, shortest form
      double value = 0.0;
      const uint64_t bits = rng();
      std::memcpy(&value, &bits, sizeof(value));
      if (!std::isfinite(value)) value = 0.25;
      return std::string(buffer, std::to_chars(buffer, buffer + 64, value).ptr);
    }
    case 1: {  // a probability with some significant digits
      const double value = std::uniform_real_distribution<double>(0, 1)(rng);
      std::snprintf(buffer, sizeof(buffer), "%.*g",
                    static_cast<int>(rng() % 19 + 1), value);
      return buffer;
    }
    case 2: {  // digits, point and exponent in any combination
      std::string text;
      if (rng() % 3 == 0) text += rng() % 2 ? "-" : "+";
      text += digits(static_cast<int>(rng() % 24));
      if (rng() % 2) {
        text += '.';
        text += digits(static_cast<int>(rng() % 24));
      }
      if (rng() % 2) {
        text += rng() % 2 ? "e" : "E";
        if (rng() % 3 == 1) text += rng() % 2 ? "-" : "+";
        text += digits(static_cast<int>(rng() % 5));
      }
      return text;
    }
    case 3: {  // just above or below a rounding boundary
      const uint64_t w = ((uint64_t{1} << 53) + rng() % 4096) << (rng() % 11);
      return std::to_string(w) +
             (rng() % 2 ? "e-" + std::to_string(rng() % 30) : std::string());
    }
    case 4: {  // characters that numbers are made of, in any order
      const char kAlphabet[] = "0123456789+-.eE x";
      std::string text;
      for (int i = static_cast<int>(rng() % 10); i > 0; --i) {
        text += kAlphabet[rng() % (sizeof(kAlphabet) - 1)];
      }
      return text;
    }
    default:
      return std::to_string(rng() % 1000000);
  }
}

std::string RandomText(std::mt19937_64& rng, int tokens) {
  const char* kSpaces[] = {" ", "\n", "\t", "  ", "\r\n", "\v", "\f"};
  std::string text;
  for (int i = 0; i < tokens; ++i) {
    text += RandomToken(rng);
    if (rng() % 6 != 0) text += kSpaces[rng() % 7];
  }
  return text;
}

TEST(ExtractDoublesTest, GeneratedTextsReadLikeOneExtractionAtATime) {
  std::mt19937_64 rng(20240601);
  for (int round = 0; round < 50000; ++round) {
    const std::string text = RandomText(rng, 1 + static_cast<int>(rng() % 8));
    ExpectSameAsOperator(text, static_cast<int32_t>(rng() % 10));
  }
}

TEST(ExtractDoublesTest, NumbersAcrossChunksAndRefills) {
  std::mt19937_64 rng(77);
  // Far more than one chunk, with very long numbers among the usual ones.
  std::string text;
  for (int i = 0; i < 40000; ++i) {
    text += RandomToken(rng);
    text += i % 997 == 0 ? std::string(3000, '7') + "e-2990 " : " ";
  }
  const int32_t count = 50000;
  {
    std::istringstream reference(text);
    std::istringstream in(text);
    ExpectSame(ByChunks(in, count), ByOperator(reference, count), text, true);
  }
  for (size_t step : {1, 3, 4096}) {
    SCOPED_TRACE("refills of " + std::to_string(step) + " bytes");
    std::istringstream reference(text);
    TrickleBuffer buffer(text, step);
    std::istream in(&buffer);
    // Such a buffer cannot seek back: positions are not compared.
    ExpectSame(ByChunks(in, count), ByOperator(reference, count), text, false);
  }
  // A file, read through the same buffer the run uses.
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / "unionbound-extract-test.txt";
  std::ofstream(path, std::ios::binary) << text << "1.5 2.5";
  {
    std::ifstream reference(path);
    std::ifstream in(path);
    ExpectSame(ByChunks(in, count), ByOperator(reference, count), text, true);
    // Both stopped at the same place, so what follows is read alike.
    double a = 0.0;
    double b = 0.0;
    reference.clear();
    in.clear();
    reference >> a;
    in >> b;
    EXPECT_EQ(a, b);
  }
  std::filesystem::remove(path);
}

TEST(ExtractDoublesTest, StreamsThatTheScanCannotServeUseTheOperator) {
  const std::string text = "1 2 3";
  {
    // Without skipws the first extraction fails on the blank after "1".
    std::istringstream reference(text);
    std::istringstream in(text);
    reference >> std::noskipws;
    in >> std::noskipws;
    ExpectSame(ByChunks(in, 3), ByOperator(reference, 3), text, true);
  }
  {
    // A stream that has failed already reads nothing.
    std::istringstream reference(text);
    std::istringstream in(text);
    reference.setstate(std::ios_base::failbit);
    in.setstate(std::ios_base::failbit);
    const Extraction chunks = ByChunks(in, 3);
    ExpectSame(chunks, ByOperator(reference, 3), text, true);
    EXPECT_EQ(chunks.read, 0);
  }
}

TEST(ProbabilityReadTest, HoldsOnlyTheNumbersReadAndStopsAtTheFirstFailure) {
  {
    std::istringstream in("0.1 0.2\n0.3 x 0.5");
    const ProbabilityRead read = ReadProbabilitiesFrom(in, 6);
    EXPECT_EQ(read.p, (RealVector{0.1, 0.2, 0.3}));
    EXPECT_EQ(read.read, 3);
    EXPECT_EQ(read.expected, 6);
    EXPECT_EQ(read.stop, ReadStop::kNotANumber);
    EXPECT_EQ(read.badToken.text, "x");
  }
  {
    // A bad last token is no number, not an early end of the input.
    std::istringstream in("0.1 0.5x");
    const ProbabilityRead read = ReadProbabilitiesFrom(in, 2);
    EXPECT_EQ(read.read, 1);
    EXPECT_EQ(read.stop, ReadStop::kNotANumber);
    EXPECT_EQ(read.badToken.text, "0.5x");
  }
  {
    std::istringstream in("0.1 0.2 ");
    const ProbabilityRead read = ReadProbabilitiesFrom(in, 3);
    EXPECT_EQ(read.read, 2);
    EXPECT_EQ(read.stop, ReadStop::kEndOfInput);
  }
  {
    // A count far beyond the text does not reserve memory for it: what is
    // held follows what the text can contain.
    std::istringstream in("0.25 0.5 1");
    const ProbabilityRead read = ReadProbabilitiesFrom(in, 2000000000);
    EXPECT_EQ(read.read, 3);
    EXPECT_LE(read.p.capacity(), 16u);
  }
  {
    std::istringstream in("0.1 0.2 0.3 0.4");
    const ProbabilityRead read = ReadProbabilitiesFrom(in, 2);
    EXPECT_EQ(read.p, (RealVector{0.1, 0.2}));
    EXPECT_EQ(read.stop, ReadStop::kComplete);
    // The numbers after the count are left to the stream.
    double next = 0.0;
    in >> next;
    EXPECT_EQ(next, 0.3);
  }
}

TEST(EntriesLeftTest, AnEndlessStreamIsCountedOnlyUpToItsCap) {
  {
    std::istringstream in(" a bb\tc\n");
    bool more = true;
    EXPECT_EQ(CountEntriesLeft(in, &more), 3);
    EXPECT_FALSE(more);
  }
  {
    // Twice the cap of "0.1\n", as from `yes 0.1`: counting stops at the
    // cap and says there are more.
    std::string lines;
    for (int64_t i = 0; i < kEntriesLeftBytes / 2; ++i) lines += "0.1\n";
    std::istringstream in(lines);
    bool more = false;
    EXPECT_EQ(CountEntriesLeft(in, &more), kEntriesLeftBytes / 4);
    EXPECT_TRUE(more);
  }
}

// What a ReadProgress is told, in order.
struct ProgressLog {
  struct Call {
    bool moving;
    const double* values;
    size_t size;
    bool done;
  };
  std::vector<Call> calls;
  static void Arrived(void* log, const double* values, size_t size, bool done) {
    static_cast<ProgressLog*>(log)->calls.push_back(
        {false, values, size, done});
  }
  static void Moving(void* log) {
    static_cast<ProgressLog*>(log)->calls.push_back({true, nullptr, 0, false});
  }
};

// Values are handed on as they are read, never moved without a word before,
// and the last call says the reading is done, whichever way it ends.
TEST(ExtractDoublesTest, ProgressHandsOnEveryValueBeforeItCouldMove) {
  std::string text;
  const int32_t count = 3 * static_cast<int32_t>(kValuesPerProgress) + 17;
  for (int32_t i = 0; i < count; ++i) text += std::to_string(i) + " ";
  for (bool seekable : {true, false}) {
    for (int32_t asked : {count, count + 5, 10}) {
      SCOPED_TRACE(std::string(seekable ? "seekable" : "pipe") +
                   " asked=" + std::to_string(asked));
      std::istringstream file(text);
      TrickleBuffer trickle(text, 4093);
      std::istream pipe(&trickle);
      std::istream& in = seekable ? static_cast<std::istream&>(file) : pipe;
      ProgressLog log;
      const ReadProgress progress{ProgressLog::Arrived, ProgressLog::Moving,
                                  &log};
      RealVector values;
      const int32_t read = ExtractDoubles(in, asked, &values, &progress);
      EXPECT_EQ(read, std::min(asked, count));
      ASSERT_FALSE(log.calls.empty());
      EXPECT_TRUE(log.calls.back().done);
      EXPECT_EQ(log.calls.back().values, values.data());
      EXPECT_EQ(log.calls.back().size, values.size());
      const double* current = nullptr;
      size_t size = 0;
      int32_t reports = 0;
      for (const ProgressLog::Call& call : log.calls) {
        if (call.moving) {
          current = nullptr;
          continue;
        }
        // Storage named before must not have changed without `moving`.
        if (current != nullptr) {
          EXPECT_EQ(call.values, current);
        }
        current = call.values;
        EXPECT_GE(call.size, size);
        size = call.size;
        ++reports;
      }
      // Seekable input is reserved for at once: nothing ever moves. A pipe's
      // values grow by moving.
      int32_t moves = 0;
      for (const ProgressLog::Call& call : log.calls) moves += call.moving;
      if (seekable) {
        EXPECT_EQ(moves, 0);
      } else if (read > 1000) {
        EXPECT_GT(moves, 0);
      }
      if (read > static_cast<int32_t>(kValuesPerProgress)) {
        EXPECT_GT(reports, 1);
      }
    }
  }
}

}  // namespace
}  // namespace unionbound
