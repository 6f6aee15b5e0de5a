// The bounding procedures step by step: for every candidate index pattern its
// reordered supports, its moments shifted by label search and its block
// bound evaluated from scratch, the best one kept. LowerBoundProcedure and
// UpperBoundProcedure must give the same result and the same messages for
// the data of every pass. Tests and benchmarks only; needs bounds/candidates,
// bounds/procedure (the reordering), numeric/labels, reference/moment_shift
// and reference/block_bound.
#ifndef UNIONBOUND_TESTS_REFERENCE_PROCEDURE_H_
#define UNIONBOUND_TESTS_REFERENCE_PROCEDURE_H_

#include <cstdint>

#include "bounds/procedure.h"
#include "numeric/vectors.h"
#include "optim/sense.h"

namespace unionbound::reference {

// The arguments are those of LowerBoundProcedure and UpperBoundProcedure;
// any number of subsequences and any pairs are taken.
BoundResult BoundProcedure(Sense sense, ScoringFunction f,
                           const RealMatrix& supports, const RealVector& mu,
                           const IndexVector& maxOrders,
                           const IndexMatrix& variablePairs, int32_t m);

}  // namespace unionbound::reference

#endif  // UNIONBOUND_TESTS_REFERENCE_PROCEDURE_H_
