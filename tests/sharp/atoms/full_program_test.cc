// The full program over atoms: column generation against the program with
// every atom, validity on generated systems, and the certificate's
// independence from the duals it is given.
#include "sharp/atoms/full_program.h"

#include <gtest/gtest.h>

#include <cmath>

#include "reference/dense_atom_program.h"
#include "sharp/analysis/classical_bounds.h"
#include "sharp/atoms/full_sharpness.h"
#include "sharp/atoms/master.h"
#include "sharp/data/subset_list.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

// Generated probabilities are the doubles nearest to the model's, so a
// bound may miss the truth by rounding only.
constexpr double kSlack = 1e-9;

FullResult Full(const GeneratedSystem& s, double timeLimit = 0.0,
                const Rational& tolerance = Rational(0)) {
  FullOptions options;
  options.timeLimit = timeLimit;
  options.tolerance = tolerance;
  return SolveFullProgram(ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n,
                          s.m, options);
}

double Lower(const FullResult& r) { return r.lower.exact.get_d(); }
double Upper(const FullResult& r) { return r.upper.exact.get_d(); }

TEST(FullProgram, ColumnGenerationReachesTheProgramOverAllAtoms) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t m : {1, 2, 3}) {
      for (int32_t n : {4, 8}) {
        const GeneratedSystem s = Generate(family, n, m, 11);
        const FullResult r = Full(s);
        ASSERT_TRUE(r.computed) << s.name;
        EXPECT_TRUE(r.lower.converged && r.lower.allAtomsPriced) << s.name;
        EXPECT_TRUE(r.upper.converged && r.upper.allAtomsPriced) << s.name;
        EXPECT_NEAR(Lower(r), DenseAtomOptimum(s.subsets, s.p, n, false), 1e-8)
            << s.name;
        EXPECT_NEAR(Upper(r), DenseAtomOptimum(s.subsets, s.p, n, true), 1e-8)
            << s.name;
      }
    }
  }
}

TEST(FullProgram, ContainsTheUnionAndIsNeverLooserThanTheOtherBounds) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t m : {2, 3}) {
      const GeneratedSystem s = Generate(family, 10, m, 5);
      const FullResult r = Full(s);
      EXPECT_LE(Lower(r), s.unionProbability + kSlack) << s.name;
      EXPECT_GE(Upper(r), s.unionProbability - kSlack) << s.name;
      const SharpAnalysis a = Analyse(s.p, s.n, s.m, true);
      ASSERT_GE(a.bestLower, 0) << s.name;
      EXPECT_GE(Lower(r),
                a.bivariate[a.bestLower].interval.lower.bound - kSlack)
          << s.name;
      EXPECT_LE(Upper(r),
                a.bivariate[a.bestUpper].interval.upper.bound + kSlack)
          << s.name;
      const ClassicalBounds c = ComputeClassicalBounds(
          ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n, s.m);
      EXPECT_LE(c.kuaiAlajajiTakahara.get_d(), Lower(r) + kSlack) << s.name;
      EXPECT_GE(c.hunterWorsley.get_d(), Upper(r) - kSlack) << s.name;
    }
  }
}

TEST(FullProgram, CertificateShiftsAPerturbedDualBackToAValidBound) {
  const GeneratedSystem s = Generate(EventFamily::kRandomAtoms, 8, 2, 3);
  const ExactData data = ExactDataFromDoubles(s.p);
  const SubsetList subsets = AllSubsets(s.n, s.m);
  const double truth = s.unionProbability;
  // A dual that claims more than is true: 0.5 on the total row and on each
  // single. Taken at face value b . y exceeds the union probability.
  RealVector y(SubsetCount(subsets) + 1, 0.0);
  y[0] = 0.5;
  double faceValue = y[0];
  for (int32_t i = 1; i <= s.n; ++i) {
    y[i] = 0.5;
    faceValue += 0.5 * s.p[i - 1];
  }
  ASSERT_GT(faceValue, truth);
  bool exact = false;
  const Rational lower =
      CertifiedFullBound(data, subsets, s.n, false, y, &exact);
  EXPECT_TRUE(exact);
  EXPECT_LE(lower.get_d(), truth + kSlack);
  const Rational upper = CertifiedFullBound(data, subsets, s.n, true,
                                            RealVector(y.size(), 0.0), &exact);
  EXPECT_GE(upper.get_d(), truth - kSlack);
  // Duals that are not finite still give valid bounds.
  RealVector broken(y.size(), 0.0);
  broken[1] = std::nan("");
  EXPECT_LE(
      CertifiedFullBound(data, subsets, s.n, false, broken, &exact).get_d(),
      truth);
  EXPECT_GE(
      CertifiedFullBound(data, subsets, s.n, true, broken, &exact).get_d(),
      truth);
  // Moving a dual of the optimum away makes the certified bound worse.
  const FullResult r = Full(s);
  EXPECT_GT(Lower(r), lower.get_d());
}

