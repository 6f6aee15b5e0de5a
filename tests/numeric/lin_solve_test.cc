#include "numeric/lin_solve.h"

#include <cmath>

#include "capture_stdout.h"
#include "gtest/gtest.h"

namespace unionbound {
namespace {

constexpr char kSingular[] = "(LinSolve) The matrix A is singular.\n";
constexpr char kSizeProblem[] = "Size problem in the input of LinSolve.\n";

TEST(LinSolveTest, RegularSystemsFollowTheEliminationOrder) {
  CaptureStdout out;
  const RealVector x =
      LinSolve(RealMatrix{{2.0, 1.0}, {1.0, 3.0}}, RealVector{3.0, 5.0});
  // Step 0 leaves b = (1.5, 3.5) and the pivot 2.5; step 1 finishes.
  const double x1 = 3.5 / 2.5;
  EXPECT_EQ(x, (RealVector{1.5 - x1 * 0.5, x1}));
  EXPECT_NEAR(x[0], 0.8, 1e-15);
  EXPECT_NEAR(x[1], 1.4, 1e-15);

  const RealVector y =
      LinSolve(RealMatrix{{1.0, 1.0, 1.0}, {0.0, 2.0, 1.0}, {2.0, 0.0, 4.0}},
               RealVector{6.0, 7.0, 14.0});
  ASSERT_EQ(y.size(), 3u);
  EXPECT_NEAR(y[0], 1.0, 1e-12);
  EXPECT_NEAR(y[1], 2.0, 1e-12);
  EXPECT_NEAR(y[2], 3.0, 1e-12);
  EXPECT_EQ(out.Text(), "");
}

TEST(LinSolveTest, ZeroLeadingElementExchangesWholeRows) {
  CaptureStdout out;
  EXPECT_EQ(LinSolve(RealMatrix{{0.0, 1.0}, {1.0, 0.0}}, RealVector{2.0, 3.0}),
            (RealVector{3.0, 2.0}));
  EXPECT_EQ(out.Text(), "");
}

TEST(LinSolveTest, AnyNonZeroPivotIsAccepted) {
  // A pivot of 1e-300 is used as it is, without a search for a larger one,
  // which loses the first component entirely.
  CaptureStdout out;
  EXPECT_EQ(
      LinSolve(RealMatrix{{1e-300, 1.0}, {1.0, 1.0}}, RealVector{1.0, 2.0}),
      (RealVector{0.0, 1.0}));
  EXPECT_EQ(out.Text(), "");
}

TEST(LinSolveTest, SingularColumnsSubstituteUnitPivot) {
  {
    CaptureStdout out;
    EXPECT_EQ(
        LinSolve(RealMatrix{{1.0, 2.0}, {2.0, 4.0}}, RealVector{1.0, 2.0}),
        (RealVector{1.0, 0.0}));
    EXPECT_EQ(out.Text(), kSingular);
  }
  {
    CaptureStdout out;
    EXPECT_EQ(
        LinSolve(RealMatrix{{0.0, 0.0}, {0.0, 0.0}}, RealVector{1.0, 1.0}),
        (RealVector{1.0, 1.0}));
    EXPECT_EQ(out.Text(), std::string(kSingular) + kSingular);
  }
}

TEST(LinSolveTest, SizeMismatchIsReportedAndEliminationGoesOn) {
  {
    // A third column is carried along and ignored.
    CaptureStdout out;
    const RealVector x = LinSolve(RealMatrix{{2.0, 1.0, 7.0}, {1.0, 3.0, 9.0}},
                                  RealVector{3.0, 5.0});
    const double x1 = 3.5 / 2.5;
    EXPECT_EQ(x, (RealVector{1.5 - x1 * 0.5, x1}));
    EXPECT_EQ(out.Text(), kSizeProblem);
  }
  {
    // A longer right side keeps its extra entry.
    CaptureStdout out;
    EXPECT_EQ(LinSolve(RealMatrix{{0.0, 1.0}, {1.0, 0.0}},
                       RealVector{2.0, 3.0, -7.5}),
              (RealVector{3.0, 2.0, -7.5}));
    EXPECT_EQ(out.Text(), kSizeProblem);
  }
}

TEST(LinSolveTest, InputsThatCannotBeEliminatedComeBackUnchanged) {
  {
    CaptureStdout out;
    EXPECT_EQ(LinSolve(RealMatrix{{1.0}, {2.0}}, RealVector{4.0, 5.0}),
              (RealVector{4.0, 5.0}));
    EXPECT_EQ(out.Text(), kSizeProblem);
  }
  {
    CaptureStdout out;
    EXPECT_EQ(LinSolve(RealMatrix{{1.0, 2.0}, {3.0}}, RealVector{4.0, 5.0}),
              (RealVector{4.0, 5.0}));
    EXPECT_EQ(out.Text(), kSizeProblem);
  }
  {
    CaptureStdout out;
    EXPECT_EQ(LinSolve(RealMatrix{{1.0, 2.0}, {3.0, 4.0}}, RealVector{4.0}),
              (RealVector{4.0}));
    EXPECT_EQ(out.Text(), kSizeProblem);
  }
}

TEST(LinSolveTest, EmptySystemGivesEmptySolutionSilently) {
  CaptureStdout out;
  EXPECT_TRUE(LinSolve(RealMatrix{}, RealVector{}).empty());
  EXPECT_EQ(out.Text(), "");
}

TEST(LinSolveTest, CallersArgumentsAreNotChanged) {
  const RealMatrix A = {{0.0, 2.0, 1.0}, {1.0, 1.0, 0.0}, {2.0, 0.0, 3.0}};
  const RealVector b = {1.0, 2.0, 3.0};
  RealMatrix a_copy = A;
  RealVector b_copy = b;
  const RealVector x = LinSolve(a_copy, b_copy);
  EXPECT_EQ(a_copy, A);
  EXPECT_EQ(b_copy, b);
  ASSERT_EQ(x.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(A[i][0] * x[0] + A[i][1] * x[1] + A[i][2] * x[2], b[i], 1e-12);
  }
}

}  // namespace
}  // namespace unionbound
