// LinSolveInPlace against the elimination on whole rows of
// reference::LinSolve: every system gives the same numbers and the same
// messages. The behaviour of the solver is described on small systems that
// both forms solve.
#include "numeric/lin_solve.h"

#include <cmath>
#include <cstring>
#include <random>

#include "capture_stdout.h"
#include "gtest/gtest.h"
#include "reference/lin_solve.h"

namespace unionbound {
namespace {

constexpr char kSingular[] = "(LinSolve) The matrix A is singular.\n";
constexpr char kSizeProblem[] = "Size problem in the input of LinSolve.\n";

struct Solved {
  RealVector x;
  std::string messages;
};

// The square system solved by both forms; they must agree bit for bit and
// write the same messages. Returns the solution and the messages.
Solved SolveBoth(const RealMatrix& A, const RealVector& b) {
  Solved expected;
  {
    CaptureStdout out;
    expected.x = reference::LinSolve(A, b);
    expected.messages = out.Text();
  }
  const std::size_t n = A.size();
  RealVector flat;
  for (const RealVector& row : A) {
    EXPECT_EQ(row.size(), n);
    flat.insert(flat.end(), row.begin(), row.end());
  }
  EXPECT_EQ(b.size(), n);
  RealVector x = b;
  CaptureStdout out;
  LinSolveInPlace(flat.data(), x.data(), static_cast<int32_t>(n));
  EXPECT_EQ(out.Text(), expected.messages);
  EXPECT_TRUE(x.size() == expected.x.size() &&
              (x.empty() || std::memcmp(x.data(), expected.x.data(),
                                        x.size() * sizeof(double)) == 0));
  return expected;
}

TEST(LinSolveTest, RegularSystemsFollowTheEliminationOrder) {
  const Solved x = SolveBoth({{2.0, 1.0}, {1.0, 3.0}}, {3.0, 5.0});
  // Step 0 leaves b = (1.5, 3.5) and the pivot 2.5; step 1 finishes.
  const double x1 = 3.5 / 2.5;
  EXPECT_EQ(x.x, (RealVector{1.5 - x1 * 0.5, x1}));
  EXPECT_NEAR(x.x[0], 0.8, 1e-15);
  EXPECT_NEAR(x.x[1], 1.4, 1e-15);
  EXPECT_EQ(x.messages, "");

  const Solved y = SolveBoth(
      {{1.0, 1.0, 1.0}, {0.0, 2.0, 1.0}, {2.0, 0.0, 4.0}}, {6.0, 7.0, 14.0});
  ASSERT_EQ(y.x.size(), 3u);
  EXPECT_NEAR(y.x[0], 1.0, 1e-12);
  EXPECT_NEAR(y.x[1], 2.0, 1e-12);
  EXPECT_NEAR(y.x[2], 3.0, 1e-12);
  EXPECT_EQ(y.messages, "");
}

TEST(LinSolveTest, ZeroLeadingElementExchangesWholeRows) {
  const Solved x = SolveBoth({{0.0, 1.0}, {1.0, 0.0}}, {2.0, 3.0});
  EXPECT_EQ(x.x, (RealVector{3.0, 2.0}));
  EXPECT_EQ(x.messages, "");
}

TEST(LinSolveTest, AnyNonZeroPivotIsAccepted) {
  // A pivot of 1e-300 is used as it is, without a search for a larger one,
  // which loses the first component entirely.
  const Solved x = SolveBoth({{1e-300, 1.0}, {1.0, 1.0}}, {1.0, 2.0});
  EXPECT_EQ(x.x, (RealVector{0.0, 1.0}));
  EXPECT_EQ(x.messages, "");
}

TEST(LinSolveTest, SingularColumnsSubstituteUnitPivot) {
  const Solved once = SolveBoth({{1.0, 2.0}, {2.0, 4.0}}, {1.0, 2.0});
  EXPECT_EQ(once.x, (RealVector{1.0, 0.0}));
  EXPECT_EQ(once.messages, kSingular);

  const Solved twice = SolveBoth({{0.0, 0.0}, {0.0, 0.0}}, {1.0, 1.0});
  EXPECT_EQ(twice.x, (RealVector{1.0, 1.0}));
  EXPECT_EQ(twice.messages, std::string(kSingular) + kSingular);
}

TEST(LinSolveTest, EmptySystemGivesEmptySolutionSilently) {
  const Solved x = SolveBoth({}, {});
  EXPECT_TRUE(x.x.empty());
  EXPECT_EQ(x.messages, "");
}

// The whole-row form also takes systems that are not square.
TEST(LinSolveTest, SizeMismatchIsReportedAndEliminationGoesOn) {
  {
    // A third column is carried along and ignored.
    CaptureStdout out;
    const RealVector x = reference::LinSolve(
        RealMatrix{{2.0, 1.0, 7.0}, {1.0, 3.0, 9.0}}, RealVector{3.0, 5.0});
    const double x1 = 3.5 / 2.5;
    EXPECT_EQ(x, (RealVector{1.5 - x1 * 0.5, x1}));
    EXPECT_EQ(out.Text(), kSizeProblem);
  }
  {
    // A longer right side keeps its extra entry.
    CaptureStdout out;
    EXPECT_EQ(reference::LinSolve(RealMatrix{{0.0, 1.0}, {1.0, 0.0}},
                                  RealVector{2.0, 3.0, -7.5}),
              (RealVector{3.0, 2.0, -7.5}));
    EXPECT_EQ(out.Text(), kSizeProblem);
  }
}

TEST(LinSolveTest, InputsThatCannotBeEliminatedComeBackUnchanged) {
  {
    CaptureStdout out;
    EXPECT_EQ(
        reference::LinSolve(RealMatrix{{1.0}, {2.0}}, RealVector{4.0, 5.0}),
        (RealVector{4.0, 5.0}));
    EXPECT_EQ(out.Text(), kSizeProblem);
  }
  {
    CaptureStdout out;
    EXPECT_EQ(reference::LinSolve(RealMatrix{{1.0, 2.0}, {3.0}},
                                  RealVector{4.0, 5.0}),
              (RealVector{4.0, 5.0}));
    EXPECT_EQ(out.Text(), kSizeProblem);
  }
  {
    CaptureStdout out;
    EXPECT_EQ(reference::LinSolve(RealMatrix{{1.0, 2.0}, {3.0, 4.0}},
                                  RealVector{4.0}),
              (RealVector{4.0}));
    EXPECT_EQ(out.Text(), kSizeProblem);
  }
}

TEST(LinSolveTest, CallersArgumentsAreNotChanged) {
  const RealMatrix A = {{0.0, 2.0, 1.0}, {1.0, 1.0, 0.0}, {2.0, 0.0, 3.0}};
  const RealVector b = {1.0, 2.0, 3.0};
  RealMatrix a_copy = A;
  RealVector b_copy = b;
  const RealVector x = reference::LinSolve(a_copy, b_copy);
  EXPECT_EQ(a_copy, A);
  EXPECT_EQ(b_copy, b);
  ASSERT_EQ(x.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(A[i][0] * x[0] + A[i][1] * x[1] + A[i][2] * x[2], b[i], 1e-12);
  }
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

    SCOPED_TRACE("round " + std::to_string(round));
    SolveBoth(A, b);
  }
}

}  // namespace
}  // namespace unionbound
