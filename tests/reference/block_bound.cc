#include "reference/block_bound.h"

#include <cstddef>

#include "numeric/labels.h"
#include "reference/master_solve.h"
#include "reference/moment_matrix.h"
#include "reference/subsequence_step.h"

namespace unionbound::reference {

namespace {

// X[d-1] = X[d-1] + P[d-1][e]; a move that would name a subsequence or a
// point outside the data is left out.
void MovePoint(RealVector& X, const RealMatrix& P, int32_t d, int32_t e) {
  if (d < 1 || static_cast<size_t>(d) > X.size() ||
      static_cast<size_t>(d) > P.size()) {
    return;
  }
  const RealVector& row = P[static_cast<size_t>(d - 1)];
  if (e < 0 || static_cast<size_t>(e) >= row.size()) return;
  X[static_cast<size_t>(d - 1)] =
      X[static_cast<size_t>(d - 1)] + row[static_cast<size_t>(e)];
}

// Score differences of the pair points, one per label from position first
// on, in label order. Each point starts afresh from Q and moves its two
// subsequences one after the other.
RealVector PairDifferences(ScoringFunction f, double f0, const RealMatrix& P,
                           const RealVector& Q, const LabelList& L,
                           int64_t first) {
  RealVector D;
  for (int64_t t = first < 0 ? 0 : first; t < static_cast<int64_t>(L.size());
       ++t) {
    const LabelParts label = PartsOf(L[static_cast<size_t>(t)]);
    RealVector X = Q;
    if (label.shape == LabelShape::kPair) {
      MovePoint(X, P, label.d1, label.e1);
      MovePoint(X, P, label.d2, label.e2);
    }
    D.push_back(f(X) - f0);
  }
  return D;
}

// Score differences of subsequence k's own points 1 .. N_k.
RealVector PointDifferences(ScoringFunction f, double f0, const RealVector& row,
                            const RealVector& Q, size_t k) {
  RealVector G;
  for (size_t e = 1; e < row.size(); ++e) {
    RealVector X = Q;
    if (k < X.size()) X[k] = X[k] + row[e];
    G.push_back(f(X) - f0);
  }
  return G;
}

// z[offset .. offset+count-1], as far as z reaches.
RealVector Slice(const RealVector& z, int64_t offset, int32_t count) {
  RealVector H;
  for (int64_t i = offset; i < offset + count; ++i) {
    if (i >= 0 && i < static_cast<int64_t>(z.size())) {
      H.push_back(z[static_cast<size_t>(i)]);
    }
  }
  return H;
}

}  // namespace

BlockBoundResult BlockBound(Sense sense, ScoringFunction f, const RealMatrix& P,
                            const RealVector& Q, const IndexVector& C,
                            int32_t m, const RealVector& R,
                            const IndexVector& q, const LabelList& L) {
  const double f0 = f(Q);
  const IndexVector ones(C.size(), 1);
  const int32_t S = ScalarProduct(ones, C);
  const RealVector D =
      PairDifferences(f, f0, P, Q, L, static_cast<int64_t>(S) + 1);
  const RealMatrix A = MomentMatrix(P, L, C, m);
  const MasterResult master = MasterSolve(D, R, A);
  const RealVector& z = master.residual;

  BlockBoundResult result{0.0, IndexMatrix{}};
  std::vector<BlockSolution> solutions;
  const RealVector noRow;
  int64_t offset = 1;
  for (size_t k = 0; k < C.size(); ++k) {
    const RealVector& row = k < P.size() ? P[k] : noRow;
    const RealVector G = PointDifferences(f, f0, row, Q, k);
    const RealVector H = Slice(z, offset, C[k]);
    offset = offset + C[k];
    const int32_t s = k < q.size() ? q[k] : 0;
    solutions.push_back(BlockBasis(sense, G, row, C[k], m, H, s));
    result.basis.push_back(solutions.back().basis);
  }

  double total = 0.0;
  for (const BlockSolution& solution : solutions) {
    total = total + solution.value;
  }
  result.optimum = (master.objective + total) + f0;
  return result;
}

BlockBoundResult LowerBlockBound(ScoringFunction f, const RealMatrix& P,
                                 const RealVector& Q, const IndexVector& C,
                                 int32_t m, const RealVector& R,
                                 const IndexVector& q, const LabelList& L) {
  return BlockBound(Sense::kMinimise, f, P, Q, C, m, R, q, L);
}

BlockBoundResult UpperBlockBound(ScoringFunction f, const RealMatrix& P,
                                 const RealVector& Q, const IndexVector& C,
                                 int32_t m, const RealVector& R,
                                 const IndexVector& q, const LabelList& L) {
  return BlockBound(Sense::kMaximise, f, P, Q, C, m, R, q, L);
}

}  // namespace unionbound::reference
