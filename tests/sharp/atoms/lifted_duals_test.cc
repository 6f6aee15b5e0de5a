// Moment-program duals lifted to the full program over atoms: they keep
// their value when every atom is priced, and the best of them is as good as
// the univariate and bivariate programs.
#include "sharp/atoms/lifted_duals.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sharp/atoms/full_program.h"
#include "sharp/atoms/master.h"
#include "sharp/data/subset_list.h"
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

}  // namespace
}  // namespace unionbound::sharp