// Every number may move by up to T: the bounds of the widened program over
// all atoms, certified for every data within T, and so looser.
TEST(FullProgram, WidenedBoundsReachTheWidenedProgramOverAllAtoms) {
  const Rational tolerance(1, 100);
  for (EventFamily family : AllFamilies()) {
    for (int32_t m : {2, 3}) {
      const GeneratedSystem s = Generate(family, 7, m, 13);
      const FullResult widened = Full(s, 0.0, tolerance);
      ASSERT_TRUE(widened.lower.converged && widened.lower.allAtomsPriced)
          << s.name;
      EXPECT_TRUE(widened.lower.widened && widened.upper.widened) << s.name;
      EXPECT_FALSE(widened.lower.sharp || widened.upper.sharp) << s.name;
      EXPECT_NEAR(Lower(widened),
                  DenseAtomOptimum(s.subsets, s.p, s.n, false, 0.01), 1e-8)
          << s.name;
      EXPECT_NEAR(Upper(widened),
                  DenseAtomOptimum(s.subsets, s.p, s.n, true, 0.01), 1e-8)
          << s.name;
      const FullResult typed = Full(s);
      EXPECT_LE(widened.lower.exact, typed.lower.exact) << s.name;
      EXPECT_GE(widened.upper.exact, typed.upper.exact) << s.name;
    }
  }
}

// The certificate charges the tolerance against the duals: duals that are
// optimal for the numbers as typed give a bound that also holds for
// numbers moved against them.
TEST(FullProgram, CertificateWithAToleranceHoldsForMovedNumbers) {
  const GeneratedSystem s = Generate(EventFamily::kGaussianThreshold, 6, 2, 8);
  const ExactData data = ExactDataFromDoubles(s.p);
  const SubsetList subsets = AllSubsets(s.n, s.m);
  const FullResult typed = Full(s);
  const Rational tolerance(1, 50);
  bool exact = false;
  Rational norm;
  const Rational lower =
      CertifiedFullBound(data, subsets, s.n, false, typed.lower.duals, &exact,
                         0.0, tolerance, &norm);
  EXPECT_GT(norm, 0);
  EXPECT_LE(lower.get_d(),
            DenseAtomOptimum(s.subsets, s.p, s.n, false, 0.02) + 1e-9);
  const Rational upper = CertifiedFullBound(
      data, subsets, s.n, true, typed.upper.duals, &exact, 0.0, tolerance);
  EXPECT_GE(upper.get_d(),
            DenseAtomOptimum(s.subsets, s.p, s.n, true, 0.02) - 1e-9);
}

TEST(FullProgram, BeyondEnumerationTheSearchPricesEveryAtom) {
  const GeneratedSystem s = Generate(EventFamily::kRandomAtoms, 24, 2, 9);
  const FullResult r = Full(s, 30.0);
  ASSERT_TRUE(r.computed);
  EXPECT_TRUE(r.lower.converged && r.lower.allAtomsPriced);
  EXPECT_LE(Lower(r), s.unionProbability + kSlack);
  EXPECT_GE(Upper(r), s.unionProbability - kSlack);
  // The optimal duals of the master moved: still a valid bound, never above
  // the optimum, and priced exactly by the search.
  const ExactData data = ExactDataFromDoubles(s.p);
  const SubsetList subsets = AllSubsets(s.n, s.m);
  RealVector y(SubsetCount(subsets) + 1, 0.0);
  y[0] = -0.1;
  for (size_t u = 1; u < y.size(); ++u) y[u] = (u % 3 == 0 ? 0.4 : -0.2);
  bool exact = false;
  const Rational moved =
      CertifiedFullBound(data, subsets, s.n, false, y, &exact, 10.0);
  EXPECT_TRUE(exact);
  EXPECT_LE(moved.get_d(), Lower(r));
  // Stopped at once, the search still bounds every atom.
  const Rational stopped =
      CertifiedFullBound(data, subsets, s.n, false, y, &exact, 1e-9);
  EXPECT_LE(stopped, moved);
}

TEST(FullProgram, TimeLimitGivesValidBounds) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 16, 3, 21);
    const FullResult r = Full(s, 1e-3);
    ASSERT_TRUE(r.computed) << s.name;
    EXPECT_LE(Lower(r), s.unionProbability + kSlack) << s.name;
    EXPECT_GE(Upper(r), s.unionProbability - kSlack) << s.name;
    // Stopped at once, it still certifies what the moment programs give.
    const SharpAnalysis a = Analyse(s.p, s.n, s.m, true);
    if (a.univariate.lower.status == SharpStatus::kSharp) {
      EXPECT_GE(Lower(r), a.univariate.lower.bound - kSlack) << s.name;
    }
    if (a.univariate.upper.status == SharpStatus::kSharp) {
      EXPECT_LE(Upper(r), a.univariate.upper.bound + kSlack) << s.name;
    }
    ASSERT_GE(a.bestLower, 0) << s.name;
    EXPECT_GE(Lower(r), a.bivariate[a.bestLower].interval.lower.bound - kSlack)
        << s.name;
    EXPECT_LE(Upper(r), a.bivariate[a.bestUpper].interval.upper.bound + kSlack)
        << s.name;
  }
}

