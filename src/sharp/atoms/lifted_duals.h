// Starting duals of the full program over atoms from the moment programs.
// Split the events into the first l and the rest and add the data up into
// bivariate moments (the univariate ones where l = 0): an atom with i events
// among the first l and j among the rest then has the column (i, j) of that
// moment program. Giving every data subset the dual of its moment row turns
// any dual of the moment program into a dual of the full program with the
// same reduced costs and the same value, so optimal moment duals give a
// full-program bound as good as the moment program's before any column is
// generated. Floating point: the certificate makes any duals exact.
#ifndef UNIONBOUND_SHARP_ATOMS_LIFTED_DUALS_H_
#define UNIONBOUND_SHARP_ATOMS_LIFTED_DUALS_H_

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/atoms/atom_columns.h"

namespace unionbound::sharp {

struct LiftedDuals {
  RealVector y;        // y[0] the total, y[1 + u] data subset u; empty if none
  double value = 0.0;  // b . y, in the master's sense (minimised)
  int32_t l = 0;       // the split they come from; 0 for the univariate
};

// The optimal duals of the moment program of split l (0 <= l < n) on the
// probability of `target`, lifted. rhs as the master's: the total, then the
// data values. Empty y when the floating-point solve fails.
LiftedDuals LiftMomentDuals(const std::vector<AtomMask>& masks,
                            const RealVector& rhs, int32_t n, int32_t l,
                            AtomSense sense, const CountTarget& target = {});

// The lifted duals of the best of every split's program, the univariate
// included, for sense kLower or kUpper; each value is first lessened by
// tolerance * sum |y_u| (the data may move by the tolerance against them).
LiftedDuals BestLiftedDuals(const std::vector<AtomMask>& masks,
                            const RealVector& rhs, int32_t n, AtomSense sense,
                            double tolerance, const CountTarget& target = {});

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ATOMS_LIFTED_DUALS_H_
