// The moment programs of the sharp bounds in their structured form. The
// columns are the points (i, j) of a grid {0 .. maxI} x {0 .. maxJ}: the
// probability that i events of the first subsequence and j of the second
// occur. Row t fixes the binomial moment of orders (e1, e2), so the entry of
// point (i, j) is C(i, e1) * C(j, e2); the coefficients never depend on the
// data, only the right-hand sides do. A few explicit extra columns and rows
// carry the deviations allowed by a tolerance.
#ifndef UNIONBOUND_SHARP_MOMENTS_GRID_PROGRAM_H_
#define UNIONBOUND_SHARP_MOMENTS_GRID_PROGRAM_H_

#include <gmpxx.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "numeric/labels.h"
#include "numeric/vectors.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {

// The orders of the moment a row fixes; e1 < 0 for a row without grid
// entries (a row of the tolerance part).
struct GridRow {
  int32_t e1;
  int32_t e2;
};

struct ExtraColumn {
  std::vector<std::pair<int32_t, mpz_class>> entries;  // (row, coefficient)
  int32_t cost = 0;
};

// The event whose probability a program bounds, in terms of the number X of
// events that occur: X >= r (r = 1: the union) or X = r. r >= 1.
struct CountTarget {
  int32_t r = 1;
  bool exactly = false;
};

// Whether k occurring events make the target's event happen.
inline bool Counts(const CountTarget& target, int32_t k) {
  return target.exactly ? k == target.r : k >= target.r;
}

// minimise cost . x subject to A x = rhs, x >= 0. A point (i, j) whose
// i + j events make the target happen costs pointCost, every other point 0
// (pointCost 1: the smallest probability of the target, -1: minus the
// largest, 0: a program whose cost sits on the extra columns). The default
// target is the union: every point but (0, 0).
struct GridProgram {
  int32_t maxI = 0;
  int32_t maxJ = 0;
  std::vector<GridRow> rows;
  RationalVector rhs;
  int32_t pointCost = 1;
  CountTarget target;
  std::vector<ExtraColumn> extra;
};

size_t PointCount(const GridProgram& program);

// The exact entry of point (i, j) in row t.
mpz_class PointEntry(const GridProgram& program, size_t t, int32_t i,
                     int32_t j);

int32_t PointCost(const GridProgram& program, int32_t i, int32_t j);

// The orders of the rows of the univariate program over X on 0 .. n: S0 ..
// Smin(m, n), as (e, 0).
std::vector<GridRow> UnivariateRows(int32_t n, int32_t m);

// The orders of the rows of the bivariate program, one per label of
// VariableIndexList(m, {{1,2}}, {m,m}) in that order.
std::vector<GridRow> BivariateRows(int32_t m);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_GRID_PROGRAM_H_
