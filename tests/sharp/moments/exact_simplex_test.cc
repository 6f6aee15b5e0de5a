// The exact simplex method on the moment programs: the same optima and the
// same feasibility as a dense program solved by visiting every basis,
// exact infeasibility proofs in both directions of a hair's breadth, and
// bounds that scale with the data.
#include "sharp/moments/exact_simplex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "reference/dense_moment_program.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

RationalVector ExactValuesOf(const RealVector& p) {
  RationalVector q;
  for (double x : p) q.push_back(ExactValue(x));
  return q;
}

SharpAnalysis AnalyseExact(const RationalVector& q, int32_t n, int32_t m) {
  RealVector p;
  for (const Rational& x : q) p.push_back(x.get_d());
  // The moment programs' epsilon: the multivariate ones are tested apart.
  AnalysisOptions options;
  options.multivariate = MultivariateMode::kOff;
  return AnalyseProbabilities(p, ExactDataFromRationals(q), n, m, options);
}

void ExpectSameAsDense(const RationalVector& q, int32_t n, int32_t m,
                       const std::string& name) {
  SCOPED_TRACE(name);
  const IndexMatrix subsets = SubsetsBySize(n, m);
  const SharpAnalysis a = AnalyseExact(q, n, m);
  ASSERT_EQ(a.bivariate.size(), static_cast<size_t>(n - 2 * m + 1));
  for (const BivariateResult& row : a.bivariate) {
    SCOPED_TRACE("l=" + std::to_string(row.l));
    const DenseOptimum dense =
        SolveByVertices(DenseBivariate(q, subsets, n, row.l, m));
    if (!dense.feasible) {
      EXPECT_EQ(row.interval.lower.status, SharpStatus::kInfeasible);
      continue;
    }
    ASSERT_EQ(row.interval.lower.status, SharpStatus::kSharp);
    ASSERT_EQ(row.interval.upper.status, SharpStatus::kSharp);
    EXPECT_EQ(row.interval.lower.exact, dense.lower);
    EXPECT_EQ(row.interval.upper.exact, dense.upper);
  }
}

TEST(ExactSimplex, AgreesWithEveryBasisOfTheDenseProgram) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t m : {2, 3}) {
      const GeneratedSystem s = Generate(family, 6, m, 40 + m);
      RationalVector q = ExactValuesOf(s.p);
      ExpectSameAsDense(q, s.n, m, s.name);
      // Pairs made more probable: some programs lose every distribution.
      for (size_t u = 0; u < q.size(); ++u) {
        if (s.subsets[u].size() == 2) q[u] *= Rational(3, 2);
      }
      ExpectSameAsDense(q, s.n, m, s.name + " with inflated pairs");
    }
  }
}

// Three identical events of probability 1/2: every pair has probability
// 1/2, which puts the moments on the edge of the feasible set.
RationalVector IdenticalEvents(const Rational& pairShift) {
  const Rational half(1, 2);
  return {
      half, half, half, half + pairShift, half + pairShift, half + pairShift};
}

TEST(ExactSimplex, DecidesFeasibilityExactlyBothWaysOfTheEdge) {
  const Rational hair(1, mpz_class("1000000000000000000000000000000"));
  const SubsetList subsets = AllSubsets(3, 2);
  for (const Rational& shift : {Rational(-hair), Rational(0), hair}) {
    const ProgramData data = MakeProgramData(
        ExactDataFromRationals(IdenticalEvents(shift)), subsets, 3, 2);
    const GridProgram program =
        BoundProgram(data, kUnivariate, Sense::kMinimise);
    SimplexState state;
    const SimplexResult r = SolveExact(program, &state);
    if (sgn(shift) <= 0) {
      EXPECT_EQ(r.status, SimplexStatus::kOptimal);
      continue;
    }
    ASSERT_EQ(r.status, SimplexStatus::kInfeasible);
    // The Farkas vector: A^T y <= 0 on every point and rhs . y > 0.
    EXPECT_GT(r.margin, 0);
    EXPECT_EQ(ExactDot(program.rhs, r.y), r.margin);
    for (int32_t i = 0; i <= program.maxI; ++i) {
      Rational column = 0;
      for (size_t t = 0; t < program.rows.size(); ++t) {
        column += PointEntry(program, t, i, 0) * r.y[t];
      }
      EXPECT_LE(column, 0) << "point " << i;
    }
  }
}

TEST(ExactSimplex, EpsilonIsTheLeastChangeThatRestoresConsistency) {
  const Rational shift(1, mpz_class("1000000000000000000000000"));
  const SharpAnalysis a = AnalyseExact(IdenticalEvents(shift), 3, 2);
  EXPECT_FALSE(a.consistency.consistent);
  EXPECT_FALSE(a.boundsComputed);
  // Each pair exceeds its members by shift, so half of it is needed, and
  // S2 <= S1 needs 3 (shift - 2 T) <= 0 as well.
  EXPECT_EQ(a.consistency.dataEpsilon, shift / 2);
  EXPECT_EQ(a.consistency.programEpsilon, shift / 2);
  EXPECT_EQ(a.consistency.epsilon, shift / 2);
  EXPECT_EQ(AnalyseExact(IdenticalEvents(0), 3, 2).consistency.epsilon, 0);
}

