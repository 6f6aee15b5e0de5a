// Exact certificates: dual feasibility checked and repaired exactly,
// infeasibility proven and classified against input rounding, outward
// rounding of rational values.
#include "sharp/certificate.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sharp/clp_solve.h"
#include "sharp/moment_lp.h"
#include "sharp/rational_solve.h"
#include "sharp/sharp_bound.h"
#include "sharp_test_util.h"

namespace unionbound {
namespace {

TEST(DualCertificate, RejectsAPerturbedDualVectorAndRepairKeepsTheBoundValid) {
  const GeneratedSystem s = Generate(EventFamily::kCommonShock, 10, 3, 4);
  for (int32_t l : {0, 4}) {
    const MomentLp lp = l == 0 ? UnivariateLp(s.p, s.subsets, s.n, s.m)
                               : BivariateLp(s.p, s.subsets, s.n, l, s.m);
    SCOPED_TRACE(l == 0 ? "univariate" : "bivariate l=4");
    const IndexVector cost = MinimisedCost(lp, Sense::kMinimise);
    const LpSolution solution = SolveWithClp(ToFloatLp(lp, Sense::kMinimise));
    ASSERT_EQ(solution.status, LpStatus::kOptimal);
    const BasisCheck basis =
        CheckBasis(lp, cost, solution.basicColumn, solution.basicRow);
    ASSERT_TRUE(basis.solved && basis.primalFeasible && basis.dualFeasible);
    EXPECT_EQ(DualValue(lp, basis.y), basis.value);

    RationalVector perturbed = basis.y;
    perturbed[1] += Rational(1, 1000000);
    EXPECT_FALSE(IsDualFeasible(lp, cost, perturbed));
    EXPECT_GT(DualViolation(lp, cost, perturbed), 0);

    const RationalVector repaired = RepairDual(lp, cost, perturbed);
    EXPECT_TRUE(IsDualFeasible(lp, cost, repaired));
    EXPECT_EQ(DualViolation(lp, cost, repaired), 0);
    EXPECT_LT(DualValue(lp, repaired), basis.value);
    for (size_t t = 1; t < repaired.size(); ++t) {
      EXPECT_EQ(repaired[t], perturbed[t]);
    }

    // The optimal basis of the minimum is no certificate for the maximum.
    const BasisCheck other =
        CheckBasis(lp, MinimisedCost(lp, Sense::kMaximise),
                   solution.basicColumn, solution.basicRow);
    EXPECT_FALSE(other.dualFeasible);
  }
}

// Four events with P(Ai) = 0.6 and no two ever together: S1 = 2.4 while at
// most one event can occur.
TEST(DualCertificate, ProvesInconsistentMomentsInfeasibleBeyondRounding) {
  const int32_t n = 4;
  const IndexMatrix subsets =
      Generate(EventFamily::kIndependent, n, 2, 1).subsets;
  RealVector p(subsets.size(), 0.0);
  for (int32_t i = 0; i < n; ++i) p[i] = 0.6;
  for (const MomentLp& lp :
       {UnivariateLp(p, subsets, n, 2), BivariateLp(p, subsets, n, 2, 2)}) {
    for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
      const SharpBound bound = ComputeSharpBound(lp, sense);
      EXPECT_EQ(bound.status, SharpStatus::kInconsistent);
      EXPECT_TRUE(bound.infeasibility.proven);
      EXPECT_TRUE(bound.infeasibility.beyondRounding);
      EXPECT_GT(bound.infeasibility.distance, 0.1);
    }
  }
}

// P(A1) = 0.1, P(A2) = 0.9, P(A1 A2) = 0 sum to 1 + 2.8e-17 as doubles: no
// distribution has these values, but rounding 0.1 and 0.9 explains it.
TEST(DualCertificate, RoundingLevelInfeasibilityIsToleratedAndSaidSo) {
  const IndexMatrix subsets{{1}, {2}, {1, 2}};
  const RealVector p{0.1, 0.9, 0.0};
  const MomentLp lp = UnivariateLp(p, subsets, 2, 2);
  EXPECT_GT(lp.moments[1], 1);
  for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
    const SharpBound bound = ComputeSharpBound(lp, sense);
    EXPECT_NE(bound.status, SharpStatus::kInconsistent);
    EXPECT_FALSE(bound.sharp);
    if (bound.status == SharpStatus::kBound) {
      EXPECT_TRUE(bound.roundingInfeasible);
      EXPECT_TRUE(bound.infeasibility.proven);
      EXPECT_FALSE(bound.infeasibility.beyondRounding);
      EXPECT_LT(bound.infeasibility.distance, 1e-16);
      EXPECT_NEAR(bound.bound, 1.0, 1e-15);
    }
  }
}

TEST(ExactArithmetic, OutwardRoundingBracketsTheExactValue) {
  const Rational third(1, 3);
  const double down = RoundDown(third);
  const double up = RoundUp(third);
  EXPECT_LT(ExactValue(down), third);
  EXPECT_GT(ExactValue(up), third);
  EXPECT_EQ(std::nextafter(down, 1.0), up);
  EXPECT_EQ(RoundNearest(third), 1.0 / 3.0);
  EXPECT_EQ(RoundDown(-third), -up);
  EXPECT_EQ(RoundDown(ExactValue(0.1)), 0.1);
  EXPECT_EQ(RoundUp(ExactValue(0.1)), 0.1);
  EXPECT_EQ(HalfUlp(1.0), Rational(1) / (Rational(mpz_class(1) << 53)));
  EXPECT_EQ(HalfUlp(0.75), Rational(1) / (Rational(mpz_class(1) << 54)));
  EXPECT_GT(HalfUlp(0.0), 0);
}

TEST(ExactArithmetic, ScaledSumsAreExactDownToSubnormals) {
  const RealVector values{0.1,      1.0,   0.75, 1e-300, 4.9e-324,
                          2.5e-310, 1e300, -0.3, 0.0};
  mpz_class sum;
  mpz_class halves;
  Rational expectedSum = 0;
  Rational expectedHalves = 0;
  for (double x : values) {
    AddScaled(x, &sum);
    AddScaledHalfUlp(x, &halves);
    expectedSum += ExactValue(x);
    expectedHalves += HalfUlp(x);
  }
  EXPECT_EQ(FromScaled(sum), expectedSum);
  EXPECT_EQ(FromScaled(halves), expectedHalves);
}

TEST(RationalSolve, SolvesExactlyAndReportsSingularMatrices) {
  const RationalSolution x =
      SolveRational({{0, 2}, {3, 1}}, {Rational(4), Rational(5)});
  ASSERT_TRUE(x.solved);
  EXPECT_EQ(x.x[0], 1);
  EXPECT_EQ(x.x[1], 2);
  EXPECT_FALSE(SolveRational({{1, 2}, {2, 4}}, {1, 2}).solved);
  EXPECT_FALSE(SolveRational({{1, 2}}, {1}).solved);
}

}  // namespace
}  // namespace unionbound
