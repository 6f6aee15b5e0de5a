// The restricted master over atoms: what it keeps when atoms leave it; the
// exact certificate of duals lifted from a split of the events.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>

#include "sharp/atoms/certificate.h"
#include "sharp/atoms/full_program.h"
#include "sharp/atoms/lifted_duals.h"
#include "sharp/atoms/master.h"
#include "sharp/data/subset_list.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

// P(A1) = 0.4, P(A2) = 0.5, P(A1 A2) = 0.3: the least union is 0.6, on
// the atoms {1, 2} 0.3, {1} 0.1, {2} 0.2 and {} 0.4.
class AtomMasterTest : public ::testing::Test {
 protected:
  const std::vector<AtomMask> masks_{0b01, 0b10, 0b11};
  const SubsetIndex index_{masks_};
  const RealVector rhs_{1.0, 0.4, 0.5, 0.3};
};

TEST_F(AtomMasterTest, DroppedAtomsLeaveTheMasterAndMayComeBack) {
  AtomMaster master(index_, rhs_, AtomSense::kLower, 0.0);
  master.AddAtoms({0b00, 0b01, 0b10, 0b11});
  master.Solve(0.0);
  EXPECT_NEAR(master.Objective(), 0.6, 1e-12);

  // Without {1} the data cannot be met: only the artificial columns, at
  // their high cost, make up the missing 0.1.
  master.RemoveAtoms({0b01});
  EXPECT_EQ(master.AtomCount(), 3);
  const std::vector<AtomMask>& atoms = master.Atoms();
  EXPECT_EQ(std::count(atoms.begin(), atoms.end(), AtomMask{0b01}), 0);
  master.Solve(0.0);
  EXPECT_GT(master.Objective(), 1.0);

  master.AddAtoms({0b01});
  master.Solve(0.0);
  EXPECT_NEAR(master.Objective(), 0.6, 1e-12);
  std::vector<AtomMask> basis = master.BasicAtoms();
  std::sort(basis.begin(), basis.end());
  EXPECT_EQ(basis, (std::vector<AtomMask>{0b00, 0b01, 0b10, 0b11}));
}

// Duals that depend only on how many of a subset's events fall among the
// first `split` and how many among the rest, as lifted moment duals do;
// multiples of 1/16, so rounding keeps them exact.
RealVector SplitDuals(const std::vector<AtomMask>& masks, int32_t split) {
  const AtomMask first = (AtomMask{1} << split) - 1;
  RealVector y{-0.25};
  for (AtomMask u : masks) {
    const int32_t a = std::popcount(u & first);
    const int32_t b = std::popcount(u & ~first);
    y.push_back(((a * 7 + b * 3) % 9 - 4) / 16.0);
  }
  return y;
}

// Every atom priced here: the better of b . y + y0 + the least reduced
// cost (y shifted to feasibility) and, for the bounds, t (b . y + min(y0,
// 0)) with t = cost / G > 0, G the largest min(y0, 0) + F over the nonempty
// atoms (y scaled to feasibility).
Rational LagrangianOverEveryAtom(const ExactData& data,
                                 const std::vector<AtomMask>& masks, int32_t n,
                                 AtomSense sense, const RealVector& y) {
  double least = HUGE_VAL;
  double largest = -HUGE_VAL;
  for (AtomMask atom = 0; atom < (AtomMask{1} << n); ++atom) {
    double f = y[0];
    for (size_t u = 0; u < masks.size(); ++u) {
      if ((masks[u] & ~atom) == 0) f += y[u + 1];
    }
    least = std::min(least, AtomCost(atom, sense) - f);
    if (atom != 0) largest = std::max(largest, f - y[0] + std::min(y[0], 0.0));
  }
  Rational by = 0;
  for (size_t u = 0; u < masks.size(); ++u) {
    by += ValueOf(data, u) * Rational(y[u + 1]);
  }
  const Rational shifted = by + Rational(y[0]) + Rational(least);
  const double cost = AtomCost(1, sense);
  if (cost * largest <= 0) return shifted;
  const Rational scaled =
      Rational(cost) / Rational(largest) * (by + Rational(std::min(y[0], 0.0)));
  return std::max(shifted, scaled);
}

TEST(CertifyDuals, DualsOfASplitPriceByCellsAsEveryAtomDoes) {
  for (int32_t n : {6, 9}) {
    for (int32_t m : {2, 3}) {
      const GeneratedSystem s = Generate(EventFamily::kCommonShock, n, m, 3);
      const ExactData data = ExactDataFromDoubles(s.p);
      const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(n, m));
      for (int32_t split : {0, 2, n - 1}) {
        RealVector y = SplitDuals(masks, split);
        for (AtomSense sense : {AtomSense::kLower, AtomSense::kUpper}) {
          const ExactLagrangian r = CertifyDuals(data, masks, n, sense, y, 0);
          EXPECT_TRUE(r.exactAtoms);
          EXPECT_EQ(r.sum, LagrangianOverEveryAtom(data, masks, n, sense, y))
              << s.name << " split " << split;
        }
        // One subset off the pattern: no split fits, every atom is priced.
        y[masks.size() / 2] += 0.5;
        const ExactLagrangian broken =
            CertifyDuals(data, masks, n, AtomSense::kLower, y, 0);
        EXPECT_EQ(broken.sum,
                  LagrangianOverEveryAtom(data, masks, n, AtomSense::kLower, y))
            << s.name << " split " << split;
      }
    }
  }
}

TEST(CertifyDuals, ASplitMissingSomeOfItsSubsetsIsNotPricedByCells) {
  const GeneratedSystem s = Generate(EventFamily::kIndependent, 7, 2, 5);
  std::vector<AtomMask> masks = SubsetMasks(AllSubsets(s.n, s.m));
  RealVector p = s.p;
  // Drop the pair {1, 2}: the cells would still count it.
  const size_t pair =
      std::find(masks.begin(), masks.end(), AtomMask{0b11}) - masks.begin();
  ASSERT_LT(pair, masks.size());
  masks.erase(masks.begin() + pair);
  p.erase(p.begin() + pair);
  const ExactData data = ExactDataFromDoubles(p);
  const RealVector y = SplitDuals(masks, 3);
  const ExactLagrangian r =
      CertifyDuals(data, masks, s.n, AtomSense::kUpper, y, 0);
  EXPECT_EQ(r.sum,
            LagrangianOverEveryAtom(data, masks, s.n, AtomSense::kUpper, y));
}

TEST(CertifyDuals, LiftedDualsAreCertifiedExactlyBeyondEnumeration) {
  const GeneratedSystem s = Generate(EventFamily::kGaussianThreshold, 40, 2, 7);
  const ExactData data = ExactDataFromDoubles(s.p);
  const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(s.n, s.m));
  const RealVector rhs = MasterRhs(data, masks.size());
  for (AtomSense sense : {AtomSense::kLower, AtomSense::kUpper}) {
    const LiftedDuals lifted = BestLiftedDuals(masks, rhs, s.n, sense, 0.0);
    // A search that may not run at all still certifies them exactly.
    const ExactLagrangian r =
        CertifyDuals(data, masks, s.n, sense, lifted.y, 1e-9);
    EXPECT_TRUE(r.exactAtoms);
    EXPECT_NEAR(r.sum.get_d(), lifted.value, 1e-9);
  }
}

}  // namespace
}  // namespace unionbound::sharp
