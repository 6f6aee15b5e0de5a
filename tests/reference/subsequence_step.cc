#include "reference/subsequence_step.h"

#include <cstddef>
#include <vector>

#include "optim/basis_families.h"
#include "reference/lin_solve.h"

namespace unionbound::reference {

namespace {

// Row i-1 holds the points 1 .. N of row to the power i, for i = 1 .. a.
RealMatrix PowerMatrix(const RealVector& row, int32_t a) {
  RealMatrix A;
  for (int32_t i = 1; i <= a; ++i) {
    RealVector powers;
    for (size_t e = 1; e < row.size(); ++e)
      powers.push_back(IntPower(row[e], i));
    A.push_back(powers);
  }
  return A;
}

// The selector's remainder under truncating division picks the family; the
// two senses swap the roles of odd and even, a negative odd s always closes
// with the last point.
std::vector<IndexVector> BasisFamily(Sense sense, int32_t N, int32_t m,
                                     int32_t a, int32_t s) {
  const int32_t parity = s % 2;
  const bool plain = sense == Sense::kMinimise ? parity == 1 : parity == 0;
  return plain ? PairBases(N, m, a) : PairBasesWithEnd(N, m, a);
}

}  // namespace

BlockSolution BlockBasis(Sense sense, const RealVector& G,
                         const RealVector& row, int32_t a, int32_t m,
                         const RealVector& H, int32_t s) {
  const RealMatrix A = PowerMatrix(row, a);
  const int32_t N = static_cast<int32_t>(row.size()) - 1;
  const std::vector<IndexVector> family = BasisFamily(sense, N, m, a, s);

  // Points 1 .. m-1 are in every basis: their columns and coefficients.
  RealMatrix fixedColumns(A.size());
  RealVector fixedCosts;
  for (int64_t e = 0; e < static_cast<int64_t>(m) - 1; ++e) {
    for (size_t i = 0; i < A.size(); ++i) {
      fixedColumns[i].push_back(ElementOrNaN(A[i], e));
    }
    fixedCosts.push_back(ElementOrNaN(G, e));
  }

  BlockSolution best{RealVector{}, SentinelFor(sense), IndexVector{}};
  for (const IndexVector& basis : family) {
    RealMatrix M = fixedColumns;
    RealVector c = fixedCosts;
    for (int32_t b : basis) {
      for (size_t i = 0; i < A.size(); ++i) {
        M[i].push_back(ElementOrNaN(A[i], static_cast<int64_t>(b) - 1));
      }
      c.push_back(ElementOrNaN(G, static_cast<int64_t>(b) - 1));
    }
    const RealVector x = LinSolve(M, H);
    const double v = ScalarProduct(x, c);
    if (Improves(sense, v, best.value)) best = BlockSolution{x, v, basis};
  }
  return best;
}

BlockSolution MinBlockBasis(const RealVector& G, const RealVector& row,
                            int32_t a, int32_t m, const RealVector& H,
                            int32_t s) {
  return BlockBasis(Sense::kMinimise, G, row, a, m, H, s);
}

BlockSolution MaxBlockBasis(const RealVector& G, const RealVector& row,
                            int32_t a, int32_t m, const RealVector& H,
                            int32_t s) {
  return BlockBasis(Sense::kMaximise, G, row, a, m, H, s);
}

}  // namespace unionbound::reference
