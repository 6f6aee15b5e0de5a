// The exact simplex method of the grid programs, for the count-vector
// programs of a partition: the basis inverse (adjugate over determinant),
// the basic values and the duals are exact, and only the choice of the
// entering column uses doubles with a rigorous error bound (a column whose
// sign that bound leaves open is priced exactly). The columns are never
// stored: a pricing pass evaluates the reduced costs of all count vectors,
// contracting the duals one group at a time, so the method is column
// generation over up to millions of count vectors. A first phase minimises
// the cost plus a large weight on the artificial columns, a second drives
// what is left of them to 0, and Bland's rule takes over after a run of
// pivots that do not move.
//
// Thread safety: SolveCountProgram may run on several threads at once, each
// with its own state.
#ifndef UNIONBOUND_SHARP_MOMENTS_COUNT_SIMPLEX_H_
#define UNIONBOUND_SHARP_MOMENTS_COUNT_SIMPLEX_H_

#include <chrono>
#include <cstdint>
#include <vector>

#include "sharp/exact/rational.h"
#include "sharp/moments/exact_simplex.h"
#include "sharp/moments/partition_program.h"

namespace unionbound::sharp {

// A count vector by its number in mixed radix (the first group's count most
// significant), an extra column or an artificial one by its number.
struct CountVariable {
  VariableKind kind;
  int64_t index;
};

// The basis of a solve, reusable by the next program with the same rows
// (the same orders in the same order; the sizes may differ: count vectors
// that no longer fit become artificial).
struct CountSimplexState {
  std::vector<CountVariable> basis;
  IndexVector sizes;  // of the program the basis belongs to
  std::vector<std::vector<mpz_class>> adjugate;  // [position][row]
  mpz_class determinant;
};

struct CountSimplexResult {
  SimplexStatus status = SimplexStatus::kPivotLimit;
  Rational value;    // the optimum of cost . x
  RationalVector y;  // optimal duals; when infeasible a Farkas vector
  Rational margin;
  int32_t pivots = 0;
};

// How the floating-point start is found (it changes the pivots, never the
// exact optimum) and when the method gives up.
struct CountSolveOptions {
  // The column generation that finds the first basis prices, while the grid
  // has more count vectors than this, a sub-grid of at most this many first
  // (every k-th count of each group), then ever finer ones up to the whole
  // grid.
  int64_t firstSubGridPoints = 20000;
  // Past this time the method stops as at its pivot limit (status
  // kPivotLimit): the column generation ends its rounds and the exact
  // method pivots no more.
  std::chrono::steady_clock::time_point deadline =
      std::chrono::steady_clock::time_point::max();
};

// Solves the program from the state's basis (an empty state starts from a
// floating-point column generation's basis) and leaves the final basis in
// the state. The program has at most 8 groups and orders of total at most
// 30.
CountSimplexResult SolveCountProgram(const CountProgram& program,
                                     CountSimplexState* state,
                                     const CountSolveOptions& options = {});

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_COUNT_SIMPLEX_H_
