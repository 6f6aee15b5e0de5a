// The programs unionbound-sharp solves, built from the exact data: the
// univariate and bivariate bound programs, as typed or widened by a
// tolerance T (every number may move by up to T), and the programs that
// find the smallest such T that makes a program feasible. The widened
// programs do not clip the moved numbers to [0, 1]: their bounds hold for a
// superset of the consistent assignments within T, and a program is
// feasible for exactly the T its epsilon program allows.
#ifndef UNIONBOUND_SHARP_MOMENTS_MOMENT_PROGRAMS_H_
#define UNIONBOUND_SHARP_MOMENTS_MOMENT_PROGRAMS_H_

#include <gmpxx.h>

#include <cstdint>

#include "numeric/vectors.h"
#include "optim/sense.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/exact/rational.h"
#include "sharp/moments/grid_program.h"
#include "sharp/moments/moment_table.h"

namespace unionbound::sharp {

// Stands for the univariate program where a split l is expected.
inline constexpr int32_t kUnivariate = -1;

struct ProgramData {
  int32_t n = 0;
  int32_t m = 0;
  mpz_class scale;    // every sum below is in units of 1 / scale
  MomentTable typed;  // the numbers as typed
  bool widened = false;
  mpz_class tolerance;    // T, in units of 1 / scale
  MomentTable belowZero;  // max(0, T - p_u): lost by clipping p_u - T at 0
  MomentTable aboveOne;   // max(0, p_u + T - 1): lost by clipping at 1
};

// The data of the programs as typed.
ProgramData MakeProgramData(const ExactData& data, const SubsetList& subsets,
                            int32_t n, int32_t m);

// The same data widened by tolerance >= 0.
ProgramData WidenProgramData(const ExactData& data, const SubsetList& subsets,
                             int32_t n, int32_t m, const Rational& tolerance);

// The bound program of split l (or kUnivariate) and sense for the
// probability of `target` (the union by default): as typed, or with a
// deviation variable per moment row between the widened limits.
GridProgram BoundProgram(const ProgramData& data, int32_t l, Sense sense,
                         const CountTarget& target = {});

// min T such that the moments of some distribution differ from the typed
// ones by at most T * (the number of values each row adds up): the least
// uniform change of the numbers that makes this program feasible. Its
// optimum is in the program's own units (not scaled).
GridProgram PerturbationProgram(const ProgramData& data, int32_t l);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_MOMENT_PROGRAMS_H_
