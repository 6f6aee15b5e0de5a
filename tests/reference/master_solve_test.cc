#include "reference/master_solve.h"

#include "capture_stdout.h"
#include "gtest/gtest.h"
#include "reference/lin_solve.h"

namespace unionbound::reference {
namespace {

TEST(MasterSolveTest, TrailingBlockGivesWeightsLeadingRowsTheResidual) {
  const RealMatrix A = {
      {1.0, 1.0}, {2.0, 3.0}, {4.0, 5.0}, {2.0, 1.0}, {1.0, 3.0}};
  const RealVector R = {1.1, 2.2, 3.3, 3.0, 5.0};
  const RealVector D = {-0.7, 0.3};
  CaptureStdout out;
  const MasterResult result = MasterSolve(D, R, A);
  EXPECT_EQ(out.Text(), "");

  const RealVector w =
      LinSolve(RealMatrix{{2.0, 1.0}, {1.0, 3.0}}, RealVector{3.0, 5.0});
  EXPECT_EQ(result.weights, w);
  ASSERT_EQ(result.residual.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const double y = A[i][1] * w[1] + (A[i][0] * w[0] + 0.0);
    EXPECT_EQ(result.residual[i], R[i] - y) << "row " << i;
  }
  EXPECT_NEAR(result.residual[0], 1.1 - 0.8 - 1.4, 1e-15);
  EXPECT_EQ(result.objective, D[1] * w[1] + (D[0] * w[0] + 0.0));
}

TEST(MasterSolveTest, NoPairLabelsLeaveAllMomentsAsResidual) {
  const RealVector R = {1.0, 0.5, 0.25};
  CaptureStdout out;
  for (const RealMatrix& A : {RealMatrix{}, RealMatrix{{}, {}, {}}}) {
    const MasterResult result = MasterSolve(RealVector{}, R, A);
    EXPECT_TRUE(result.weights.empty());
    EXPECT_EQ(result.residual, R);
    EXPECT_EQ(result.objective, 0.0);
  }
  EXPECT_EQ(out.Text(), "");
}

TEST(MasterSolveTest, SingularBlockStillGivesOneWeightPerPairLabel) {
  const RealMatrix A = {{1.0, 1.0}, {1.0, 2.0}, {2.0, 4.0}};
  CaptureStdout out;
  const MasterResult result =
      MasterSolve(RealVector{1.0, 1.0}, RealVector{1.0, 1.0, 2.0}, A);
  EXPECT_EQ(out.Text(), "(LinSolve) The matrix A is singular.\n");
  EXPECT_EQ(result.weights, (RealVector{1.0, 0.0}));
  EXPECT_EQ(result.residual, (RealVector{0.0}));
  EXPECT_EQ(result.objective, 1.0);
}

TEST(MasterSolveTest, WrongDifferenceLengthZeroesTheObjective) {
  const RealMatrix A = {{1.0}, {2.0}};
  CaptureStdout out;
  const MasterResult result =
      MasterSolve(RealVector{1.0, 2.0}, RealVector{1.0, 4.0}, A);
  EXPECT_EQ(out.Text(), "Scalar product: wrong sizes!");
  EXPECT_EQ(result.weights, (RealVector{2.0}));
  EXPECT_EQ(result.residual, (RealVector{-1.0}));
  EXPECT_EQ(result.objective, 0.0);
}

}  // namespace
}  // namespace unionbound::reference
