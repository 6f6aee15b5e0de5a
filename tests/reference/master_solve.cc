#include "reference/master_solve.h"

#include <cstddef>

#include "reference/lin_solve.h"

namespace unionbound::reference {

namespace {

// Rows first .. end-1 of A (as far as A has them) and the same entries of R.
void CopyRows(const RealMatrix& A, const RealVector& R, std::size_t first,
              std::size_t end, RealMatrix& rows, RealVector& values) {
  for (std::size_t i = first; i < end; ++i) {
    if (i < A.size()) rows.push_back(A[i]);
    values.push_back(R[i]);
  }
}

}  // namespace

MasterResult MasterSolve(const RealVector& D, const RealVector& R,
                         const RealMatrix& A) {
  const std::size_t P = A.empty() ? 0 : A[0].size();
  if (P == 0) return MasterResult{RealVector(), R, 0.0};
  // n leading rows (constant and single labels), then P pair rows.
  const std::size_t n = R.size() > P ? R.size() - P : 0;

  RealMatrix trailing;
  RealVector trailing_values;
  CopyRows(A, R, n, R.size(), trailing, trailing_values);
  const RealVector w = LinSolve(trailing, trailing_values);

  RealMatrix leading;
  RealVector leading_values;
  CopyRows(A, R, 0, n, leading, leading_values);
  const RealVector y = MatrixVectorProduct(leading, w);
  const RealVector residual = vectsum(leading_values, ScaleVector(-1.0, y));

  return MasterResult{w, residual, ScalarProduct(D, w)};
}

}  // namespace unionbound::reference
