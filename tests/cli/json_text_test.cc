// The JSON text of both programs: doubles as the shortest decimals that read
// back bit for bit, and the layout and escaping of nlohmann-json.
#include "cli/json_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace unionbound {
namespace {

using Json = nlohmann::ordered_json;

uint64_t Bits(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

std::string ToChars(double x) {
  char buffer[64];
  return std::string(buffer,
                     std::to_chars(buffer, buffer + sizeof buffer, x).ptr);
}

// Hand-picked hard cases and random bit patterns of every exponent.
std::vector<double> Doubles() {
  std::vector<double> xs = {0.1,
                            1.0 / 3.0,
                            5e-324,
                            -5e-324,
                            2.2250738585072009e-308,
                            2.2250738585072014e-308,
                            std::numeric_limits<double>::max(),
                            1e300,
                            1e22,
                            1e23,
                            123456789012345680000.0,
                            9007199254740993.0,
                            1.0,
                            100.0,
                            0.0,
                            -0.0,
                            1e-7,
                            0.30000000000000004};
  std::mt19937_64 random(20261208);
  while (xs.size() < 20000) {
    double x;
    const uint64_t bits = random();
    std::memcpy(&x, &bits, sizeof x);
    if (std::isfinite(x)) xs.push_back(x);
  }
  return xs;
}

TEST(JsonText, DoublesAreShortestAndReadBackBitForBit) {
  for (const double x : Doubles()) {
    const std::string text = JsonNumberText(x);
    SCOPED_TRACE(text);
    if (x != 0.0 || !std::signbit(x)) {
      EXPECT_EQ(text, ToChars(x));
    }
    EXPECT_LE(text.size(), Json(x).dump().size()) << Json(x).dump();
    // Inside a document, through nlohmann-json's reader.
    const Json back = Json::parse(JsonText(Json::array({x})));
    EXPECT_EQ(Bits(back[0].get<double>()), Bits(x));
  }
  EXPECT_EQ(JsonNumberText(0.1), "0.1");
  EXPECT_EQ(JsonNumberText(1.0), "1");
  EXPECT_EQ(JsonNumberText(5e-324), "5e-324");
  EXPECT_EQ(JsonNumberText(-0.0), "-0.0");
  EXPECT_EQ(JsonNumberText(std::nan("")), "null");
  EXPECT_EQ(JsonNumberText(-std::numeric_limits<double>::infinity()), "null");
}

TEST(JsonText, LayoutAndEscapingAreNlohmannsBothCompactAndIndented) {
  const Json doc = {{"name", "a \"quoted\"\ttab\n\x01 \xc3\xa9"},
                    {"empty object", Json::object()},
                    {"empty array", Json::array()},
                    {"rows", {{1, -2}, {}, {3}}},
                    {"flags", {true, false, nullptr}},
                    {"big", UINT64_MAX},
                    {"small", INT64_MIN},
                    {"nested", {{"x", {{"y", Json::array({"z"})}}}}}};
  EXPECT_EQ(JsonText(doc), doc.dump());
  EXPECT_EQ(JsonText(doc, 2), doc.dump(2));
  EXPECT_EQ(JsonText(doc, 0), doc.dump(0));
}

TEST(JsonText, BytesThatAreNotUtf8BecomeAReplacementCharacter) {
  const Json doc = {{"input", "prob\xff.txt"}};
  const Json back = Json::parse(JsonText(doc));
  EXPECT_EQ(back["input"], "prob\xef\xbf\xbd.txt");
}

}  // namespace
}  // namespace unionbound
