// Decimal text of bounds, rounded outward so that a printed lower bound is
// still a lower bound and a printed upper bound still an upper bound: a
// given number of significant digits, fixed notation from 1e-4 on and
// scientific notation below.
#ifndef UNIONBOUND_SHARP_EXACT_OUTWARD_FORMAT_H_
#define UNIONBOUND_SHARP_EXACT_OUTWARD_FORMAT_H_

#include <string>

#include "sharp/exact/rational.h"

namespace unionbound::sharp {

enum class Rounding { kDown, kUp };

// q with `digits` significant digits, rounded towards -infinity (kDown) or
// +infinity (kUp); "0" for zero.
std::string FormatOutward(const Rational& q, int digits, Rounding rounding);
std::string FormatOutward(double x, int digits, Rounding rounding);

// The smallest double >= exact (up) or the largest double <= it (down).
double OutwardDouble(const Rational& exact, bool up);
// The same for a decimal text such as FormatOutward writes; NaN when the
// text is no decimal number.
double OutwardDouble(const std::string& decimal, bool up);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_EXACT_OUTWARD_FORMAT_H_
