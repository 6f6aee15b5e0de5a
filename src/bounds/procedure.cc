#include "bounds/procedure.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "bounds/candidates.h"
#include "numeric/labels.h"
#include "numeric/moment_shift.h"
#include "optim/prepared_block_bound.h"
#include "optim/threshold_penalty.h"

namespace unionbound {

namespace {

// The bases the prepared block bound chose, one row per subsequence (empty
// where a family had no member).
IndexMatrix ChosenBases(const PreparedBlockBound& block) {
  IndexMatrix bases;
  for (const IndexVector* chosen : block.chosen) {
    bases.push_back(chosen == nullptr ? IndexVector{} : *chosen);
  }
  return bases;
}

IndexVector SupportSizes(const RealMatrix& supports) {
  IndexVector sizes;
  for (const RealVector& row : supports) {
    sizes.push_back(static_cast<int32_t>(row.size()) - 1);
  }
  return sizes;
}

}  // namespace

void ReorderByVksInto(const RealMatrix& Z, const IndexMatrix& Vks,
                      const IndexVector& q, ReorderedSupports* result) {
  const int64_t w = Vks.empty() ? 0 : static_cast<int64_t>(Vks[0].size());
  const IndexVector noPattern;
  result->P.resize(Z.size());
  result->Q.resize(Z.size());
  for (size_t k = 0; k < Z.size(); ++k) {
    const RealVector& row = Z[k];
    const int64_t a = static_cast<int64_t>(row.size()) - 1;
    const IndexVector& V = k < Vks.size() ? Vks[k] : noPattern;
    const int64_t qk = k < q.size() ? q[k] : 0;

    RealVector& s = result->P[k];
    s.clear();
    for (int64_t t = 0; t < w; ++t) {
      const int64_t index =
          t < static_cast<int64_t>(V.size()) ? V[static_cast<size_t>(t)] : -1;
      s.push_back(ElementOrNaN(row, index));
    }
    for (int64_t t = w; t <= a; ++t) s.push_back(ElementOrNaN(row, t - qk));

    result->Q[k] = ElementOrNaN(s, 0);
    // Descending, so s[0] is changed last and every element loses the
    // original base point.
    for (int64_t t = a; t >= 0; --t) {
      s[static_cast<size_t>(t)] = s[static_cast<size_t>(t)] - s[0];
    }
  }
}

ReorderedSupports ReorderByVks(const RealMatrix& Z, const IndexMatrix& Vks,
                               const IndexVector& q) {
  ReorderedSupports result;
  ReorderByVksInto(Z, Vks, q, &result);
  return result;
}

namespace {

bool IsUsableProcedureValue(Sense sense, double value) {
  return value != SentinelFor(sense) && std::isfinite(value);
}

// The procedure of BoundProcedure; with checked != nullptr the moments may
// be scaled by 2^scale, every optimum is taken back, and the best one is
// also worked out in extended precision (CheckedBoundProcedure).
BoundResult RunProcedure(Sense sense, Scoring scoring,
                         const RealMatrix& supports, const RealVector& mu,
                         const RealVector* b, const IndexVector& maxOrders,
                         const IndexMatrix& variablePairs, int32_t m,
                         int32_t scale, CheckedBound* checked) {
  BoundResult best{SentinelFor(sense), IndexMatrix{}, -1, IndexMatrix{}};
  IndexVector bestQ;
  const IndexVector sizes = SupportSizes(supports);
  const LabelList L = VariableIndexList(m, variablePairs, maxOrders);
  const ShiftPlan shift = PlanShift(L, maxOrders);
  if (!CanPrepareBlockBound(sizes, maxOrders, m, L) || !shift.usable) {
    return best;
  }
  PreparedBlockBound block =
      PrepareBlockBound(sense, scoring, sizes, maxOrders, m, L);
  ReorderedSupports reordered;
  RealVector R;

  for (int32_t j = -1; j <= m - 1; ++j) {
    const CandidateSet candidates =
        GenerateVks(sense, sizes, m, variablePairs, j);
    const size_t count =
        std::min(candidates.vksList.size(), candidates.qList.size());
    for (size_t e = 0; e < count; ++e) {
      const IndexMatrix& Vks = candidates.vksList[e];
      const IndexVector& q = candidates.qList[e];
      ReorderByVksInto(supports, Vks, q, &reordered);
      ShiftMomentsByPlan(shift, mu, reordered.Q, &R);
      double v =
          EvaluatePreparedBlockBound(&block, reordered.P, reordered.Q, R, q);
      if (checked != nullptr && scale != 0) {
        const double constant = block.originIsPoint ? 0.0 : -1.0;
        v = constant + std::ldexp(v - constant, -scale);
      }
      if (Improves(sense, v, best.value)) {
        best = BoundResult{v, ChosenBases(block), j, Vks};
        bestQ = q;
      }
    }
  }
  if (checked != nullptr && b != nullptr &&
      IsUsableProcedureValue(sense, best.value)) {
    // The best candidate once more, its optimum now in extended precision.
    ReorderByVksInto(supports, best.Vks, bestQ, &reordered);
    ShiftMomentsByPlan(shift, mu, reordered.Q, &R);
    EvaluatePreparedBlockBound(&block, reordered.P, reordered.Q, R, bestQ);
    const long double precise =
        PreciseOptimum(block, reordered.P, reordered.Q, *b);
    if (std::isfinite(precise)) {
      const long double constant = block.originIsPoint ? 0.0L : -1.0L;
      checked->precise = static_cast<double>(
          constant + std::ldexp(precise - constant, -scale));
    }
  }
  return best;
}

}  // namespace

BoundResult BoundProcedure(Sense sense, Scoring scoring,
                           const RealMatrix& supports, const RealVector& mu,
                           const IndexVector& maxOrders,
                           const IndexMatrix& variablePairs, int32_t m) {
  return RunProcedure(sense, scoring, supports, mu, nullptr, maxOrders,
                      variablePairs, m, 0, nullptr);
}

CheckedBound CheckedBoundProcedure(Sense sense, const RealMatrix& supports,
                                   const RealVector& mu, const RealVector& b,
                                   const IndexVector& maxOrders,
                                   const IndexMatrix& variablePairs, int32_t m,
                                   int32_t scale) {
  CheckedBound checked;
  checked.result =
      RunProcedure(sense, ThresholdPenaltyScoring(), supports, mu, &b,
                   maxOrders, variablePairs, m, scale, &checked);
  return checked;
}

BoundResult LowerBoundProcedure(Scoring scoring, const RealMatrix& supports,
                                const RealVector& mu,
                                const IndexVector& maxOrders,
                                const IndexMatrix& variablePairs, int32_t m) {
  return BoundProcedure(Sense::kMinimise, scoring, supports, mu, maxOrders,
                        variablePairs, m);
}

BoundResult UpperBoundProcedure(Scoring scoring, const RealMatrix& supports,
                                const RealVector& mu,
                                const IndexVector& maxOrders,
                                const IndexMatrix& variablePairs, int32_t m) {
  return BoundProcedure(Sense::kMaximise, scoring, supports, mu, maxOrders,
                        variablePairs, m);
}

}  // namespace unionbound
