// Bounds on P(X >= r) and P(X = r) for the number X of events that occur:
// the same exact optima as dense programs solved by visiting every basis,
// the truth of genuine systems inside them, the union's bounds unchanged
// at r = 1, monotone in r, and P(X = r) at least as tight as what the
// bounds of P(X >= r) and P(X >= r + 1) imply.
#include "sharp/moments/distribution.h"

#include <gtest/gtest.h>

#include <cmath>

#include "reference/dense_moment_program.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

RationalVector ExactValuesOf(const RealVector& p) {
  RationalVector q;
  for (double x : p) q.push_back(ExactValue(x));
  return q;
}

ProgramData TypedData(const GeneratedSystem& s) {
  return MakeProgramData(ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n,
                         s.m);
}

ProgramData WidenedData(const GeneratedSystem& s) {
  return WidenProgramData(ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n,
                          s.m, RoundingTolerance());
}

void ExpectSameAsDense(const SharpDistribution& d, const DenseProgram& dense,
                       const std::vector<DenseVertex>& vertices, int32_t n) {
  ASSERT_EQ(d.bounds.size(), static_cast<size_t>(n));
  for (int32_t r = 1; r <= n; ++r) {
    SCOPED_TRACE("r=" + std::to_string(r));
    const SharpInterval& in = d.bounds[r - 1];
    const DenseOptimum want = OptimumOver(dense, vertices, {r, d.exactly});
    if (!want.feasible) {
      EXPECT_EQ(in.lower.status, SharpStatus::kInfeasible);
      EXPECT_EQ(in.upper.status, SharpStatus::kInfeasible);
      continue;
    }
    ASSERT_EQ(in.lower.status, SharpStatus::kSharp);
    ASSERT_EQ(in.upper.status, SharpStatus::kSharp);
    EXPECT_EQ(in.lower.exact, want.lower);
    EXPECT_EQ(in.upper.exact, want.upper);
    EXPECT_LE(ExactValue(in.lower.bound), in.lower.exact);
    EXPECT_GE(ExactValue(in.upper.bound), in.upper.exact);
  }
}

// Both targets of one program against its dense form.
void ExpectProgramSameAsDense(const ProgramData& data, int32_t l,
                              const DenseProgram& dense) {
  SCOPED_TRACE("l=" + std::to_string(l));
  const std::vector<DenseVertex> vertices = FeasibleVertices(dense);
  for (bool exactly : {false, true}) {
    SCOPED_TRACE(exactly ? "X = r" : "X >= r");
    ExpectSameAsDense(ComputeSharpDistribution(data, l, exactly), dense,
                      vertices, data.n);
  }
}

TEST(CountBounds, EveryRAgreesWithEveryBasisOfTheDenseProgram) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t m : {2, 3}) {
      const GeneratedSystem s = Generate(family, 6, m, 70 + m);
      SCOPED_TRACE(s.name);
      RationalVector q = ExactValuesOf(s.p);
      // The same numbers, then the pairs made more probable, which leaves
      // some programs without any distribution.
      for (int32_t variant = 0; variant < 2; ++variant) {
        SCOPED_TRACE("variant " + std::to_string(variant));
        const ProgramData data = MakeProgramData(ExactDataFromRationals(q),
                                                 AllSubsets(s.n, m), s.n, m);
        ExpectProgramSameAsDense(data, kUnivariate,
                                 DenseUnivariate(q, s.subsets, s.n, m));
        for (int32_t l = m; l <= s.n - m; ++l) {
          ExpectProgramSameAsDense(data, l,
                                   DenseBivariate(q, s.subsets, s.n, l, m));
        }
        for (size_t u = s.n; u < static_cast<size_t>(s.n + s.n * (s.n - 1) / 2);
             ++u) {
          q[u] = q[u] * 3 / 2;
        }
      }
    }
  }
}

