// Exact arithmetic on nonnegative dyadic numbers, mantissa * 2^exponent with
// a mantissa of any length: every double is one, and sums and products of
// them stay exact. The one inexact step is the last: the double nearest to
// a ratio of two. Used to give generated event systems probabilities that
// are the doubles nearest to their exact values.
#ifndef UNIONBOUND_EVENTS_DYADIC_H_
#define UNIONBOUND_EVENTS_DYADIC_H_

#include <cstdint>
#include <vector>

namespace unionbound {

struct Dyadic {
  std::vector<uint32_t> limbs;  // the mantissa, least significant first;
                                // empty for 0
  int64_t exponent = 0;
};

// x exactly; x must be finite and not negative.
Dyadic ExactDyadic(double x);

Dyadic Add(const Dyadic& a, const Dyadic& b);
// a - b for a >= b; 0 when a < b.
Dyadic Subtract(const Dyadic& a, const Dyadic& b);
Dyadic Multiply(const Dyadic& a, const Dyadic& b);

// The double nearest to a / b (b > 0); of two equally near, the smaller.
double NearestRatio(const Dyadic& a, const Dyadic& b);

}  // namespace unionbound

#endif  // UNIONBOUND_EVENTS_DYADIC_H_
