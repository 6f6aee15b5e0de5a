// Moment-program duals lifted to the full program over atoms: they keep
// their value when every atom is priced, the best of them is as good as the
// univariate, bivariate and partition programs, and a full run stopped at
// once certifies the multivariate bounds of the partitions it is given.
#include "sharp/atoms/lifted_duals.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sharp/atoms/full_program.h"
#include "sharp/atoms/master.h"
#include "sharp/data/subset_list.h"
#include "sharp/moments/multivariate_bounds.h"
#include "sharp/moments/partition_rules.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

constexpr double kSlack = 1e-9;

TEST(LiftedDuals, KeepTheirValueWhenEveryAtomIsPriced) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t m : {1, 2, 3}) {
      const GeneratedSystem s = Generate(family, 9, m, 4);
      const ExactData data = ExactDataFromDoubles(s.p);
      const SubsetList subsets = AllSubsets(s.n, s.m);
      const std::vector<AtomMask> masks = SubsetMasks(subsets);
      const RealVector rhs = MasterRhs(data, masks.size());
      for (int32_t l : {0, 1, 4, 8}) {
        for (bool upper : {false, true}) {
          const AtomSense sense = upper ? AtomSense::kUpper : AtomSense::kLower;
          const LiftedDuals lifted = LiftMomentDuals(masks, rhs, s.n, l, sense);
          ASSERT_EQ(lifted.y.size(), rhs.size()) << s.name << " l " << l;
          bool exact = false;
          const double certified =
              CertifiedFullBound(data, subsets, s.n, upper, lifted.y, &exact)
                  .get_d();
          EXPECT_TRUE(exact);
          EXPECT_NEAR(certified, upper ? -lifted.value : lifted.value, 1e-9)
              << s.name << " l " << l << (upper ? " upper" : " lower");
        }
      }
    }
  }
}

TEST(LiftedDuals, BestSplitIsAsGoodAsTheMomentPrograms) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 10, 3, 6);
    const ExactData data = ExactDataFromDoubles(s.p);
    const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(s.n, s.m));
    const RealVector rhs = MasterRhs(data, masks.size());
    const double lower =
        BestLiftedDuals(masks, rhs, s.n, AtomSense::kLower, 0.0).value;
    const double upper =
        -BestLiftedDuals(masks, rhs, s.n, AtomSense::kUpper, 0.0).value;
    const SharpAnalysis a = Analyse(s.p, s.n, s.m, true);
    ASSERT_GE(a.bestLower, 0) << s.name;
    EXPECT_GE(lower, a.univariate.lower.bound - kSlack) << s.name;
    EXPECT_LE(upper, a.univariate.upper.bound + kSlack) << s.name;
    EXPECT_GE(lower, a.bivariate[a.bestLower].interval.lower.bound - kSlack)
        << s.name;
    EXPECT_LE(upper, a.bivariate[a.bestUpper].interval.upper.bound + kSlack)
        << s.name;
    EXPECT_LE(lower, s.unionProbability + kSlack) << s.name;
    EXPECT_GE(upper, s.unionProbability - kSlack) << s.name;
  }
}

TEST(LiftedDuals, ToleranceChargesTheDualsAgainstTheValue) {
  const GeneratedSystem s = Generate(EventFamily::kCommonShock, 8, 2, 1);
  const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(s.n, s.m));
  const RealVector rhs = MasterRhs(ExactDataFromDoubles(s.p), masks.size());
  const LiftedDuals exact =
      BestLiftedDuals(masks, rhs, s.n, AtomSense::kLower, 0.0);
  const LiftedDuals widened =
      BestLiftedDuals(masks, rhs, s.n, AtomSense::kLower, 1e-3);
  double norm = 0.0;
  for (size_t r = 1; r < widened.y.size(); ++r) norm += std::fabs(widened.y[r]);
  EXPECT_LT(widened.value, exact.value);
  const LiftedDuals same =
      LiftMomentDuals(masks, rhs, s.n, widened.l, AtomSense::kLower);
  EXPECT_NEAR(widened.value, same.value - 1e-3 * norm, 1e-12);
}

// Split l is the partition into events 1 .. l and the rest: the same
// program, solved the same way, so the same duals bit for bit; given as
// partitions, the splits leave the best duals as they were.
TEST(LiftedDuals, TwoContiguousGroupsAreTheBivariateLift) {
  for (EventFamily family :
       {EventFamily::kCommonShock, EventFamily::kGaussianThreshold}) {
    const GeneratedSystem s = Generate(family, 10, 3, 2);
    const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(s.n, s.m));
    const RealVector rhs = MasterRhs(ExactDataFromDoubles(s.p), masks.size());
    for (AtomSense sense : {AtomSense::kLower, AtomSense::kUpper}) {
      std::vector<EventGroups> splits;
      for (int32_t l = 1; l < s.n; ++l) {
        splits.push_back(SplitGroups(s.n, l));
        const LiftedDuals split = LiftMomentDuals(masks, rhs, s.n, l, sense);
        const LiftedDuals part =
            LiftPartitionDuals(masks, rhs, GroupMasks(splits.back()), sense);
        ASSERT_FALSE(split.y.empty()) << s.name << " l " << l;
        EXPECT_EQ(part.y, split.y) << s.name << " l " << l;
        EXPECT_EQ(part.value, split.value) << s.name << " l " << l;
      }
      const LiftedDuals best = BestLiftedDuals(masks, rhs, s.n, sense, 0.0);
      const LiftedDuals again =
          BestLiftedDuals(masks, rhs, s.n, sense, 0.0, {}, splits);
      EXPECT_EQ(again.y, best.y) << s.name;
      EXPECT_EQ(again.partition, -1) << s.name;
    }
  }
}

