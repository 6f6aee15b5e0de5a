// The full program's epsilon: how far the numbers are from fitting any
// distribution over the atoms, both ends proven, against the program over
// every atom.
#include "sharp/atoms/full_epsilon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "reference/dense_atom_program.h"
#include "sharp/atoms/full_program.h"
#include "sharp/data/subset_list.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

TEST(FullEpsilon, LargestDeviationNormalisesTheDistributionExactly) {
  // P(A1) = 1/2, P(A2) = 1/4, P(A1 A2) = 1/8; the distribution puts 1/2 on
  // no event, 1/4 on A1 alone and 1/4 on both, given as weights 1, 1/2, 1/2.
  const ExactData data = ExactDataFromDoubles({0.5, 0.25, 0.125});
  const std::vector<AtomMask> masks{1, 2, 3};
  EXPECT_EQ(LargestDeviation(data, masks, {0, 1, 3}, {1.0, 0.5, 0.5}),
            Rational(1, 8));
  // Weights that are negative or not finite count as nothing.
  EXPECT_EQ(LargestDeviation(data, masks, {0, 1, 3, 2}, {1.0, 0.5, 0.5, -0.3}),
            Rational(1, 8));
  EXPECT_EQ(LargestDeviation(data, masks, {0, 3}, {0.0, std::nan("")}),
            Rational(-1));
  // A distribution that fits deviates by nothing.
  EXPECT_EQ(
      LargestDeviation(data, masks, {0, 1, 2, 3}, {0.375, 0.375, 0.125, 0.125}),
      Rational(0));
}

TEST(FullEpsilon, BracketsTheLeastDeviationOverAllAtoms) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> shift(-0.03, 0.03);
  for (EventFamily family : AllFamilies()) {
    for (int32_t m : {2, 3}) {
      GeneratedSystem s = Generate(family, 6, m, 17);
      for (double& v : s.p) v = std::clamp(v + shift(random), 0.0, 1.0);
      const FullEpsilon e = SolveFullEpsilon(ExactDataFromDoubles(s.p),
                                             AllSubsets(s.n, s.m), s.n, 0.0);
      ASSERT_TRUE(e.computed && e.sufficesFound) << s.name;
      const double dense = DenseAtomEpsilon(s.subsets, s.p, s.n);
      EXPECT_LE(e.atLeast.get_d(), dense + 1e-9) << s.name;
      EXPECT_GE(e.suffices.get_d(), dense - 1e-9) << s.name;
      EXPECT_LE(e.suffices - e.atLeast, Rational(1, 10000000)) << s.name;
      EXPECT_LE(e.atLeast, e.suffices) << s.name;
    }
  }
}

TEST(FullEpsilon, NumbersThatFitNeedNoChange) {
  const GeneratedSystem s = Generate(EventFamily::kCommonShock, 8, 3, 3);
  const FullEpsilon e = SolveFullEpsilon(ExactDataFromDoubles(s.p),
                                         AllSubsets(s.n, s.m), s.n, 0.0);
  // The doubles of a genuine system miss it by rounding only.
  EXPECT_LE(e.atLeast.get_d(), 1e-15);
  EXPECT_LE(e.suffices.get_d(), 1e-9);
}

// Beyond enumeration the search prices the atoms and the epsilon is still
// proven at both ends.
TEST(FullEpsilon, BeyondEnumerationBothEndsStayProven) {
  GeneratedSystem s = Generate(EventFamily::kRandomAtoms, 24, 2, 5);
  // P(A1 A2) 0.04 above P(A1): each needs to move by 0.02 at least.
  ASSERT_EQ(s.subsets[s.n], (IndexVector{1, 2}));
  s.p[s.n] = s.p[0] + 0.04;
  const FullEpsilon e = SolveFullEpsilon(ExactDataFromDoubles(s.p),
                                         AllSubsets(s.n, s.m), s.n, 20.0);
  ASSERT_TRUE(e.computed && e.sufficesFound);
  EXPECT_GE(e.atLeast.get_d(), 0.02 - 1e-9);
  EXPECT_LE(e.atLeast, e.suffices);
  EXPECT_LE(e.suffices.get_d(), 0.02 + 1e-9);
}

}  // namespace
}  // namespace unionbound::sharp
