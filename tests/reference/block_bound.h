// The inner optimisation of one candidate step by step: scores of moved
// points as whole vectors, the moment matrix, the master step over the pair
// points and each subsequence's choice of basis, every intermediate result a
// new value. The prepared block bound must give the same optimum, bases,
// scoring calls and messages. Tests and benchmarks only; needs
// reference/moment_matrix, reference/master_solve and
// reference/subsequence_step.
#ifndef UNIONBOUND_TESTS_REFERENCE_BLOCK_BOUND_H_
#define UNIONBOUND_TESTS_REFERENCE_BLOCK_BOUND_H_

#include <cstdint>

#include "numeric/labels.h"
#include "numeric/vectors.h"
#include "optim/sense.h"

namespace unionbound::reference {

struct BlockBoundResult {
  double optimum;     // master objective + subsequence values + f(Q)
  IndexMatrix basis;  // one row per subsequence: its chosen basis
};

// f: scoring function; P: shifted support rows (entry 0 is the base point);
// Q: the base point; C: moment orders per subsequence; m: the total order;
// R: shifted moments by label; q: the candidate's q; L: the label list.
// f is called for Q, then for the pair points in label order, then for each
// subsequence's own points just before that subsequence's step.
BlockBoundResult BlockBound(Sense sense, ScoringFunction f, const RealMatrix& P,
                            const RealVector& Q, const IndexVector& C,
                            int32_t m, const RealVector& R,
                            const IndexVector& q, const LabelList& L);
BlockBoundResult LowerBlockBound(ScoringFunction f, const RealMatrix& P,
                                 const RealVector& Q, const IndexVector& C,
                                 int32_t m, const RealVector& R,
                                 const IndexVector& q, const LabelList& L);
BlockBoundResult UpperBlockBound(ScoringFunction f, const RealMatrix& P,
                                 const RealVector& Q, const IndexVector& C,
                                 int32_t m, const RealVector& R,
                                 const IndexVector& q, const LabelList& L);

}  // namespace unionbound::reference

#endif  // UNIONBOUND_TESTS_REFERENCE_BLOCK_BOUND_H_
