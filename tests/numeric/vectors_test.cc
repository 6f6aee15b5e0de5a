#include "numeric/vectors.h"

#include <cmath>
#include <iostream>
#include <limits>

#include "capture_stdout.h"
#include "gtest/gtest.h"

namespace unionbound {
namespace {

TEST(ScalarProductTest, SumsProductsFromTheFront) {
  // Added from the front, the 1 is absorbed by 1e16; from the back it
  // would survive.
  EXPECT_EQ(
      ScalarProduct(RealVector{1.0, 1e16, -1e16}, RealVector{1.0, 1.0, 1.0}),
      0.0);
  EXPECT_EQ(ScalarProduct(RealVector{1.5, -2.0}, RealVector{2.0, 0.25}), 2.5);
  EXPECT_EQ(ScalarProduct(IndexVector{1, 2, 3}, IndexVector{4, 5, 6}), 32);
}

TEST(ScalarProductTest, EmptyVectorsGiveZeroSilently) {
  CaptureStdout out;
  EXPECT_EQ(ScalarProduct(RealVector{}, RealVector{}), 0.0);
  EXPECT_EQ(ScalarProduct(IndexVector{}, IndexVector{}), 0);
  EXPECT_EQ(out.Text(), "");
}

TEST(ScalarProductTest, WrongSizesWriteMessageWithoutLineEnd) {
  CaptureStdout out;
  EXPECT_EQ(ScalarProduct(RealVector{1.0, 2.0}, RealVector{1.0, 2.0, 3.0}),
            0.0);
  std::cout << "next";
  EXPECT_EQ(out.Text(), "Scalar product: wrong sizes!next");

  CaptureStdout integer_out;
  EXPECT_EQ(ScalarProduct(IndexVector{7}, IndexVector{}), 0);
  EXPECT_EQ(integer_out.Text(), "Scalar product: wrong sizes!");
}

TEST(ElementwiseTest, CoordProductAndVectsum) {
  CaptureStdout out;
  EXPECT_EQ(CoordProduct(RealVector{2.0, -3.0}, RealVector{0.5, 4.0}),
            (RealVector{1.0, -12.0}));
  EXPECT_EQ(vectsum(RealVector{2.0, -3.0}, RealVector{0.5, 4.0}),
            (RealVector{2.5, 1.0}));
  EXPECT_TRUE(CoordProduct(RealVector{}, RealVector{}).empty());
  EXPECT_TRUE(vectsum(RealVector{}, RealVector{}).empty());
  EXPECT_EQ(out.Text(), "");
}

TEST(ElementwiseTest, WrongSizesGiveEmptyVectorAndMessage) {
  {
    CaptureStdout out;
    EXPECT_TRUE(CoordProduct(RealVector{1.0}, RealVector{1.0, 2.0}).empty());
    EXPECT_EQ(out.Text(), "Coord product: wrong sizes!");
  }
  {
    CaptureStdout out;
    EXPECT_TRUE(
        vectsum(RealVector{1.0, 2.0, 3.0}, RealVector{1.0, 2.0}).empty());
    EXPECT_EQ(out.Text(), "wrong sizes of the vectors in vectsum");
  }
}

TEST(ElementwiseTest, ScaleAndDivideTakeTheScalarFirst) {
  EXPECT_EQ(ScaleVector(-2.0, RealVector{1.5, 0.0, -4.0}),
            (RealVector{-3.0, -0.0, 8.0}));
  EXPECT_EQ(DivideVector(4.0, RealVector{2.0, -1.0}), (RealVector{0.5, -0.25}));
  EXPECT_TRUE(ScaleVector(3.0, RealVector{}).empty());

  CaptureStdout out;
  const RealVector w = DivideVector(0.0, RealVector{1.0, 0.0});
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0], std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(w[1]));
  EXPECT_EQ(out.Text(), "");
}

TEST(IntPowerTest, RepeatedMultiplicationFromTheLeft) {
  CaptureStdout out;
  EXPECT_EQ(IntPower(2.0, 3), 8.0);
  EXPECT_EQ(IntPower(-1.5, 0), 1.0);
  EXPECT_EQ(IntPower(0.0, 5), 0.0);
  EXPECT_EQ(IntPower(-0.75, 1), -0.75);
  // 1.1^7 by squaring rounds differently from the left-to-right product.
  const double x = 1.1;
  EXPECT_EQ(IntPower(x, 7), x * x * x * x * x * x * x);
  EXPECT_EQ(out.Text(), "");
}

TEST(IntPowerTest, UndefinedPowersReturnTheBaseWithMessage) {
  {
    CaptureStdout out;
    EXPECT_EQ(IntPower(0.0, 0), 0.0);
    EXPECT_EQ(out.Text(), "zero^zero is not defined\n");
  }
  {
    CaptureStdout out;
    EXPECT_EQ(IntPower(-0.0, 0), 0.0);
    EXPECT_EQ(out.Text(), "zero^zero is not defined\n");
  }
  {
    CaptureStdout out;
    EXPECT_EQ(IntPower(3.0, -2), 3.0);
    EXPECT_EQ(out.Text(), "negative exponent does not yield integer\n");
  }
}

TEST(IntPowerTest, ElementwiseKeepsLengthAndReportsPerElement) {
  {
    CaptureStdout out;
    const RealVector w = IntPower(RealVector{1.0, 0.0, 2.0}, 0);
    EXPECT_EQ(w, (RealVector{1.0, 0.0, 1.0}));
    EXPECT_EQ(out.Text(), "zero^zero is not defined\n");
  }
  {
    CaptureStdout out;
    const RealVector w = IntPower(RealVector{2.0, 3.0}, -1);
    EXPECT_EQ(w, (RealVector{2.0, 3.0}));
    EXPECT_EQ(out.Text(),
              "negative exponent does not yield integer\n"
              "negative exponent does not yield integer\n");
  }
  EXPECT_EQ(IntPower(RealVector{-2.0, 0.5}, 3), (RealVector{-8.0, 0.125}));
}

TEST(MatrixVectorProductTest, OneScalarProductPerRow) {
  const RealMatrix A = {{1.0, 2.0, 3.0}, {-1.0, 0.0, 0.5}};
  EXPECT_EQ(MatrixVectorProduct(A, RealVector{1.0, 1.0, 2.0}),
            (RealVector{9.0, 0.0}));
  EXPECT_TRUE(MatrixVectorProduct(RealMatrix{}, RealVector{1.0}).empty());

  CaptureStdout out;
  const RealMatrix ragged = {{1.0, 2.0}, {3.0}};
  EXPECT_EQ(MatrixVectorProduct(ragged, RealVector{1.0, 1.0}),
            (RealVector{3.0, 0.0}));
  EXPECT_EQ(out.Text(), "Scalar product: wrong sizes!");
}

}  // namespace
}  // namespace unionbound
