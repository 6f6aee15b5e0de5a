// Square linear systems with integer coefficients solved exactly, the
// solution as integer numerators over one common denominator.
//
// Small dense systems go through fraction-free (Bareiss) elimination: every
// intermediate value is an integer and every division exact. Large systems
// whose matrix holds only zeros and ones (an atom distribution's rows) go
// through iterative refinement instead: a floating-point LU factorization
// proposes corrections, the residual is recomputed exactly in integers each
// time, and since the determinant times the solution is integral (Cramer's
// rule) rounding closes it. The refinement's answer is exact whenever it is
// given; it gives none when the matrix is singular or too ill-conditioned,
// or its determinant is too large for a double.
#ifndef UNIONBOUND_SHARP_EXACT_LINEAR_SOLVE_H_
#define UNIONBOUND_SHARP_EXACT_LINEAR_SOLVE_H_

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace unionbound::sharp {

using IntegerMatrix = std::vector<std::vector<mpz_class>>;  // [row][column]

// Solves a x = b for a square a: x[i] = numerators[i] / *denominator with
// *denominator > 0. False when a is singular (a is consumed either way).
bool SolveIntegerSystem(IntegerMatrix a, std::vector<mpz_class> b,
                        std::vector<mpz_class>* numerators,
                        mpz_class* denominator);

// A square 0/1 matrix, factored once in floating point, for exact solves
// of a x = b and of its transpose.
class ZeroOneSystem {
 public:
  // ones[i]: the columns of row i that hold a 1; every index below
  // ones.size().
  explicit ZeroOneSystem(std::vector<std::vector<int32_t>> ones);

  // False when the matrix is singular in floating point or its determinant
  // is beyond 2^50; nothing can be solved then.
  bool Factored() const { return factored_; }

  // x[i] = numerators[i] / *denominator, *denominator > 0, with a x = b
  // (or a^T x = b) exactly; false when the refinement does not close.
  bool Solve(const std::vector<mpz_class>& b, bool transposed,
             std::vector<mpz_class>* numerators, mpz_class* denominator) const;

 private:
  void Factor();
  std::vector<double> SolveApproximately(std::vector<double> r,
                                         bool transposed) const;
  // b - a v (or b - a^T v), exactly.
  std::vector<mpz_class> Residual(const std::vector<mpz_class>& b,
                                  const std::vector<mpz_class>& v,
                                  bool transposed) const;
  bool Reconstruct(const std::vector<mpz_class>& approximation, size_t shift,
                   std::vector<mpz_class>* p, mpz_class* q) const;

  size_t k_;
  std::vector<std::vector<int32_t>> ones_;
  std::vector<double> lu_;           // row-major k x k, L below the diagonal
  std::vector<size_t> permutation_;  // row i of lu_ is row permutation_[i]
  bool factored_ = false;
};

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_EXACT_LINEAR_SOLVE_H_
