// Exact binomial moments of the data for every program at once. The number
// of events of a subset u that fall into the first subsequence 1 .. l is
// the count of its sorted members s_1 < .. < s_k with s_e <= l, so the sum
// of all u of size k with exactly e of them there is F(k, e, l) -
// F(k, e + 1, l), where F(k, e, l) adds the u whose e-th member is at most
// l. One pass over the data fills F for every l; every moment of every
// program is then two lookups.
#ifndef UNIONBOUND_SHARP_MOMENTS_MOMENT_TABLE_H_
#define UNIONBOUND_SHARP_MOMENTS_MOMENT_TABLE_H_

#include <gmpxx.h>

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/moments/grid_program.h"

namespace unionbound::sharp {

struct MomentTable {
  int32_t n = 0;
  int32_t m = 0;
  // prefix[k][e][l] for 1 <= e <= k <= m and 0 <= l <= n, in units of the
  // data's common denominator; e = 0 holds the total of size k.
  std::vector<std::vector<std::vector<mpz_class>>> prefix;
};

// Number u of data, times `by`, belongs to subset u of AllSubsets(n, m).
// The numbers are formed one at a time: nothing per number is kept.
MomentTable BuildMomentTable(const ExactData& data, const mpz_class& by,
                             const SubsetList& subsets, int32_t n, int32_t m);

// The sum over the subsets whose moment row `row` counts, for the split at
// l (l = n: the univariate program, whose rows are (e, 0)); 1 for (0, 0).
// Units as in the table; row (0, 0) gives 0 (its right-hand side is the
// constant 1, which the caller sets).
mpz_class GroupSum(const MomentTable& table, int32_t l, const GridRow& row);

// How many subsets row `row` counts at split l: C(l, e1) * C(n - l, e2).
mpz_class GroupSize(int32_t n, int32_t l, const GridRow& row);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_MOMENTS_MOMENT_TABLE_H_
