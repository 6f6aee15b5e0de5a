#include "numeric/lin_solve.h"

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>

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

// The elimination as the rules state it, with whole rows as vectors: the
// pivot search, the exchange, the division by the pivot and the row
// operations of every step, each new row replacing the old one, the first
// element dropped once per step.
RealVector ReferenceSolve(RealMatrix A, RealVector b, std::ostream& out) {
  const std::size_t n = A.size();
  for (std::size_t j = 0; j < n; ++j) {
    std::size_t i = j;
    while (A[i][0] == 0.0) {
      if (++i == n) {
        out << "(LinSolve) The matrix A is singular." << std::endl;
        i = n - 1;
        A[i][0] = 1.0;
        break;
      }
    }
    std::swap(A[i], A[j]);
    std::swap(b[i], b[j]);
    const double p = A[j][0];
    b[j] = b[j] / p;
    A[j] = DivideVector(p, A[j]);
    for (std::size_t k = 0; k < n; ++k) {
      if (k == j) continue;
      const double f = A[k][0];
      b[k] = b[k] - b[j] * f;
      A[k] = vectsum(A[k], ScaleVector(-f, A[j]));
      A[k].erase(A[k].begin());
    }
    A[j].erase(A[j].begin());
  }
  return b;
}

TEST(LinSolveTest, FlatEliminationRepeatsEveryOperationBitForBit) {
  std::mt19937_64 rng(11);
  for (int round = 0; round < 3000; ++round) {
    const std::size_t n = 1 + rng() % 14;
    RealMatrix A(n, RealVector(n));
    RealVector b(n);
    const int kind = static_cast<int>(rng() % 3);
    for (RealVector& row : A) {
      for (double& x : row) {
        // Small integers make exact zero pivots and singular columns;
        // the other kinds give inexact values of many sizes and signs.
        if (kind == 0) x = static_cast<double>(static_cast<int>(rng() % 5) - 2);
        if (kind == 1)
          x = std::ldexp(static_cast<double>(rng() % 2001) - 1000.0,
                         static_cast<int>(rng() % 40) - 20);
        if (kind == 2) x = rng() % 4 == 0 ? 0.0 : 1.0 / (1.0 + rng() % 97);
      }
    }
    for (double& x : b) x = static_cast<double>(rng() % 1000) / 7.0 - 50.0;

    std::ostringstream expectedText;
    const RealVector expected = ReferenceSolve(A, b, expectedText);
    CaptureStdout out;
    const RealVector x = LinSolve(A, b);
    ASSERT_EQ(x.size(), expected.size());
    EXPECT_EQ(std::memcmp(x.data(), expected.data(), n * sizeof(double)), 0)
        << "round " << round;
    EXPECT_EQ(out.Text(), expectedText.str()) << "round " << round;

    RealVector flat;
    for (const RealVector& row : A)
      flat.insert(flat.end(), row.begin(), row.end());
    RealVector y = b;
    {
      CaptureStdout inPlace;
      LinSolveInPlace(flat.data(), y.data(), static_cast<int32_t>(n));
      EXPECT_EQ(inPlace.Text(), expectedText.str());
    }
    EXPECT_EQ(std::memcmp(y.data(), expected.data(), n * sizeof(double)), 0);
  }
}

}  // namespace
}  // namespace unionbound
