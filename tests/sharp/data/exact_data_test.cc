// The numbers as typed: decimal tokens read exactly, the scan kept in step
// with the doubles read, outward rounding to doubles and to decimal text.
#include "sharp/data/exact_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

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
