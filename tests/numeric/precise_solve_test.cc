#include "numeric/precise_solve.h"

#include <gtest/gtest.h>

#include <vector>

namespace unionbound {
namespace {

TEST(PreciseSolve, PivotsByMagnitudeAndSolves) {
  // A zero in the leading place and a small pivot that elimination in
  // order would take: the exact solution is (1, 2, 3).
  std::vector<long double> a = {0, 1, 1, 1e-12L, 1, 0, 2, 0, 1};
  std::vector<long double> b = {5, 1e-12L + 2, 5};
  ASSERT_TRUE(PreciseSolve(&a, &b, 3));
  EXPECT_NEAR(static_cast<double>(b[0]), 1.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(b[1]), 2.0, 1e-15);
  EXPECT_NEAR(static_cast<double>(b[2]), 3.0, 1e-15);
}

TEST(PreciseSolve, KeepsTheDigitsOfAnIllConditionedSystem) {
  // The Hilbert matrix of order 6 (condition about 1.5e7), right side for
  // the solution of all ones: extended precision keeps about 11 digits.
  const int n = 6;
  std::vector<long double> a(n * n), b(n, 0.0L);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      a[i * n + j] = 1.0L / (i + j + 1);
      b[i] += a[i * n + j];
    }
  }
  ASSERT_TRUE(PreciseSolve(&a, &b, n));
  for (long double x : b) EXPECT_NEAR(static_cast<double>(x), 1.0, 1e-10);
}

TEST(PreciseSolve, ReportsASingularSystem) {
  std::vector<long double> a = {1, 2, 2, 4};
  std::vector<long double> b = {1, 2};
  EXPECT_FALSE(PreciseSolve(&a, &b, 2));
  std::vector<long double> empty;
  EXPECT_TRUE(PreciseSolve(&empty, &empty, 0));
}

}  // namespace
}  // namespace unionbound
