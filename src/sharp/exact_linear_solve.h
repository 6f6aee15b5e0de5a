// Square linear systems with integer coefficients solved exactly by
// fraction-free (Bareiss) elimination: every intermediate value is an
// integer and every division exact, so the solution comes out as integer
// numerators over one common denominator without reducing fractions.
#ifndef UNIONBOUND_SHARP_EXACT_LINEAR_SOLVE_H_
#define UNIONBOUND_SHARP_EXACT_LINEAR_SOLVE_H_

#include <gmpxx.h>

#include <vector>

namespace unionbound {

using IntegerMatrix = std::vector<std::vector<mpz_class>>;  // [row][column]

// Solves a x = b for a square a: x[i] = numerators[i] / *denominator with
// *denominator > 0. False when a is singular (a is consumed either way).
bool SolveIntegerSystem(IntegerMatrix a, std::vector<mpz_class> b,
                        std::vector<mpz_class>* numerators,
                        mpz_class* denominator);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_EXACT_LINEAR_SOLVE_H_