// The lift of a partition is a dual of the full program worth what the
// partition's exact program proves. Too many count vectors (every event
// its own group at n = 20): no duals.
TEST(LiftedDuals, PartitionDualsCertifyThePartitionProgramsOptimum) {
  const std::vector<EventGroups> partitions = {
      {{1, 4, 7}, {2, 5, 8}, {3, 6, 9}}, {{1, 2}, {3, 4, 5}, {6}, {7, 8, 9}}};
  int32_t compared = 0;
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 9, 3, 8);
    const ExactData data = ExactDataFromDoubles(s.p);
    const SubsetList subsets = AllSubsets(s.n, s.m);
    const std::vector<AtomMask> masks = SubsetMasks(subsets);
    const RealVector rhs = MasterRhs(data, masks.size());
    for (const EventGroups& groups : partitions) {
      const SharpInterval exact = ComputePartitionInterval(
          MakePartitionData(data, subsets, s.n, s.m, groups));
      for (bool upper : {false, true}) {
        const AtomSense sense = upper ? AtomSense::kUpper : AtomSense::kLower;
        const LiftedDuals lifted =
            LiftPartitionDuals(masks, rhs, GroupMasks(groups), sense);
        ASSERT_EQ(lifted.y.size(), rhs.size()) << s.name;
        const double value = upper ? -lifted.value : lifted.value;
        bool priced = false;
        EXPECT_NEAR(
            CertifiedFullBound(data, subsets, s.n, upper, lifted.y, &priced)
                .get_d(),
            value, 1e-9)
            << s.name << " t " << groups.size();
        EXPECT_TRUE(priced);
        // The doubles of a generated system can be inconsistent as typed
        // (rounding), which the exact program proves: no optimum to meet.
        const SharpBound& bound = upper ? exact.upper : exact.lower;
        if (bound.status != SharpStatus::kSharp) continue;
        ++compared;
        EXPECT_NEAR(value, bound.exact.get_d(), 1e-9)
            << s.name << " t " << groups.size() << (upper ? " upper" : "");
      }
    }
  }
  EXPECT_GE(compared, 12);
  const GeneratedSystem s = Generate(EventFamily::kIndependent, 20, 2, 1);
  const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(s.n, s.m));
  const RealVector rhs = MasterRhs(ExactDataFromDoubles(s.p), masks.size());
  std::vector<AtomMask> singletons;
  for (int32_t e = 0; e < s.n; ++e) singletons.push_back(AtomMask{1} << e);
  EXPECT_TRUE(
      LiftPartitionDuals(masks, rhs, singletons, AtomSense::kLower).y.empty());
}

// Stopped by its time limit at once and told no proven bound, the full
// program still certifies, from the lifted duals of the multivariate
// programs' partitions, bounds at least as tight as theirs (up to the
// certificate's rounding of the duals). Both are widened by the rounding of
// the generated probabilities, which can make them inconsistent as typed.
TEST(LiftedDuals, FullRunStoppedAtOnceCertifiesTheMultivariateBounds) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t n : {8, 10, 12}) {
      const GeneratedSystem s = Generate(family, n, 3, 31);
      const ExactData data = ExactDataFromDoubles(s.p);
      const SubsetList subsets = AllSubsets(s.n, s.m);
      const Rational tolerance = RoundingTolerance();
      const MultivariateResult mv = ComputeMultivariateBounds(
          data, subsets, s.n, s.m, &tolerance, MultivariateOptions{});
      ASSERT_FALSE(mv.anyInfeasible) << s.name;
      ASSERT_GE(mv.bestLower, 0) << s.name;
      FullOptions options;
      options.timeLimit = 1e-3;
      options.tolerance = tolerance;
      for (const PartitionResult& p : mv.partitions) {
        options.partitions.push_back(p.groups);
      }
      const FullResult r = SolveFullProgram(data, subsets, s.n, s.m, options);
      ASSERT_TRUE(r.computed) << s.name;
      EXPECT_FALSE(r.lower.fromProvenBound || r.upper.fromProvenBound);
      EXPECT_GE(
          r.lower.exact.get_d(),
          mv.partitions[mv.bestLower].interval.lower.exact.get_d() - kSlack)
          << s.name;
      EXPECT_LE(
          r.upper.exact.get_d(),
          mv.partitions[mv.bestUpper].interval.upper.exact.get_d() + kSlack)
          << s.name;
      EXPECT_LE(r.lower.exact.get_d(), s.unionProbability + kSlack) << s.name;
      EXPECT_GE(r.upper.exact.get_d(), s.unionProbability - kSlack) << s.name;
    }
  }
}

}  // namespace
}  // namespace unionbound::sharp
