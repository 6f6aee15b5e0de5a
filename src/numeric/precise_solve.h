// Square linear systems in extended precision (long double) by Gaussian
// elimination with partial pivoting, for the few systems whose solution
// must keep more digits than the double elimination leaves.
#ifndef UNIONBOUND_NUMERIC_PRECISE_SOLVE_H_
#define UNIONBOUND_NUMERIC_PRECISE_SOLVE_H_

#include <cstdint>
#include <vector>

namespace unionbound {

// Solves the n x n system held row by row in *a (used up) with the right
// side in *b, which receives the solution. Each column's pivot is the
// element of largest magnitude at or below the diagonal. Returns false, with
// *b unspecified, when a column has no nonzero pivot. Requires a->size() ==
// n * n and b->size() == n. Thread-safe: touches nothing but its arguments.
bool PreciseSolve(std::vector<long double>* a, std::vector<long double>* b,
                  int32_t n);

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_PRECISE_SOLVE_H_