// Bounds for the exact values of generated systems' doubles, widened by
// half a unit in the last place, against the true count distribution.
TEST(CountBounds, ContainTheTruthOfGenuineSystemsForEveryR) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t n : {9, 14}) {
      const int32_t m = 3;
      const MixtureModel model = MakeEventSystem(family, n, 5 * n);
      const GeneratedSystem s = Generate(family, n, m, 5 * n);
      SCOPED_TRACE(s.name);
      const RealVector count = CountDistribution(model, n);
      const ProgramData data = WidenedData(s);
      std::vector<SharpDistribution> every{
          ComputeSharpDistribution(data, kUnivariate),
          ComputeSharpDistribution(data, kUnivariate, true)};
      for (int32_t l = m; l <= n - m; ++l) {
        every.push_back(ComputeSharpDistribution(data, l));
        every.push_back(ComputeSharpDistribution(data, l, true));
      }
      for (const SharpDistribution& d : every) {
        SCOPED_TRACE("l=" + std::to_string(d.l) + (d.exactly ? " =" : " >="));
        for (int32_t r = 1; r <= n; ++r) {
          const double truth = d.exactly ? count[r] : AtLeast(count, r);
          const SharpInterval& in = d.bounds[r - 1];
          ASSERT_TRUE(IsUsable(in.lower)) << r;
          ASSERT_TRUE(IsUsable(in.upper)) << r;
          EXPECT_TRUE(in.lower.widened);
          EXPECT_LE(in.lower.bound, truth * (1 + 1e-10)) << r;
          EXPECT_GE(in.upper.bound, truth * (1 - 1e-10)) << r;
        }
      }
    }
  }
}

// Rare events put P(X >= r) near 1e-12 and below: every bound stays sharp
// and contains the truth to its own relative precision.
TEST(CountBounds, RareEventsStayValidAndSharpForEveryR) {
  const int32_t n = 30;
  const int32_t m = 4;
  const MixtureModel model = MakeEventSystem(EventFamily::kRareEvents, n, 8);
  const GeneratedSystem s = Generate(EventFamily::kRareEvents, n, m, 8);
  const RealVector count = CountDistribution(model, n);
  const ProgramData data = WidenedData(s);
  std::vector<SharpDistribution> every{
      ComputeSharpDistribution(data, kUnivariate)};
  for (int32_t l : {4, 15, 26}) {
    every.push_back(ComputeSharpDistribution(data, l));
  }
  for (const SharpDistribution& d : every) {
    SCOPED_TRACE("l=" + std::to_string(d.l));
    EXPECT_TRUE(NonMonotoneRs(d.bounds).empty());
    for (int32_t r = 1; r <= n; ++r) {
      const double truth = AtLeast(count, r);
      const SharpInterval& in = d.bounds[r - 1];
      ASSERT_EQ(in.lower.status, SharpStatus::kSharp) << r;
      ASSERT_EQ(in.upper.status, SharpStatus::kSharp) << r;
      EXPECT_LE(in.lower.bound, truth * (1 + 1e-9)) << r;
      EXPECT_GE(in.upper.bound, truth * (1 - 1e-9)) << r;
      if (r <= m) {
        EXPECT_GT(in.upper.bound, 0.0) << r;
      }
    }
  }
}

TEST(CountBounds, RIsOneGivesTheUnionBoundsBitForBit) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 12, 3, 21);
    SCOPED_TRACE(s.name);
    const ProgramData data = TypedData(s);
    for (int32_t l : {kUnivariate, 3, 6, 9}) {
      WarmStart cold;
      const SharpInterval uni = ComputeSharpInterval(data, l, &cold);
      const SharpDistribution d = ComputeSharpDistribution(data, l);
      ASSERT_TRUE(IsUsable(uni.lower));
      EXPECT_EQ(d.bounds[0].lower.exact, uni.lower.exact);
      EXPECT_EQ(d.bounds[0].upper.exact, uni.upper.exact);
      EXPECT_EQ(d.bounds[0].lower.bound, uni.lower.bound);
      EXPECT_EQ(d.bounds[0].upper.bound, uni.upper.bound);
      // The union is X >= 1, not X = 1.
      WarmStart fresh;
      const SharpInterval one =
          ComputeSharpInterval(data, l, &fresh, CountTarget{1, true});
      EXPECT_LE(one.upper.exact, uni.upper.exact);
    }
  }
}

