#include "sharp/exact_linear_solve.h"

#include <utility>

namespace unionbound {

bool SolveIntegerSystem(IntegerMatrix a, std::vector<mpz_class> b,
                        std::vector<mpz_class>* numerators,
                        mpz_class* denominator) {
  const size_t k = a.size();
  mpz_class previous = 1;
  mpz_class t;
  // Forward elimination: after step p, row i > p holds the determinants of
  // the leading (p + 1)-minors bordered by row i, divided exactly.
  for (size_t p = 0; p < k; ++p) {
    size_t pivot = p;
    while (pivot < k && sgn(a[pivot][p]) == 0) ++pivot;
    if (pivot == k) return false;
    std::swap(a[p], a[pivot]);
    std::swap(b[p], b[pivot]);
    const mpz_class& d = a[p][p];
    for (size_t i = p + 1; i < k; ++i) {
      const mpz_class& f = a[i][p];
      const bool zero = sgn(f) == 0;
      for (size_t j = p + 1; j < k; ++j) {
        mpz_class& v = a[i][j];
        if (sgn(v) != 0) v *= d;
        if (!zero && sgn(a[p][j]) != 0) {
          mpz_mul(t.get_mpz_t(), f.get_mpz_t(), a[p][j].get_mpz_t());
          v -= t;
        }
        if (sgn(v) != 0)
          mpz_divexact(v.get_mpz_t(), v.get_mpz_t(), previous.get_mpz_t());
      }
      b[i] *= d;
      if (!zero) b[i] -= f * b[p];
      mpz_divexact(b[i].get_mpz_t(), b[i].get_mpz_t(), previous.get_mpz_t());
      a[i][p] = 0;
    }
    previous = d;
  }
  // Back substitution of det * x, integral by Cramer's rule.
  const mpz_class det = a[k - 1][k - 1];
  std::vector<mpz_class>& x = *numerators;
  x.assign(k, 0);
  for (size_t i = k; i-- > 0;) {
    mpz_class s = det * b[i];
    for (size_t j = i + 1; j < k; ++j) {
      if (sgn(a[i][j]) != 0) s -= a[i][j] * x[j];
    }
    mpz_class r;
    mpz_tdiv_qr(x[i].get_mpz_t(), r.get_mpz_t(), s.get_mpz_t(),
                a[i][i].get_mpz_t());
    if (sgn(r) != 0) return false;
  }
  *denominator = det;
  if (sgn(det) < 0) {
    *denominator = -det;
    for (mpz_class& v : x) v = -v;
  }
  return k > 0;
}

}  // namespace unionbound
