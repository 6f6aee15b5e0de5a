// A check shared by the tests of the sharp bounds' outputs: a double given
// for a decimal is the double next to it on its outer side.
#ifndef UNIONBOUND_TESTS_SHARP_OUTWARD_CHECK_H_
#define UNIONBOUND_TESTS_SHARP_OUTWARD_CHECK_H_

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "sharp/exact_arithmetic.h"
#include "sharp/exact_data.h"

namespace unionbound {

// x is not inside the decimal (above it when up, below it otherwise), and
// one step inward is inside.
inline void ExpectOutwardDouble(double x, const std::string& decimal, bool up) {
  Rational exact;
  ASSERT_TRUE(ParseExactDecimal(decimal, &exact)) << decimal;
  const double inward =
      std::nextafter(x, up ? -std::numeric_limits<double>::infinity()
                           : std::numeric_limits<double>::infinity());
  if (up) {
    EXPECT_GE(Rational(x), exact) << decimal;
    EXPECT_LT(Rational(inward), exact) << decimal;
  } else {
    EXPECT_LE(Rational(x), exact) << decimal;
    EXPECT_GT(Rational(inward), exact) << decimal;
  }
}

}  // namespace unionbound

#endif  // UNIONBOUND_TESTS_SHARP_OUTWARD_CHECK_H_
