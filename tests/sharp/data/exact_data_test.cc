// The numbers as typed: decimal tokens read exactly, the scan kept in step
// with the doubles read, outward rounding to doubles and to decimal text.
#include "sharp/data/exact_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "sharp/exact/outward_format.h"

namespace unionbound::sharp {
namespace {

Rational Decimal(const std::string& text) {
  Rational q;
  EXPECT_TRUE(ParseExactDecimal(text, &q)) << text;
  return q;
}

TEST(ExactData, DecimalTokensAreReadExactly) {
  EXPECT_EQ(Decimal("0.3"), Rational(3, 10));
  EXPECT_EQ(Decimal("1e-3"), Rational(1, 1000));
  EXPECT_EQ(Decimal("-2.5E+2"), Rational(-250));
  EXPECT_EQ(Decimal("+.5"), Rational(1, 2));
  EXPECT_EQ(Decimal("5."), Rational(5));
  EXPECT_EQ(Decimal("000.0012300"), Rational(123, 100000));
  EXPECT_EQ(Decimal("0.1000000000000000055511151231257827"),
            Rational(mpz_class("1000000000000000055511151231257827"),
                     mpz_class("10000000000000000000000000000000000")));
  // 1e-320 is below every normal double, and still exact.
  EXPECT_EQ(Decimal("1e-320") * Rational(mpz_class(10)) *
                Rational(mpz_class("1" + std::string(319, '0'))),
            1);
  Rational q;
  for (const char* bad : {"", ".", "e5", "0x10", "1.5.2", "0.3 ", "--1"}) {
    EXPECT_FALSE(ParseExactDecimal(bad, &q)) << bad;
  }
}

TEST(ExactData, ReadsEveryNumberAsTypedAndFallsBackWhenTheScanDrifts) {
  std::istringstream in("0.3 1e-17\n0.30000000000000001\t0.25");
  const RealVector p{0.3, 1e-17, 0.30000000000000001, 0.25};
  const ExactData exact = ReadExactData(in, p);
  EXPECT_EQ(exact.typed, 4);
  EXPECT_EQ(ValueOf(exact, 0), Rational(3, 10));
  EXPECT_EQ(ValueOf(exact, 1),
            Rational(mpz_class(1), mpz_class("100000000000000000")));
  EXPECT_EQ(ValueOf(exact, 2), Rational(mpz_class("30000000000000001"),
                                        mpz_class("100000000000000000")));
  EXPECT_EQ(ValueOf(exact, 3), Rational(1, 4));
  // A text that does not give the doubles read: from there on the numbers
  // are the doubles' exact values.
  std::istringstream drift("0.5 0.7 0.1");
  const ExactData fallback = ReadExactData(drift, {0.5, 0.25, 0.125});
  EXPECT_EQ(fallback.typed, 1);
  EXPECT_EQ(ValueOf(fallback, 0), Rational(1, 2));
  EXPECT_EQ(ValueOf(fallback, 1), Rational(1, 4));
  EXPECT_EQ(ValueOf(fallback, 2), Rational(1, 8));
  // Doubles and rationals give one common denominator too.
  const ExactData doubles = ExactDataFromDoubles({0.1, -1e-300, 0.0});
  EXPECT_EQ(ValueOf(doubles, 0), ExactValue(0.1));
  EXPECT_EQ(ValueOf(doubles, 1), ExactValue(-1e-300));
  EXPECT_EQ(ValueOf(doubles, 2), 0);
}

TEST(ExactData, LargeFilesReadInTwoHalvesGiveTheSameNumbers) {
  // Over a megabyte of numbers u / 2^20 written as decimals, so the halves
  // are scanned at once; a token in the second half that is not the double
  // read makes the rest fall back, exactly as a scan in one piece would.
  const size_t count = 120000;
  std::string text;
  RealVector p;
  for (size_t u = 0; u < count; ++u) {
    const double x = static_cast<double>(u % 1000003) / 1048576.0;
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.20f\n", x);
    text += buffer;
    p.push_back(x);
  }
  ASSERT_GT(text.size(), 2u << 20);
  std::istringstream in(text);
  const ExactData exact = ReadExactData(in, p);
  EXPECT_EQ(exact.typed, static_cast<int32_t>(count));
  for (size_t u = 0; u < count; u += 997) {
    ASSERT_EQ(ValueOf(exact, u), ExactValue(p[u])) << u;
  }
  RealVector drifted = p;
  drifted[count - 1000] = 0.75;
  std::istringstream again(text);
  const ExactData fallback = ReadExactData(again, drifted);
  EXPECT_EQ(fallback.typed, static_cast<int32_t>(count - 1000));
  EXPECT_EQ(ValueOf(fallback, count - 1000), Rational(3, 4));
  EXPECT_EQ(ValueOf(fallback, count - 1), ExactValue(p[count - 1]));
}

// Awkward tokens in every form the store keeps: short mantissas with
// exponents, mantissas beyond 18 digits and beyond 64 bits, 1,200 places,
// zeros of either sign, 1; each read in chunks of every size must give the
// value of the token itself, over the same common denominator.
TEST(ExactData, AwkwardTokensKeepTheirExactValueInEveryChunking) {
  const std::string digits1200 = "0." + std::string(1199, '0') + "7";
  const std::vector<std::string> tokens = {
      "0.0035128887844803267",
      "1",
      "0",
      "-0",
      "-0.000",
      "1e-3",
      "2.5E-1",
      "+.5",
      "5.",
      "0.123456789012345678",
      "0.1234567890123456789",
      "0.99999999999999999999999999",
      "18446744073709551617e-20",
      "9223372036854775807e-19",
      "3e2",
      "-0e5",
      "1e-45",
      "0.000000000000000000000000000000000000000000000012",
      digits1200,
      "0.30000000000000001",
      "1.000000000000000000000000001"};
  std::string text;
  RealVector p;
  RationalVector expected;
  for (const std::string& t : tokens) {
    text += t + (text.size() % 3 == 0 ? "\n" : " \t ");
    p.push_back(std::strtod(t.c_str(), nullptr));
    expected.push_back(Decimal(t));
  }
  for (size_t chunk : {size_t{1}, size_t{2}, size_t{7}, text.size()}) {
    ExactScanner scanner(p.size());
    for (size_t at = 0; at < text.size(); at += chunk) {
      scanner.Take(text.data() + at, std::min(chunk, text.size() - at));
    }
    const ExactData exact = scanner.Finish(p);
    ASSERT_EQ(exact.typed, static_cast<int32_t>(tokens.size())) << chunk;
    EXPECT_EQ(exact.typedDecimals, 1200);
    for (size_t u = 0; u < tokens.size(); ++u) {
      EXPECT_EQ(ValueOf(exact, u), expected[u]) << tokens[u];
      EXPECT_EQ(SignOf(exact, u), sgn(expected[u])) << tokens[u];
      mpz_class scratch[2];
      for (size_t v = 0; v < tokens.size(); ++v) {
        const int want = expected[u] < expected[v]   ? -1
                         : expected[u] > expected[v] ? 1
                                                     : 0;
        ASSERT_EQ(CompareValues(exact, u, v, scratch), want)
            << tokens[u] << " " << tokens[v];
      }
    }
  }
  // A negative zero is typed only where the double read is one too.
  const ExactData signs = ReadExactText("-0 -0e-50 -0e5", {-0.0, 0.0, -0.0});
  EXPECT_EQ(signs.typed, 1);
}

// Numbers that are not as typed mix with typed ones in one store: a token
// the scan cannot take ends it, and the doubles read from there on keep
// their exact values, tiny, huge and negative ones too.
TEST(ExactData, DoublesAfterTheScanStopsKeepTheirExactValues) {
  const RealVector p = {0.25, 0.5, 1e300, -3e-310, 0.1, 1.0};
  const ExactData exact = ReadExactText("0.25 0.5 0x1p3 9 9 9", p);
  EXPECT_EQ(exact.typed, 2);
  EXPECT_EQ(exact.typedDecimals, -1);
  for (size_t u = 0; u < p.size(); ++u) {
    EXPECT_EQ(ValueOf(exact, u), ExactValue(p[u])) << u;
  }
  const ExactData doubles = ExactDataFromDoubles(p);
  for (size_t u = 0; u < p.size(); ++u) {
    EXPECT_EQ(ValueOf(doubles, u), ExactValue(p[u])) << u;
  }
  // The moments of rationals need no common decimal denominator.
  const ExactData rationals =
      ExactDataFromRationals({Rational(1, 3), Rational(-2, 7), Rational(0)});
  EXPECT_EQ(ValueOf(rationals, 0), Rational(1, 3));
  EXPECT_EQ(ValueOf(rationals, 1), Rational(-2, 7));
  EXPECT_EQ(SignOf(rationals, 2), 0);
}

TEST(ExactArithmetic, OutwardRoundingBracketsTheExactValue) {
  const Rational third(1, 3);
  const double down = RoundDown(third);
  const double up = RoundUp(third);
  EXPECT_LT(ExactValue(down), third);
  EXPECT_GT(ExactValue(up), third);
  EXPECT_EQ(std::nextafter(down, 1.0), up);
  EXPECT_EQ(RoundNearest(third), 1.0 / 3.0);
  EXPECT_EQ(RoundDown(-third), -up);
  EXPECT_EQ(RoundDown(ExactValue(0.1)), 0.1);
  EXPECT_EQ(RoundUp(ExactValue(0.1)), 0.1);
  EXPECT_LT(ExactValue(RoundDown(Rational(3, 10))), Rational(3, 10));
  EXPECT_GT(ExactValue(RoundUp(Rational(3, 10))), Rational(3, 10));
}

TEST(OutwardFormat, SignificantDigitsRoundedAwayFromTheBoundSide) {
  EXPECT_EQ(FormatOutward(Rational(3, 10), 10, Rounding::kDown),
            "0.3000000000");
  EXPECT_EQ(FormatOutward(Rational(3, 10), 10, Rounding::kUp), "0.3000000000");
  EXPECT_EQ(FormatOutward(Rational(2, 3), 10, Rounding::kDown), "0.6666666666");
  EXPECT_EQ(FormatOutward(Rational(2, 3), 10, Rounding::kUp), "0.6666666667");
  EXPECT_EQ(FormatOutward(Rational(1), 10, Rounding::kUp), "1.000000000");
  EXPECT_EQ(FormatOutward(Rational(0), 10, Rounding::kUp), "0");
  // Below 1e-4 the notation is scientific, so rare-event bounds stay
  // readable.
  EXPECT_EQ(FormatOutward(Rational(1, 10000), 10, Rounding::kDown),
            "0.0001000000000");
  EXPECT_EQ(FormatOutward(Rational(866, 1000000000000), 10, Rounding::kUp),
            "8.660000000e-10");
  EXPECT_EQ(FormatOutward(Rational(2, 3000000000), 4, Rounding::kDown),
            "6.666e-10");
  EXPECT_EQ(FormatOutward(Rational(2, 3000000000), 4, Rounding::kUp),
            "6.667e-10");
  // Rounding up to the next power of ten, negative numbers, big numbers.
  EXPECT_EQ(FormatOutward(Rational(99999, 100000), 3, Rounding::kUp), "1.00");
  EXPECT_EQ(FormatOutward(Rational(-1737, 10), 3, Rounding::kDown), "-174");
  EXPECT_EQ(FormatOutward(Rational(-1737, 10), 3, Rounding::kUp), "-173");
  EXPECT_EQ(FormatOutward(Rational(7250), 3, Rounding::kUp), "7250");
  EXPECT_EQ(FormatOutward(0.1, 17, Rounding::kUp), "0.10000000000000001");
  EXPECT_EQ(FormatOutward(0.1, 17, Rounding::kDown), "0.10000000000000000");
}

}  // namespace
}  // namespace unionbound::sharp
