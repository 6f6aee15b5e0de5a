// The subsequence step step by step: one subsequence picks the basis of its
// family whose solution of the subsequence's moment equations gives the best
// objective value, each member's system built as a matrix of whole rows and
// solved by LinSolve. Tests and benchmarks only; needs optim/basis_families
// and reference/lin_solve.
#ifndef UNIONBOUND_TESTS_REFERENCE_SUBSEQUENCE_STEP_H_
#define UNIONBOUND_TESTS_REFERENCE_SUBSEQUENCE_STEP_H_

#include <cstdint>

#include "numeric/vectors.h"
#include "optim/sense.h"

namespace unionbound::reference {

struct BlockSolution {
  RealVector x;       // points 1 .. m-1, then the basis entries
  double value;       // objective value of the chosen basis
  IndexVector basis;  // the chosen family member (point numbers from 1)
};

// G: objective coefficients (G[e-1] for point e); row: the shifted points,
// entry 0 unread; a: number of moment orders; m: points 1 .. m-1 are in every
// basis; H: right-hand side, one per order 1 .. a; s: selects the family by
// its parity. No member: empty x and basis, value the sentinel of the sense.
BlockSolution BlockBasis(Sense sense, const RealVector& G,
                         const RealVector& row, int32_t a, int32_t m,
                         const RealVector& H, int32_t s);
BlockSolution MinBlockBasis(const RealVector& G, const RealVector& row,
                            int32_t a, int32_t m, const RealVector& H,
                            int32_t s);
BlockSolution MaxBlockBasis(const RealVector& G, const RealVector& row,
                            int32_t a, int32_t m, const RealVector& H,
                            int32_t s);

}  // namespace unionbound::reference

#endif  // UNIONBOUND_TESTS_REFERENCE_SUBSEQUENCE_STEP_H_
