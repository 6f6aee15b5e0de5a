// The univariate sharp bounds for m = 1 and m = 2 equal their closed forms
// exactly, on every family of generated systems.
#include <gtest/gtest.h>

#include "sharp/moments/sharp_bound.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

// S_k of the doubles' exact values.
Rational BinomialMoment(const GeneratedSystem& s, size_t k) {
  Rational sum = 0;
  for (size_t u = 0; u < s.p.size(); ++u) {
    if (s.subsets[u].size() == k) sum += ExactValue(s.p[u]);
  }
  return sum;
}

Rational Smallest(const Rational& a, const Rational& b) {
  return a < b ? a : b;
}

// Dawson-Sankoff: k = 1 + floor(2 S2 / S1),
// lower = 2 S1 / (k + 1) - 2 S2 / (k (k + 1)).
Rational DawsonSankoff(const Rational& s1, const Rational& s2) {
  const Rational ratio = 2 * s2 / s1;
  mpz_class floor;
  mpz_fdiv_q(floor.get_mpz_t(), ratio.get_num_mpz_t(), ratio.get_den_mpz_t());
  const Rational k = Rational(floor) + 1;
  return 2 * s1 / (k + 1) - 2 * s2 / (k * (k + 1));
}

TEST(UnivariateSharp, OrderOneIsS1OverNAndMinOfOneAndS1) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t n : {3, 8, 15}) {
      const GeneratedSystem s = Generate(family, n, 1, 11 + n);
      const SharpInterval in = SolveProgram(s, kUnivariate);
      const Rational s1 = BinomialMoment(s, 1);
      SCOPED_TRACE(s.name);
      ASSERT_EQ(in.lower.status, SharpStatus::kSharp);
      ASSERT_EQ(in.upper.status, SharpStatus::kSharp);
      EXPECT_EQ(in.lower.exact, s1 / n);
      EXPECT_EQ(in.upper.exact, Smallest(Rational(1), s1));
      EXPECT_LE(ExactValue(in.lower.bound), s1 / n);
      EXPECT_GE(ExactValue(in.upper.bound), Smallest(Rational(1), s1));
    }
  }
}

TEST(UnivariateSharp, OrderTwoIsDawsonSankoffAndMinOfOneAndS1Minus2S2OverN) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t n : {4, 9, 20}) {
      const GeneratedSystem s = Generate(family, n, 2, 5 * n + 1);
      const SharpInterval in = SolveProgram(s, kUnivariate);
      const Rational s1 = BinomialMoment(s, 1);
      const Rational s2 = BinomialMoment(s, 2);
      SCOPED_TRACE(s.name);
      ASSERT_EQ(in.lower.status, SharpStatus::kSharp);
      ASSERT_EQ(in.upper.status, SharpStatus::kSharp);
      EXPECT_EQ(in.lower.exact, DawsonSankoff(s1, s2));
      EXPECT_EQ(in.upper.exact, Smallest(Rational(1), s1 - 2 * s2 / n));
    }
  }
}

}  // namespace
}  // namespace unionbound::sharp
