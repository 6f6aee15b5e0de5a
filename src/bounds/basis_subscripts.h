// The basis subscripts of a bounding procedure's result: for every moment
// label, the point subscripts of the basis that the chosen candidate (Vks)
// and the chosen bases (Kjs) give it. The report prints them under each
// bound. Pure index arithmetic; checks the shapes it reads.
#ifndef UNIONBOUND_BOUNDS_BASIS_SUBSCRIPTS_H_
#define UNIONBOUND_BOUNDS_BASIS_SUBSCRIPTS_H_

#include <cstdint>

#include "numeric/labels.h"
#include "numeric/vectors.h"

namespace unionbound {

// One row per label of VariableIndexList(m, pairs, maxOrders), in label
// order, from Vks, Kjs and j of a BoundResult. Row i of Vks is extended by
// Kjs[i][t - m] - m + j + 1 for t = m .. maxOrders[i]; the first row holds
// the first entry of every extended row (the base), each later row is the
// base with one entry (single labels) or two entries (pair labels) replaced.
// Empty when Vks or Kjs is too short to derive them (no candidate was kept).
IndexMatrix BasisSubscripts(int32_t m, const IndexMatrix& pairs,
                            const IndexVector& maxOrders,
                            const IndexMatrix& Vks, const IndexMatrix& Kjs,
                            int32_t j);

}  // namespace unionbound

#endif  // UNIONBOUND_BOUNDS_BASIS_SUBSCRIPTS_H_