// The distribution reproduces every number exactly, whatever the prover
// says.
void ExpectExactlyFeasible(const ExactData& data,
                           const std::vector<AtomMask>& masks,
                           const std::vector<AtomMask>& atoms,
                           const RationalVector& x, const std::string& name) {
  Rational total = 0;
  for (const Rational& v : x) {
    EXPECT_GE(v, 0) << name;
    total += v;
  }
  EXPECT_EQ(total, 1) << name;
  for (size_t u = 0; u < masks.size(); ++u) {
    Rational sum = 0;
    for (size_t s = 0; s < atoms.size(); ++s) {
      if ((masks[u] & ~atoms[s]) == 0) sum += x[s];
    }
    EXPECT_EQ(sum, ValueOf(data, u)) << name << " value " << u;
  }
}

TEST(FullProgram, OptimaWithMoreSupportAtomsThanEliminationTakesAreProven) {
  // 470 rows; independent events put the largest union on the 470 atoms
  // of at most three events.
  const GeneratedSystem s = Generate(EventFamily::kIndependent, 14, 3, 2);
  const FullResult r = Full(s);
  ASSERT_TRUE(r.upper.sharp);
  EXPECT_GT(r.upper.support.size(), 400u);
  EXPECT_GE(Upper(r), s.unionProbability - kSlack);
  const ExactData data = ExactDataFromDoubles(s.p);
  const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(s.n, s.m));
  const FullOptimumProof proof = ProveFullOptimum(
      data, masks, s.n, true, r.upper.support, r.upper.duals, 0.0);
  ASSERT_TRUE(proof.proven);
  EXPECT_EQ(proof.value, r.upper.exact);
  ExpectExactlyFeasible(data, masks, r.upper.support, proof.probabilities,
                        s.name);
}

TEST(FullProgram, ProofNamesTheAtomsItsExactSolveFindsNegative) {
  // P(A1) = 0.4, P(A2) = 0.5 on the atoms {}, {1}, {1, 2}: the pair holds
  // 0.5, so {1} alone would need -0.1.
  const ExactData data = ExactDataFromDoubles({0.4, 0.5});
  const std::vector<AtomMask> masks{0b01, 0b10};
  const FullOptimumProof proof = ProveFullOptimum(
      data, masks, 2, false, {0b00, 0b01, 0b11}, {0.0, 0.0, 0.0}, 0.0);
  EXPECT_FALSE(proof.proven);
  EXPECT_EQ(proof.negativeAtoms, std::vector<AtomMask>{0b01});
  // On {}, {2}, {1, 2} every probability is positive: nothing to repair.
  EXPECT_TRUE(ProveFullOptimum(data, masks, 2, false, {0b00, 0b10, 0b11},
                               {0.0, 0.0, 0.0}, 0.0)
                  .negativeAtoms.empty());
}

TEST(FullProgram, SharpBoundsAreTheOptimumOverAllAtoms) {
  int32_t sharp = 0;
  for (EventFamily family : AllFamilies()) {
    for (int32_t m : {2, 3}) {
      const GeneratedSystem s = Generate(family, 8, m, 4);
      const ExactData data = ExactDataFromDoubles(s.p);
      const SubsetList subsets = AllSubsets(s.n, s.m);
      const std::vector<AtomMask> masks = SubsetMasks(subsets);
      const FullResult r = Full(s);
      for (bool upper : {false, true}) {
        const FullBound& b = upper ? r.upper : r.lower;
        if (!b.sharp) continue;
        ++sharp;
        EXPECT_NEAR(b.exact.get_d(), DenseAtomOptimum(s.subsets, s.p, 8, upper),
                    1e-8)
            << s.name;
        const FullOptimumProof proof =
            ProveFullOptimum(data, masks, 8, upper, b.support, b.duals, 0.0);
        ASSERT_TRUE(proof.proven) << s.name;
        EXPECT_EQ(proof.value, b.exact) << s.name;
        ExpectExactlyFeasible(data, masks, b.support, proof.probabilities,
                              s.name);
        // Another atom in place of one of the support's: no distribution
        // on them fits the data exactly.
        std::vector<AtomMask> tampered = b.support;
        tampered[0] = tampered[0] ^ 0x5;
        EXPECT_FALSE(
            ProveFullOptimum(data, masks, 8, upper, tampered, b.duals, 0.0)
                .proven)
            << s.name;
        // The other side's support and duals: feasible, but the duals that
        // price it at 0 let other atoms improve, unless both optima meet.
        const FullBound& other = upper ? r.lower : r.upper;
        const FullOptimumProof swapped = ProveFullOptimum(
            data, masks, 8, upper, other.support, other.duals, 0.0);
        if (swapped.proven) {
          EXPECT_EQ(swapped.value, b.exact) << s.name;
        } else {
          EXPECT_LT(Lower(r), Upper(r)) << s.name;
        }
      }
    }
  }
  EXPECT_GE(sharp, 10);
}

}  // namespace
}  // namespace unionbound::sharp
