#include "numeric/binomial.h"

#include "gtest/gtest.h"

namespace unionbound {
namespace {

TEST(BinomialTest, ExactCoefficients) {
  EXPECT_EQ(Binomial(5, 2), 10);
  EXPECT_EQ(Binomial(5, 3), 10);
  EXPECT_EQ(Binomial(4, 4), 1);
  EXPECT_EQ(Binomial(7, 1), 7);
  EXPECT_EQ(Binomial(20, 10), 184756);
  EXPECT_EQ(Binomial(12, 5), 792);
}

TEST(BinomialTest, EmptyChoicesAndOutOfRange) {
  EXPECT_EQ(Binomial(0, 0), 1);
  EXPECT_EQ(Binomial(6, 0), 1);
  EXPECT_EQ(Binomial(3, 4), 0);
  EXPECT_EQ(Binomial(0, 1), 0);
  EXPECT_EQ(Binomial(5, -1), 0);
  EXPECT_EQ(Binomial(-1, 2), 0);
}

}  // namespace
}  // namespace unionbound
