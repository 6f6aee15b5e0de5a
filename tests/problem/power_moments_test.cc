#include "problem/power_moments.h"

#include "gtest/gtest.h"
#include "numeric/vectors.h"

namespace unionbound {
namespace {

const IndexMatrix kPairs = {{1, 2}};

TEST(StirlingNumberTest, SecondKindValues) {
  EXPECT_EQ(StirlingNumber(5, 2), 15);
  EXPECT_EQ(StirlingNumber(3, 5), 0);
  EXPECT_EQ(StirlingNumber(4, 0), 0);
  EXPECT_EQ(StirlingNumber(0, 0), 1);
  EXPECT_EQ(StirlingNumber(6, 3), 90);
  EXPECT_EQ(StirlingNumber(7, 1), 1);
  EXPECT_EQ(StirlingNumber(7, 7), 1);
  EXPECT_EQ(StirlingNumber(11, 5), 246730);
}

TEST(FactorialTest, ProductUpToK) {
  EXPECT_EQ(Factorial(0), 1);
  EXPECT_EQ(Factorial(-3), 1);
  EXPECT_EQ(Factorial(1), 1);
  EXPECT_EQ(Factorial(5), 120);
  EXPECT_EQ(Factorial(12), 479001600);
}

TEST(PowerMomentMatrixTest, OrderOneIsIdentity) {
  EXPECT_EQ(PowerMomentMatrix(1, kPairs, IndexVector{1, 1}),
            (RealMatrix{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}));
}

TEST(PowerMomentMatrixTest, OrderTwoRows) {
  EXPECT_EQ(PowerMomentMatrix(2, kPairs, IndexVector{2, 2}),
            (RealMatrix{{1, 0, 0, 0, 0, 0},
                        {0, 1, 0, 0, 0, 0},
                        {0, 1, 2, 0, 0, 0},
                        {0, 0, 0, 1, 0, 0},
                        {0, 0, 0, 1, 2, 0},
                        {0, 0, 0, 0, 0, 1}}));
}

TEST(PowerMomentMatrixTest, OrderThreeSingleAndMixedRows) {
  const RealMatrix M = PowerMomentMatrix(3, kPairs, IndexVector{3, 3});
  ASSERT_EQ(M.size(), 10u);
  // {{1},{3}}: x^3 = C(x,1) + 6 C(x,2) + 6 C(x,3).
  EXPECT_EQ(M[3], (RealVector{0, 1, 6, 6, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(M[6], (RealVector{0, 0, 0, 0, 1, 6, 6, 0, 0, 0}));
  // {{1,2},{2,1}}: x1^2 x2 = C(x1,1) C(x2,1) + 2 C(x1,2) C(x2,1).
  EXPECT_EQ(M[8], (RealVector{0, 0, 0, 0, 0, 0, 0, 1, 2, 0}));
  EXPECT_EQ(M[9], (RealVector{0, 0, 0, 0, 0, 0, 0, 1, 0, 2}));
}

TEST(PowerMomentMatrixTest, TurnsBinomialIntoPowerMoments) {
  // X1 = 2 and X2 = 1 with certainty: binomial moments C(2,e1) C(1,e2).
  const RealVector b = {1, 2, 1, 0, 1, 0, 0, 2, 1, 0};
  const RealVector power =
      MatrixVectorProduct(PowerMomentMatrix(3, kPairs, IndexVector{3, 3}), b);
  EXPECT_EQ(power, (RealVector{1, 2, 4, 8, 1, 1, 1, 2, 4, 2}));
}

}  // namespace
}  // namespace unionbound