TEST(ExactSimplex, EpsilonIsExactlyWhereTheWidenedProgramBecomesFeasible) {
  // Numbers rounded to four significant digits: some programs lose every
  // distribution, and epsilon is the exact threshold of the worst one.
  const GeneratedSystem s = Generate(EventFamily::kRandomAtoms, 9, 3, 3);
  RationalVector q;
  for (double x : s.p) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", x);
    Rational v;
    ASSERT_TRUE(ParseExactDecimal(text, &v));
    q.push_back(v);
  }
  const SharpAnalysis a = AnalyseExact(q, s.n, s.m);
  ASSERT_FALSE(a.consistency.consistent);
  ASSERT_GT(a.consistency.programEpsilon, 0);
  const Rational epsilon = a.consistency.programEpsilon;
  const Rational hair(1, mpz_class("1000000000000000000000000000000000000"));
  const ExactData exact = ExactDataFromRationals(q);
  const SubsetList subsets = AllSubsets(s.n, s.m);
  for (const Rational& t : {epsilon, Rational(epsilon - hair)}) {
    const ProgramData widened = WidenProgramData(exact, subsets, s.n, s.m, t);
    SimplexState state;
    const SimplexResult r = SolveExact(
        BoundProgram(widened, a.consistency.worstL, Sense::kMinimise), &state);
    EXPECT_EQ(r.status, t == epsilon ? SimplexStatus::kOptimal
                                     : SimplexStatus::kInfeasible);
  }
  // Widening by epsilon makes every program feasible, and a larger
  // tolerance only widens the bounds.
  AnalysisOptions options;
  options.multivariate = MultivariateMode::kOff;
  options.hasTolerance = true;
  options.tolerance = a.consistency.epsilon;
  RealVector p;
  for (const Rational& x : q) p.push_back(x.get_d());
  const SharpAnalysis at = AnalyseProbabilities(p, exact, s.n, s.m, options);
  ASSERT_TRUE(at.boundsComputed);
  options.tolerance = a.consistency.epsilon * 2;
  const SharpAnalysis wider = AnalyseProbabilities(p, exact, s.n, s.m, options);
  ASSERT_TRUE(wider.boundsComputed);
  EXPECT_LE(wider.univariate.lower.exact, at.univariate.lower.exact);
  EXPECT_GE(wider.univariate.upper.exact, at.univariate.upper.exact);
  for (size_t i = 0; i < at.bivariate.size(); ++i) {
    EXPECT_LE(wider.bivariate[i].interval.lower.exact,
              at.bivariate[i].interval.lower.exact);
    EXPECT_GE(wider.bivariate[i].interval.upper.exact,
              at.bivariate[i].interval.upper.exact);
  }
}

// Intersection probabilities of a few random atoms (exact), three of them
// then moved by up to 2/1000: often inconsistent, in several programs.
RationalVector RandomAtomData(std::mt19937_64* rng, int32_t n, int32_t m) {
  const IndexMatrix subsets = SubsetsBySize(n, m);
  const int atoms = 1 + static_cast<int>((*rng)() % 4);
  std::vector<uint64_t> masks;
  RationalVector weights;
  Rational total = 0;
  for (int a = 0; a < atoms; ++a) {
    masks.push_back((*rng)() % (uint64_t{1} << n));
    weights.push_back(Rational(1 + static_cast<int>((*rng)() % 9)));
    total += weights.back();
  }
  RationalVector q;
  for (const IndexVector& s : subsets) {
    Rational v = 0;
    for (int a = 0; a < atoms; ++a) {
      bool all = true;
      for (int32_t e : s) all = all && ((masks[a] >> (e - 1)) & 1) != 0;
      if (all) v += weights[a];
    }
    q.push_back(v / total);
  }
  for (int k = 0; k < 3; ++k) {
    const size_t u = (*rng)() % q.size();
    Rational shift(static_cast<int>((*rng)() % 5) - 2, 1000);
    shift.canonicalize();
    q[u] += shift;
    if (q[u] < 0) q[u] = 0;
  }
  return q;
}

