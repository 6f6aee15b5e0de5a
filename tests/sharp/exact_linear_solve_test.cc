// Fraction-free elimination: exact solutions over a common denominator,
// row exchanges, and singular systems refused.
#include "sharp/exact_linear_solve.h"

#include <gtest/gtest.h>

namespace unionbound {
namespace {

IntegerMatrix Matrix(std::vector<std::vector<long>> rows) {
  IntegerMatrix a;
  for (const auto& row : rows) {
    a.emplace_back();
    for (long v : row) a.back().emplace_back(v);
  }
  return a;
}

TEST(ExactLinearSolve, SolvesExactlyAndRefusesSingularSystems) {
  // A zero first pivot forces a row exchange; the solution is (1/3, -2, 5/2)
  // with a negative determinant.
  const IntegerMatrix a = Matrix({{0, 2, 1}, {3, 0, 4}, {6, 1, 0}});
  std::vector<mpz_class> b(3);
  std::vector<mpq_class> exact = {mpq_class(1, 3), -2, mpq_class(5, 2)};
  std::vector<mpq_class> rhs(3, 0);
  for (size_t i = 0; i < 3; ++i) {
    for (size_t j = 0; j < 3; ++j) rhs[i] += mpq_class(a[i][j]) * exact[j];
  }
  // Integer right-hand sides: times 6.
  for (size_t i = 0; i < 3; ++i) b[i] = mpz_class(rhs[i] * 6);
  std::vector<mpz_class> numerators;
  mpz_class denominator;
  ASSERT_TRUE(SolveIntegerSystem(a, b, &numerators, &denominator));
  EXPECT_GT(denominator, 0);
  for (size_t i = 0; i < 3; ++i) {
    mpq_class v(numerators[i], denominator * 6);
    v.canonicalize();
    EXPECT_EQ(v, exact[i]) << i;
  }
  EXPECT_FALSE(SolveIntegerSystem(Matrix({{1, 2, 3}, {2, 4, 6}, {0, 1, 1}}),
                                  {1, 2, 3}, &numerators, &denominator));
  EXPECT_FALSE(SolveIntegerSystem(Matrix({{0, 0}, {0, 1}}), {0, 1}, &numerators,
                                  &denominator));
}

}  // namespace
}  // namespace unionbound
