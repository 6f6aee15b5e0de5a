// An exact simplex method for the grid programs: the basis inverse, the
// basic values and the duals are kept in exact arithmetic, so every result
// is proven. Only the choice of the entering column uses doubles:
// reduced costs are evaluated in floating point with a rigorous error bound,
// and a column whose sign that bound leaves open (or whose doubles
// overflow) is priced exactly. These programs have few rows, so exact pivots
// are cheap. A first phase minimises the cost plus a large weight on the
// artificial columns, a second drives what is left of them to 0, and Bland's
// rule takes over after a run of pivots that do not move.
//
// A state carries the basis from one program to the next with the same rows
// and the same extra columns (the next l of a bound program): the
// coefficients of a point do not depend on l, so the inverse stays valid and
// only points that left the grid become artificial. The same holds from one
// target to the next (only the costs change): the basis stays feasible.
#ifndef UNIONBOUND_SHARP_MOMENTS_EXACT_SIMPLEX_H_
#define UNIONBOUND_SHARP_MOMENTS_EXACT_SIMPLEX_H_

#include <cstdint>
#include <vector>

#include "sharp/exact/rational.h"
#include "sharp/moments/grid_program.h"

namespace unionbound::sharp {

enum class VariableKind { kPoint, kExtra, kArtificial };

struct BasicVariable {
  VariableKind kind;
  int32_t i;  // point (i, j); extra column i; artificial number i
  int32_t j;
};

// The basis of a solve, reusable by the next one with the same row count.
// The inverse of the basis matrix is adjugate / determinant, both integer
// (the determinant positive, the adjugate up to a common sign): pivots then
// need exact divisions only, no fractions to reduce.
struct SimplexState {
  std::vector<BasicVariable> basis;              // one per row
  std::vector<std::vector<mpz_class>> adjugate;  // [position][row]
  mpz_class determinant;
};

enum class SimplexStatus { kOptimal, kInfeasible, kPivotLimit };

struct SimplexResult {
  SimplexStatus status = SimplexStatus::kPivotLimit;
  Rational value;    // the optimum of cost . x
  RationalVector y;  // optimal duals; when infeasible a Farkas vector:
                     // A^T y <= 0 exactly and rhs . y = margin > 0
  Rational margin;
  std::vector<BasicVariable> basis;
  RationalVector basicValues;
  int32_t pivots = 0;
};

// Solves the program from the state's basis (an empty state starts from an
// artificial basis) and leaves the final basis in the state.
SimplexResult SolveExact(const GridProgram& program, SimplexState* state);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_EXACT_SIMPLEX_H_
