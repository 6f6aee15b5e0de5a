// A proof that the full program's optimum is reached: from the support of a
// floating-point optimal atom distribution and the master's duals, an exact
// distribution x on those atoms (solved in integers from as many
// independent rows as atoms, then checked on every row with the data as
// typed, x >= 0) and exact duals y' that price those atoms at exactly 0
// (the duals rounded to a fixed denominator, corrected on the chosen rows).
// When no atom prices below 0 under y', b . y' = c . x, so the union
// probability of x is the exact optimum. Anything that fails or runs out of
// time or size gives no proof; nothing is claimed then.
#ifndef UNIONBOUND_SHARP_ATOMS_FULL_SHARPNESS_H_
#define UNIONBOUND_SHARP_ATOMS_FULL_SHARPNESS_H_

#include <cstdint>
#include <vector>

#include "sharp/atoms/atom_search.h"
#include "sharp/data/exact_data.h"
#include "sharp/exact/rational.h"
#include "sharp/moments/grid_program.h"

namespace unionbound::sharp {

// The solves are cubic in the support and hold it densely in doubles:
// larger ones give no proof.
inline constexpr size_t kFullMaxProvenSupport = 3000;

struct FullOptimumProof {
  bool proven = false;
  Rational value;  // the probability of the target at the optimum
  // The optimal distribution: probabilities[i] of support atom i.
  RationalVector probabilities;
  // Where the support's exact solution came out negative (a floating
  // optimum feasible only within its tolerance): those atoms. A master that
  // keeps them at 0 may find a basis the proof can close.
  std::vector<AtomMask> negativeAtoms;
};

// masks[u]: the events of data value u. y: duals of the total (y[0]) and of
// each data value; support: atoms of the floating-point optimum.
FullOptimumProof ProveFullOptimum(const ExactData& data,
                                  const std::vector<AtomMask>& masks, int32_t n,
                                  bool upper,
                                  const std::vector<AtomMask>& support,
                                  const std::vector<double>& y, double seconds,
                                  const CountTarget& target = {});

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ATOMS_FULL_SHARPNESS_H_
