// The exact value of the Lagrangian bound of any duals of the full program
// over atoms, for the numbers as typed: it certifies whatever the floating
// master found.
#ifndef UNIONBOUND_SHARP_ATOMS_CERTIFICATE_H_
#define UNIONBOUND_SHARP_ATOMS_CERTIFICATE_H_

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/atoms/atom_columns.h"
#include "sharp/data/exact_data.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {

// The duals y (y[0] for the total, y[1 + u] for data value u) rounded to
// multiples of 2^-bits, and what they prove exactly for the numbers as
// typed: sum is the value of feasible duals made from Y and norm the sum of
// their |Y_u| over the data rows, so that sum - T norm holds for every data
// within T of the numbers. The duals are made feasible either by shifting
// Y0 by the least reduced cost over all atoms (for the costs of the sense
// and target), or, for the union's bounds, by scaling Y (with Y0 no more
// than 0) until the nonempty atoms price at 0 or above; whichever proves
// more at the given tolerance. Scaling keeps the bound's relative precision
// where the numbers are tiny next to the reduced costs' floating error. The
// least reduced cost is exact by enumeration (n <= kExactPricingLimit) or a
// complete search, else a lower bound from the nodes the search left open
// after `seconds` (0: never stop); exactAtoms tells which. Beyond
// enumeration a target other than the union gets a looser lower bound that
// ignores which atoms it counts (never exact).
struct ExactLagrangian {
  Rational sum;
  Rational norm;
  bool exactAtoms = false;
};

ExactLagrangian CertifyDuals(const ExactData& data,
                             const std::vector<AtomMask>& masks, int32_t n,
                             AtomSense sense, const RealVector& y,
                             double seconds,
                             const Rational& tolerance = Rational(0),
                             const CountTarget& target = {});

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ATOMS_CERTIFICATE_H_
