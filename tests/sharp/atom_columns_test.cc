// The restricted master over atoms: what it keeps when atoms leave it.
#include "sharp/atom_columns.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace unionbound {
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

}  // namespace
}  // namespace unionbound