// Exact bounds: P(X >= r) never rises with r, P(X = r) lies within
// [L(r) - U(r + 1), U(r) - L(r + 1)], the univariate program is the
// weakest, and the best over splits is monotone too.
TEST(CountBounds, MonotoneAndExactlyNeverLooserThanImplied) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 13, 3, 4);
    SCOPED_TRACE(s.name);
    const ProgramData data = TypedData(s);
    const SharpDistribution uni = ComputeSharpDistribution(data, kUnivariate);
    std::vector<SharpDistribution> all{uni};
    const std::vector<SharpDistribution> splits =
        ComputeSplitDistributions(data, 3, 10, 2);
    ASSERT_EQ(splits.size(), 8u);
    all.insert(all.end(), splits.begin(), splits.end());
    for (const SharpDistribution& d : all) {
      SCOPED_TRACE("l=" + std::to_string(d.l));
      EXPECT_TRUE(NonMonotoneRs(d.bounds).empty());
      const SharpDistribution eq = ComputeSharpDistribution(data, d.l, true);
      for (int32_t r = 1; r <= s.n; ++r) {
        const SharpInterval& at = d.bounds[r - 1];
        ASSERT_TRUE(IsUsable(at.lower) && IsUsable(at.upper)) << r;
        const Rational nextLower =
            r < s.n ? d.bounds[r].lower.exact : Rational(0);
        const Rational nextUpper =
            r < s.n ? d.bounds[r].upper.exact : Rational(0);
        EXPECT_LE(nextLower, at.lower.exact) << r;
        EXPECT_LE(nextUpper, at.upper.exact) << r;
        const SharpInterval& exactly = eq.bounds[r - 1];
        EXPECT_GE(exactly.lower.exact, Rational(at.lower.exact - nextUpper))
            << r;
        EXPECT_LE(exactly.upper.exact, Rational(at.upper.exact - nextLower))
            << r;
        EXPECT_GE(exactly.lower.exact, 0) << r;
        if (d.l != kUnivariate) {
          EXPECT_LE(uni.bounds[r - 1].lower.exact, at.lower.exact) << r;
          EXPECT_GE(uni.bounds[r - 1].upper.exact, at.upper.exact) << r;
        }
      }
    }
    const std::vector<BestCountRow> best = BestOverPrograms(all);
    ASSERT_EQ(best.size(), static_cast<size_t>(s.n));
    EXPECT_TRUE(NonMonotoneRs(best).empty());
    for (int32_t r = 1; r <= s.n; ++r) {
      for (const SharpDistribution& d : all) {
        EXPECT_GE(best[r - 1].lower.bound.bound, d.bounds[r - 1].lower.bound);
        EXPECT_LE(best[r - 1].upper.bound.bound, d.bounds[r - 1].upper.bound);
      }
    }
    // Each split's first program started from its neighbour's basis; the
    // same optimum as solved alone.
    for (const SharpDistribution& d : splits) {
      const SharpDistribution alone = ComputeSharpDistribution(data, d.l);
      EXPECT_EQ(alone.bounds[0].lower.exact, d.bounds[0].lower.exact);
      EXPECT_EQ(alone.bounds[s.n - 1].upper.exact,
                d.bounds[s.n - 1].upper.exact);
    }
  }
}

TEST(CountBounds, InconsistentNumbersAreInfeasibleForEveryR) {
  const int32_t n = 5;
  // P(A1 A2) above P(A1): no distribution at all.
  RationalVector q(static_cast<size_t>(n + n * (n - 1) / 2), Rational(1, 10));
  q[n] = Rational(1, 5);
  const ProgramData data =
      MakeProgramData(ExactDataFromRationals(q), AllSubsets(n, 2), n, 2);
  for (int32_t l : {kUnivariate, 2}) {
    const SharpDistribution d = ComputeSharpDistribution(data, l);
    ASSERT_EQ(d.bounds.size(), static_cast<size_t>(n));
    if (l == kUnivariate) continue;  // the counts alone may fit
    for (const SharpInterval& in : d.bounds) {
      EXPECT_EQ(in.lower.status, SharpStatus::kInfeasible);
      EXPECT_EQ(in.upper.status, SharpStatus::kInfeasible);
    }
  }
}

// The monotonicity check flags the r after which a bound rises.
TEST(CountBounds, NonMonotoneRsFlagsARise) {
  auto interval = [](double lower, double upper) {
    SharpInterval in;
    in.lower.status = in.upper.status = SharpStatus::kSharp;
    in.lower.bound = lower;
    in.upper.bound = upper;
    return in;
  };
  std::vector<SharpInterval> bounds{interval(0.5, 0.9), interval(0.2, 0.8),
                                    interval(0.3, 0.7), interval(0.1, 0.75)};
  EXPECT_EQ(NonMonotoneRs(bounds), (std::vector<int32_t>{2, 3}));
  bounds[2].lower.status = SharpStatus::kFailed;  // unusable: not compared
  EXPECT_EQ(NonMonotoneRs(bounds), (std::vector<int32_t>{3}));
}

}  // namespace
}  // namespace unionbound::sharp
