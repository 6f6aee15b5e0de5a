#include "bounds/candidates.h"

#include <cstddef>

#include "optim/subset_enumeration.h"

namespace unionbound {

namespace {

// The first subsequence: the positions named in `positions` (1-based,
// ascending) carry the bottom subscripts `low` from left to right, the other
// positions the top subscripts `high` from left to right.
IndexVector FirstPattern(const IndexVector& positions, const IndexVector& low,
                         const IndexVector& high, int32_t m) {
  IndexVector V;
  size_t a = 0;
  size_t b = 0;
  for (int32_t p = 0; p < m; ++p) {
    if (a < positions.size() && positions[a] == p + 1) {
      V.push_back(a < low.size() ? low[a] : 0);
      ++a;
    } else {
      V.push_back(b < high.size() ? high[b] : 0);
      ++b;
    }
  }
  return V;
}

struct MirroredPattern {
  IndexVector V;
  int32_t q;  // number of top subscripts in V
};

// The pattern of a target subsequence with top subscript nTarget, mirrored
// from the source pattern U with u top subscripts. Position 0 opens with a
// bottom or a top subscript by the parity of u (the sense reverses the
// rule); position p follows the kind of U[m - p].
MirroredPattern MirrorPattern(Sense sense, const IndexVector& U, int32_t u,
                              int32_t nTarget, int32_t m) {
  const int32_t r = m - u - 1;
  const bool uOdd = u % 2 == 1;
  const bool openWithBottom = sense == Sense::kMinimise ? uOdd : !uOdd;
  MirroredPattern result;
  int32_t nextBottom = 0;
  int32_t nextTop = nTarget;
  if (m >= 1) {
    if (openWithBottom) {
      result.V.push_back(0);
      nextBottom = 1;
    } else {
      result.V.push_back(nTarget);
      nextTop = nTarget - 1;
    }
  }
  for (int32_t p = 1; p < m; ++p) {
    const size_t mirrored = static_cast<size_t>(m - p);
    if (mirrored < U.size() && U[mirrored] > r) {
      result.V.push_back(nextTop--);
    } else {
      result.V.push_back(nextBottom++);
    }
  }
  result.q = nTarget - nextTop;
  return result;
}

bool IsSubsequence(int32_t index, size_t count) {
  return index >= 0 && static_cast<size_t>(index) < count;
}

}  // namespace

CandidateSet GenerateVks(Sense sense, const IndexVector& sizes, int32_t m,
                         const IndexMatrix& D, int32_t j) {
  const size_t N = sizes.size();
  if (N == 0) return CandidateSet{};
  std::vector<IndexMatrix> perSub(N);
  IndexMatrix qPerSub(N);

  const int32_t n0 = sizes[0];
  const IndexVector low = Range(0, j);
  const IndexVector high = StepRange(n0, n0 + j - m + 2, -1);
  for (const IndexVector& positions : KSubsets(RangeFromOne(m), j + 1)) {
    perSub[0].push_back(FirstPattern(positions, low, high, m));
  }
  qPerSub[0].assign(perSub[0].size(), m - j - 1);

  for (const IndexVector& pair : D) {
    if (pair.size() < 2) continue;
    const int32_t src = pair[0] - 1;
    const int32_t tgt = pair[1] - 1;
    if (!IsSubsequence(src, N) || !IsSubsequence(tgt, N)) continue;
    // Counted before the loop: a pair whose source is its own target would
    // otherwise grow its source list forever.
    const size_t count = perSub[src].size();
    for (size_t K = 0; K < count; ++K) {
      const MirroredPattern mirrored =
          MirrorPattern(sense, perSub[src][K], qPerSub[src][K], sizes[tgt], m);
      perSub[tgt].push_back(mirrored.V);
      qPerSub[tgt].push_back(mirrored.q);
    }
  }
  return CandidateSet{Transpose(perSub), Transpose(qPerSub)};
}

CandidateSet LowerVks(const IndexVector& sizes, int32_t m, const IndexMatrix& D,
                      int32_t j) {
  return GenerateVks(Sense::kMinimise, sizes, m, D, j);
}

CandidateSet UpperVks(const IndexVector& sizes, int32_t m, const IndexMatrix& D,
                      int32_t j) {
  return GenerateVks(Sense::kMaximise, sizes, m, D, j);
}

}  // namespace unionbound
