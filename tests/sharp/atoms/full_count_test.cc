// The full program over atoms on the probability that at least or exactly
// r events occur: the optimum over every atom, the truth of genuine systems
// inside it, never looser than the moment programs, proofs of sharpness
// for the target's own costs, and no bounds where atoms would have to be
// searched rather than enumerated.
#include <gtest/gtest.h>

#include "reference/dense_atom_program.h"
#include "sharp/atoms/full_program.h"
#include "sharp/atoms/full_sharpness.h"
#include "sharp/data/subset_list.h"
#include "sharp/moments/distribution.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

FullResult FullFor(const GeneratedSystem& s, const CountTarget& target) {
  FullOptions options;
  options.target = target;
  return SolveFullProgram(ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n,
                          s.m, options);
}

TEST(FullCountBounds, EveryTargetReachesTheProgramOverAllAtomsAndHoldsTruth) {
  int32_t sharp = 0;
  for (EventFamily family : AllFamilies()) {
    for (int32_t m : {2, 3}) {
      const int32_t n = 7;
      const GeneratedSystem s = Generate(family, n, m, 17 + m);
      const RealVector count =
          CountDistribution(MakeEventSystem(family, n, 17 + m), n);
      const ExactData data = ExactDataFromDoubles(s.p);
      const ProgramData moments = MakeProgramData(data, AllSubsets(n, m), n, m);
      const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(n, m));
      for (bool exactly : {false, true}) {
        std::vector<SharpDistribution> programs{
            ComputeSharpDistribution(moments, kUnivariate, exactly)};
        for (int32_t l = m; l <= n - m; ++l) {
          programs.push_back(ComputeSharpDistribution(moments, l, exactly));
        }
        const std::vector<BestCountRow> best = BestOverPrograms(programs);
        for (int32_t r = 1; r <= n; ++r) {
          SCOPED_TRACE(s.name + (exactly ? " X = " : " X >= ") +
                       std::to_string(r));
          const CountTarget target{r, exactly};
          const FullResult f = FullFor(s, target);
          ASSERT_TRUE(f.computed);
          for (bool upper : {false, true}) {
            const FullBound& b = upper ? f.upper : f.lower;
            EXPECT_TRUE(b.converged && b.allAtomsPriced) << upper;
            EXPECT_NEAR(b.exact.get_d(),
                        DenseAtomCountOptimum(s.subsets, s.p, n, upper, target),
                        1e-8)
                << upper;
            if (!b.sharp) continue;
            ++sharp;
            const FullOptimumProof proof = ProveFullOptimum(
                data, masks, n, upper, b.support, b.duals, 0.0, target);
            ASSERT_TRUE(proof.proven) << upper;
            EXPECT_EQ(proof.value, b.exact) << upper;
          }
          const double truth = exactly ? count[r] : AtLeast(count, r);
          EXPECT_LE(f.lower.exact.get_d(), truth + 1e-12);
          EXPECT_GE(f.upper.exact.get_d(), truth - 1e-12);
          // The moment programs relax the program over atoms.
          EXPECT_GE(f.lower.exact.get_d(),
                    best[r - 1].lower.bound.exact.get_d() - 1e-9);
          EXPECT_LE(f.upper.exact.get_d(),
                    best[r - 1].upper.bound.exact.get_d() + 1e-9);
        }
      }
    }
  }
  EXPECT_GE(sharp, 100);
}

TEST(FullCountBounds, OnlyWhereEveryAtomIsEnumerated) {
  EXPECT_TRUE(FullProgramCovers({1, false}, 40));
  EXPECT_TRUE(FullProgramCovers({3, false}, kExactPricingLimit));
  EXPECT_FALSE(FullProgramCovers({2, false}, kExactPricingLimit + 1));
  EXPECT_FALSE(FullProgramCovers({1, true}, kExactPricingLimit + 1));
  const int32_t n = kExactPricingLimit + 1;
  const GeneratedSystem s = Generate(EventFamily::kIndependent, n, 1, 3);
  EXPECT_FALSE(FullFor(s, {2, false}).computed);
}

}  // namespace
}  // namespace unionbound::sharp
