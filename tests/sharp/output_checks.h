// Shared by the tests of the sharp bounds' outputs: the cells of a CSV row,
// and the check that a double given for a decimal is the double next to it
// on its outer side.
#ifndef UNIONBOUND_TESTS_SHARP_OUTPUT_CHECKS_H_
#define UNIONBOUND_TESTS_SHARP_OUTPUT_CHECKS_H_

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "sharp/data/exact_data.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {

// The cells of one CSV row (no quoting); a trailing comma ends an empty
// cell.
inline std::vector<std::string> SplitCsvRow(const std::string& row) {
  std::vector<std::string> cells;
  std::stringstream in(row);
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  if (!row.empty() && row.back() == ',') cells.push_back("");
  return cells;
}

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

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_TESTS_SHARP_OUTPUT_CHECKS_H_
