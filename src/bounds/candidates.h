// The candidate index patterns (Vks) of one level of a bounding procedure.
#ifndef UNIONBOUND_BOUNDS_CANDIDATES_H_
#define UNIONBOUND_BOUNDS_CANDIDATES_H_

#include <cstdint>
#include <vector>

#include "numeric/vectors.h"
#include "optim/sense.h"

namespace unionbound {

struct CandidateSet {
  std::vector<IndexMatrix> vksList;  // entry e: the Vks of candidate e
  IndexMatrix qList;                 // row e: the q of candidate e
};

// Candidates of level j (-1 <= j <= m-1), C(m, j+1) of them. The first
// subsequence places the bottom subscripts 0 .. j at every choice of j+1 of
// the m positions and the top subscripts n_0, n_0-1, ... elsewhere; every
// other subsequence mirrors its pair's source. The sense decides the parity
// rule of the mirror (minimise: LowerVks, maximise: UpperVks).
CandidateSet GenerateVks(Sense sense, const IndexVector& sizes, int32_t m,
                         const IndexMatrix& D, int32_t j);
CandidateSet LowerVks(const IndexVector& sizes, int32_t m, const IndexMatrix& D,
                      int32_t j);
CandidateSet UpperVks(const IndexVector& sizes, int32_t m, const IndexMatrix& D,
                      int32_t j);

}  // namespace unionbound

#endif  // UNIONBOUND_BOUNDS_CANDIDATES_H_
