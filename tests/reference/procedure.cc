#include "reference/procedure.h"

#include <algorithm>
#include <cstddef>

#include "bounds/candidates.h"
#include "numeric/labels.h"
#include "reference/block_bound.h"
#include "reference/moment_shift.h"

namespace unionbound::reference {

BoundResult BoundProcedure(Sense sense, ScoringFunction f,
                           const RealMatrix& supports, const RealVector& mu,
                           const IndexVector& maxOrders,
                           const IndexMatrix& variablePairs, int32_t m) {
  IndexVector sizes;
  for (const RealVector& row : supports) {
    sizes.push_back(static_cast<int32_t>(row.size()) - 1);
  }
  const LabelList L = VariableIndexList(m, variablePairs, maxOrders);
  BoundResult best{SentinelFor(sense), IndexMatrix{}, -1, IndexMatrix{}};
  for (int32_t j = -1; j <= m - 1; ++j) {
    const CandidateSet set = GenerateVks(sense, sizes, m, variablePairs, j);
    const std::size_t count = std::min(set.vksList.size(), set.qList.size());
    for (std::size_t e = 0; e < count; ++e) {
      const IndexMatrix& Vks = set.vksList[e];
      const IndexVector& q = set.qList[e];
      const ReorderedSupports r = ReorderByVks(supports, Vks, q);
      const RealVector R = ShiftMoments(mu, r.Q, L, maxOrders);
      const BlockBoundResult inner =
          BlockBound(sense, f, r.P, r.Q, maxOrders, m, R, q, L);
      if (Improves(sense, inner.optimum, best.value)) {
        best = BoundResult{inner.optimum, inner.basis, j, Vks};
      }
    }
  }
  return best;
}

}  // namespace unionbound::reference
