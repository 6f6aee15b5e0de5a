// Exact dyadic arithmetic: the only rounding is the last one, to the double
// nearest to a ratio, and IEEE division rounds a ratio of two doubles the
// same way.
#include "events/dyadic.h"

#include <cmath>
#include <limits>
#include <random>

#include "gtest/gtest.h"

namespace unionbound {
namespace {

double Ratio(double a, double b) {
  return NearestRatio(ExactDyadic(a), ExactDyadic(b));
}

TEST(DyadicTest, RatioOfTwoDoublesIsTheirIeeeQuotient) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_int_distribution<int> scale(-60, 60);
  for (int i = 0; i < 20000; ++i) {
    const double a = std::ldexp(unit(rng), scale(rng));
    const double b = std::ldexp(unit(rng) + 1e-3, scale(rng));
    ASSERT_EQ(Ratio(a, b), a / b) << a << " / " << b;
  }
  EXPECT_EQ(Ratio(1.0, 3.0), 1.0 / 3.0);
  EXPECT_EQ(Ratio(0.0, 3.0), 0.0);
  EXPECT_EQ(Ratio(6.0, 3.0), 2.0);
}

TEST(DyadicTest, SubnormalAndTinyQuotientsRoundAtTheirLastPlace) {
  const double tiny = std::numeric_limits<double>::denorm_min();
  EXPECT_EQ(Ratio(1e-300, 1e10), 1e-300 / 1e10);
  // 1.5 times the smallest subnormal is a tie: it goes to the smaller
  // neighbour, where IEEE division would take the even one.
  EXPECT_EQ(Ratio(3 * tiny, 2.0), tiny);
  EXPECT_EQ(Ratio(tiny, 4.0), 0.0);
  EXPECT_EQ(Ratio(1e-310, 7.0), 1e-310 / 7.0);
}

TEST(DyadicTest, SumsAndProductsStayExact) {
  // (1 + 2^-60) - 1 is lost in double arithmetic but not here.
  const Dyadic one = ExactDyadic(1.0);
  const Dyadic small = ExactDyadic(std::ldexp(1.0, -60));
  EXPECT_EQ(NearestRatio(Subtract(Add(one, small), one), one),
            std::ldexp(1.0, -60));
  // (1 + 2^-30)^2 = 1 + 2^-29 + 2^-60: the last term decides nothing in a
  // double, but the product divided by (1 + 2^-30) gives it back exactly.
  const Dyadic x = ExactDyadic(1.0 + std::ldexp(1.0, -30));
  EXPECT_EQ(NearestRatio(Multiply(x, x), x), 1.0 + std::ldexp(1.0, -30));
  EXPECT_EQ(NearestRatio(Subtract(Multiply(x, x),
                                  Add(one, ExactDyadic(std::ldexp(1.0, -29)))),
                         one),
            std::ldexp(1.0, -60));
  // A difference below zero is clamped to 0.
  EXPECT_EQ(NearestRatio(Subtract(one, x), one), 0.0);
  // Halfway between 1 and the next double: a tie, rounded to the smaller.
  const Dyadic halfway = Add(one, ExactDyadic(std::ldexp(1.0, -53)));
  EXPECT_EQ(NearestRatio(halfway, one), 1.0);
  EXPECT_EQ(NearestRatio(Add(halfway, ExactDyadic(std::ldexp(1.0, -200))), one),
            std::nextafter(1.0, 2.0));
}

}  // namespace
}  // namespace unionbound
