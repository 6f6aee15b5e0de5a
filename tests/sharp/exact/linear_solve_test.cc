// Fraction-free elimination: exact solutions over a common denominator,
// row exchanges, and singular systems refused.
#include "sharp/exact/linear_solve.h"

#include <gtest/gtest.h>

#include <random>

namespace unionbound::sharp {
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

// A random 0/1 matrix with about `density` ones, as rows of column indices.
std::vector<std::vector<int32_t>> RandomOnes(size_t k, double density,
                                             std::mt19937_64* random) {
  std::bernoulli_distribution one(density);
  std::vector<std::vector<int32_t>> ones(k);
  for (size_t i = 0; i < k; ++i) {
    for (size_t j = 0; j < k; ++j) {
      if (one(*random)) ones[i].push_back(static_cast<int32_t>(j));
    }
  }
  return ones;
}

mpq_class Fraction(const mpz_class& numerator, const mpz_class& denominator) {
  mpq_class q(numerator, denominator);
  q.canonicalize();
  return q;
}

IntegerMatrix Dense(const std::vector<std::vector<int32_t>>& ones,
                    bool transposed) {
  const size_t k = ones.size();
  IntegerMatrix a(k, std::vector<mpz_class>(k, 0));
  for (size_t i = 0; i < k; ++i) {
    for (int32_t j : ones[i]) (transposed ? a[j][i] : a[i][j]) = 1;
  }
  return a;
}

// Right-hand sides of the size the full program meets: decimals with 17
// digits times a power of ten.
std::vector<mpz_class> LargeIntegers(size_t k, std::mt19937_64* random) {
  std::uniform_int_distribution<int64_t> digits(-99999999999999999,
                                                99999999999999999);
  std::vector<mpz_class> b(k);
  for (mpz_class& v : b) v = mpz_class(static_cast<long>(digits(*random)));
  return b;
}

TEST(ExactLinearSolve, RefinementGivesTheExactSolutionOfZeroOneSystems) {
  std::mt19937_64 random(7);
  for (size_t k : {1, 5, 40, 90}) {
    for (double density : {0.1, 0.5, 0.9}) {
      const auto ones = RandomOnes(k, density, &random);
      const ZeroOneSystem system(ones);
      for (bool transposed : {false, true}) {
        std::vector<mpz_class> expectedNumerators;
        mpz_class expectedDenominator;
        const std::vector<mpz_class> b = LargeIntegers(k, &random);
        const bool singular =
            !SolveIntegerSystem(Dense(ones, transposed), b, &expectedNumerators,
                                &expectedDenominator);
        if (singular) {
          EXPECT_FALSE(system.Factored()) << k << " " << density;
          continue;
        }
        std::vector<mpz_class> numerators;
        mpz_class denominator;
        ASSERT_TRUE(system.Solve(b, transposed, &numerators, &denominator))
            << k << " " << density << " " << transposed;
        EXPECT_GT(denominator, 0);
        for (size_t i = 0; i < k; ++i) {
          EXPECT_EQ(Fraction(numerators[i], denominator),
                    Fraction(expectedNumerators[i], expectedDenominator))
              << k << " " << density << " " << transposed << " " << i;
        }
      }
    }
  }
}

TEST(ExactLinearSolve, RefinementRefusesSingularZeroOneSystems) {
  // Rows 0 and 2 are equal.
  const ZeroOneSystem system({{0, 1}, {1, 2}, {0, 1}});
  EXPECT_FALSE(system.Factored());
  std::vector<mpz_class> numerators;
  mpz_class denominator;
  EXPECT_FALSE(system.Solve({1, 2, 1}, false, &numerators, &denominator));
}

}  // namespace
}  // namespace unionbound::sharp