TEST(ExactSimplex, WideningByEpsilonMakesEveryProgramFeasible) {
  std::mt19937_64 rng(777);
  int inconsistent = 0;
  for (int iteration = 0; iteration < 60; ++iteration) {
    const int32_t n = 5 + static_cast<int32_t>(rng() % 4);
    const int32_t m = 2;
    const RationalVector q = RandomAtomData(&rng, n, m);
    const SharpAnalysis a = AnalyseExact(q, n, m);
    if (a.consistency.consistent) continue;
    ++inconsistent;
    SCOPED_TRACE(iteration);
    const ExactData exact = ExactDataFromRationals(q);
    const SubsetList subsets = AllSubsets(n, m);
    const ProgramData typed = MakeProgramData(exact, subsets, n, m);
    // Every program's own epsilon, from a cold start, is at most the one
    // reported, and the worst one reaches it.
    for (const BivariateResult& row : a.bivariate) {
      SimplexState cold;
      const SimplexResult r =
          SolveExact(PerturbationProgram(typed, row.l), &cold);
      ASSERT_EQ(r.status, SimplexStatus::kOptimal);
      EXPECT_LE(r.value, a.consistency.programEpsilon) << row.l;
      if (row.l == a.consistency.worstL && !a.consistency.worstReordered) {
        EXPECT_EQ(r.value, a.consistency.programEpsilon);
      }
    }
    AnalysisOptions options;
    options.multivariate = MultivariateMode::kOff;
    options.hasTolerance = true;
    options.tolerance = a.consistency.epsilon;
    RealVector p;
    for (const Rational& x : q) p.push_back(x.get_d());
    EXPECT_TRUE(AnalyseProbabilities(p, exact, n, m, options).boundsComputed);
  }
  EXPECT_GT(inconsistent, 20);
}

RationalVector ExampleData() {
  std::ifstream file(std::string(UNIONBOUND_SOURCE_DIR) + "/examples/prob.txt");
  RealVector p;
  double x;
  while (file >> x) p.push_back(x);
  std::ifstream again(std::string(UNIONBOUND_SOURCE_DIR) +
                      "/examples/prob.txt");
  const ExactData exact = ReadExactData(again, p);
  RationalVector q;
  for (size_t u = 0; u < p.size(); ++u) q.push_back(ValueOf(exact, u));
  return q;
}

void ExpectScaled(const SharpBound& scaled, const SharpBound& base,
                  const Rational& t) {
  ASSERT_EQ(scaled.status, SharpStatus::kSharp);
  EXPECT_EQ(scaled.exact, base.exact * t);
}

TEST(ExactSimplex, RareEventBoundsScaleWithTheDataAndStaySharp) {
  const RationalVector base = ExampleData();
  ASSERT_EQ(base.size(), 298u);
  const SharpAnalysis a = AnalyseExact(base, 12, 3);
  ASSERT_TRUE(a.boundsComputed);
  for (int k = 3; k <= 12; ++k) {
    SCOPED_TRACE("t=1e-" + std::to_string(k));
    mpz_class power;
    mpz_ui_pow_ui(power.get_mpz_t(), 10, k);
    const Rational t(mpz_class(1), power);
    RationalVector q = base;
    for (Rational& x : q) x *= t;
    const SharpAnalysis s = AnalyseExact(q, 12, 3);
    ASSERT_TRUE(s.boundsComputed);
    ExpectScaled(s.univariate.lower, a.univariate.lower, t);
    ExpectScaled(s.univariate.upper, a.univariate.upper, t);
    for (size_t i = 0; i < s.bivariate.size(); ++i) {
      ExpectScaled(s.bivariate[i].interval.lower, a.bivariate[i].interval.lower,
                   t);
      ExpectScaled(s.bivariate[i].interval.upper, a.bivariate[i].interval.upper,
                   t);
    }
  }
}

TEST(ExactSimplex, BoundsContainTheTypedDecimalsNotTheirDoubles) {
  // Eight identical events with every probability 0.3: the union has
  // probability exactly 3/10, which both univariate bounds must reach.
  std::string text;
  RealVector p;
  for (int u = 0; u < 8 + 28; ++u) {
    text += "0.3\n";
    p.push_back(0.3);
  }
  std::istringstream in(text);
  const ExactData exact = ReadExactData(in, p);
  EXPECT_EQ(exact.typed, 36);
  const SharpAnalysis a = AnalyseProbabilities(p, exact, 8, 2, {});
  ASSERT_TRUE(a.boundsComputed);
  EXPECT_EQ(a.univariate.lower.exact, Rational(3, 10));
  EXPECT_EQ(a.univariate.upper.exact, Rational(3, 10));
  EXPECT_GE(ExactValue(a.univariate.upper.bound), Rational(3, 10));
  EXPECT_LE(ExactValue(a.univariate.lower.bound), Rational(3, 10));
}

TEST(ExactSimplex, WarmStartsGiveTheSameOptimaAsColdStarts) {
  const GeneratedSystem s = Generate(EventFamily::kCommonShock, 14, 3, 5);
  const SharpAnalysis a = Analyse(s.p, s.n, s.m, true);
  const ProgramData data =
      WidenProgramData(ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n,
                       s.m, RoundingTolerance());
  for (const BivariateResult& row : a.bivariate) {
    WarmStart cold;
    const SharpInterval in = ComputeSharpInterval(data, row.l, &cold);
    EXPECT_EQ(in.lower.exact, row.interval.lower.exact) << row.l;
    EXPECT_EQ(in.upper.exact, row.interval.upper.exact) << row.l;
  }
}

}  // namespace
}  // namespace unionbound::sharp
