// Integer ranges, k-subsets of a sequence and transposition of rows.
#ifndef UNIONBOUND_OPTIM_SUBSET_ENUMERATION_H_
#define UNIONBOUND_OPTIM_SUBSET_ENUMERATION_H_

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"

namespace unionbound {

// a, a+1, ..., b; empty when b < a.
IndexVector Range(int32_t a, int32_t b);
// a, a+s, a+2s, ... while <= b (s > 0) or >= b (s < 0); empty for s = 0.
IndexVector StepRange(int32_t a, int32_t b, int32_t s);
// 1, 2, ..., n; empty when n <= 0.
IndexVector RangeFromOne(int32_t n);

// All k-element subsets of S, in lexicographic order of the chosen positions;
// each row keeps the order of S. k < 0 writes "in KSubsets, k<0" (no line
// end) and returns nothing.
IndexMatrix KSubsets(const IndexVector& S, int32_t k);

// Y[i][b] = X[b][i]; the number of output rows is |X[0]|. Empty X gives an
// empty result; elements of a row beyond |X[0]| are not used, and a row
// shorter than X[0] contributes only the elements it has.
IndexMatrix Transpose(const IndexMatrix& X);
std::vector<IndexMatrix> Transpose(const std::vector<IndexMatrix>& X);

}  // namespace unionbound

#endif  // UNIONBOUND_OPTIM_SUBSET_ENUMERATION_H_
