#include "numeric/moment_shift.h"

#include <cstddef>
#include <map>

#include "numeric/labels.h"
#include "numeric/subset_order.h"

namespace unionbound {

namespace {

// First position of every label, for lookups without a scan.
using LabelIndex = std::map<Label, int32_t>;

LabelIndex IndexLabels(const LabelList& labels) {
  LabelIndex index;
  for (std::size_t t = 0; t < labels.size(); ++t) {
    index.emplace(labels[t], static_cast<int32_t>(t));
  }
  return index;
}

int32_t Lookup(const LabelIndex& index, const Label& key) {
  const auto found = index.find(key);
  return found == index.end() ? -1 : found->second;
}

bool OrderFitsPlan(int32_t e) {
  return e >= 1 && e <= ShiftPlan::kMaxTabulatedOrder;
}

ShiftPlan::SingleLabel PlanSingle(const LabelIndex& index, const Label& label) {
  ShiftPlan::SingleLabel single;
  const LabelParts parts = PartsOf(label);
  single.d = parts.d1;
  single.e = parts.e1;
  if (!OrderFitsPlan(single.e)) return single;
  single.single.assign(static_cast<std::size_t>(single.e) + 1, -1);
  for (int32_t j = 1; j <= single.e; ++j) {
    single.single[static_cast<std::size_t>(j)] =
        Lookup(index, Label{{single.d}, {j}});
  }
  return single;
}

ShiftPlan::PairLabel PlanPair(const LabelIndex& index, const Label& label) {
  ShiftPlan::PairLabel pair;
  const LabelParts parts = PartsOf(label);
  pair.d1 = parts.d1;
  pair.d2 = parts.d2;
  pair.e1 = parts.e1;
  pair.e2 = parts.e2;
  if (!OrderFitsPlan(pair.e1) || !OrderFitsPlan(pair.e2)) return pair;
  const std::size_t width = static_cast<std::size_t>(pair.e2) + 1;
  pair.first.assign(static_cast<std::size_t>(pair.e1) + 1, -1);
  pair.second.assign(width, -1);
  pair.mixed.assign((static_cast<std::size_t>(pair.e1) + 1) * width, -1);
  for (int32_t j1 = 1; j1 <= pair.e1; ++j1) {
    pair.first[static_cast<std::size_t>(j1)] =
        Lookup(index, Label{{pair.d1}, {j1}});
  }
  for (int32_t j2 = 1; j2 <= pair.e2; ++j2) {
    pair.second[static_cast<std::size_t>(j2)] =
        Lookup(index, Label{{pair.d2}, {j2}});
  }
  for (int32_t j1 = 1; j1 <= pair.e1; ++j1) {
    for (int32_t j2 = 1; j2 <= pair.e2; ++j2) {
      pair.mixed[static_cast<std::size_t>(j1) * width +
                 static_cast<std::size_t>(j2)] =
          Lookup(index, Label{{pair.d1, pair.d2}, {j1, j2}});
    }
  }
  return pair;
}

// C(e, j) at e * (kMaxTabulatedOrder + 1) + j for every e, j up to
// kMaxTabulatedOrder, worked out on first use; every plan copies it.
const IndexVector& TabulatedBinomials() {
  static const IndexVector table = [] {
    constexpr int32_t kWidth = ShiftPlan::kMaxTabulatedOrder + 1;
    IndexVector binomials(static_cast<std::size_t>(kWidth) * kWidth, 0);
    for (int32_t e = 0; e < kWidth; ++e) {
      for (int32_t j = 0; j <= e; ++j) {
        binomials[static_cast<std::size_t>(e * kWidth + j)] = Binomial(e, j);
      }
    }
    return binomials;
  }();
  return table;
}

// powers[k] = c^k for k = 0 .. e, each from the one before by one
// multiplication: the same products as IntPower(c, k).
void FillPowers(double c, int32_t e, double* powers) {
  powers[0] = 1.0;
  for (int32_t k = 1; k <= e; ++k) powers[k] = powers[k - 1] * c;
}

int32_t PlanBinomial(const ShiftPlan& plan, int32_t e, int32_t j) {
  return plan.binomial[static_cast<std::size_t>(e) *
                           (ShiftPlan::kMaxTabulatedOrder + 1) +
                       static_cast<std::size_t>(j)];
}

// The order-e moment of subsequence d about -c:
// sum over j = 0 .. e of C(e,j) c^(e-j) mu_j with mu_0 = 1, accumulated as
// the middle terms first, then the two outer terms.
double ShiftSingleByPlan(const ShiftPlan& plan,
                         const ShiftPlan::SingleLabel& label,
                         const RealVector& mu, const RealVector& p) {
  double powers[ShiftPlan::kMaxTabulatedOrder + 1];
  FillPowers(-ElementOrNaN(p, int64_t{label.d} - 1), label.e, powers);
  const int32_t e = label.e;
  double s = 0.0;
  for (int32_t j = 1; j <= e - 1; ++j) {
    s = powers[e - j] *
            ElementOrNaN(mu, label.single[static_cast<std::size_t>(j)]) *
            PlanBinomial(plan, e, j) +
        s;
  }
  return (powers[e] +
          ElementOrNaN(mu, label.single[static_cast<std::size_t>(e)])) +
         s;
}

// The mixed moment of orders (e1, e2) of subsequences (d1, d2) about
// (-c1, -c2): the double sum of C(e1,j1) C(e2,j2) c1^(e1-j1) c2^(e2-j2)
// m(j1,j2), grouped by which of j1, j2 are 0, inner or full order. The
// order of the groups fixes the rounding of the result.
double ShiftPairByPlan(const ShiftPlan& plan, const ShiftPlan::PairLabel& label,
                       const RealVector& mu, const RealVector& p) {
  double c1[ShiftPlan::kMaxTabulatedOrder + 1];
  double c2[ShiftPlan::kMaxTabulatedOrder + 1];
  const int32_t e1 = label.e1;
  const int32_t e2 = label.e2;
  FillPowers(-ElementOrNaN(p, int64_t{label.d1} - 1), e1, c1);
  FillPowers(-ElementOrNaN(p, int64_t{label.d2} - 1), e2, c2);
  const std::size_t width = static_cast<std::size_t>(e2) + 1;
  auto m1 = [&](int32_t j1) {
    return ElementOrNaN(mu, label.first[static_cast<std::size_t>(j1)]);
  };
  auto m2 = [&](int32_t j2) {
    return ElementOrNaN(mu, label.second[static_cast<std::size_t>(j2)]);
  };
  auto m12 = [&](int32_t j1, int32_t j2) {
    return ElementOrNaN(mu, label.mixed[static_cast<std::size_t>(j1) * width +
                                        static_cast<std::size_t>(j2)]);
  };

  double s = c2[e2] * c1[e1];
  for (int32_t j1 = 1; j1 <= e1 - 1; ++j1) {
    s = (c1[e1 - j1] * c2[e2]) * m1(j1) * PlanBinomial(plan, e1, j1) + s;
  }
  s = c2[e2] * m1(e1) + s;
  for (int32_t j2 = 1; j2 <= e2 - 1; ++j2) {
    s = (c1[e1] * c2[e2 - j2]) * m2(j2) * PlanBinomial(plan, e2, j2) + s;
  }
  s = c1[e1] * m2(e2) + s;
  for (int32_t j1 = 1; j1 <= e1 - 1; ++j1) {
    for (int32_t j2 = 1; j2 <= e2 - 1; ++j2) {
      const int32_t coefficient =
          PlanBinomial(plan, e1, j1) * PlanBinomial(plan, e2, j2);
      s = (c1[e1 - j1] * c2[e2 - j2]) * m12(j1, j2) * coefficient + s;
    }
  }
  s = s + m12(e1, e2);
  for (int32_t j1 = 1; j1 <= e1 - 1; ++j1) {
    s = c1[e1 - j1] * m12(j1, e2) * PlanBinomial(plan, e1, j1) + s;
  }
  for (int32_t j2 = 1; j2 <= e2 - 1; ++j2) {
    s = c2[e2 - j2] * m12(e1, j2) * PlanBinomial(plan, e2, j2) + s;
  }
  return s;
}

}  // namespace

ShiftPlan PlanShift(const LabelList& labels, const IndexVector& B) {
  ShiftPlan plan;
  plan.labelCount = static_cast<int32_t>(labels.size());
  plan.usable = !labels.empty();
  const LabelIndex index = IndexLabels(labels);
  const int32_t S = ScalarProduct(B, IndexVector(B.size(), 1));
  const int64_t L = static_cast<int64_t>(labels.size());
  for (int64_t t = 1; t <= S && t < L; ++t) {
    plan.singles.push_back(
        PlanSingle(index, labels[static_cast<std::size_t>(t)]));
    plan.usable = plan.usable && OrderFitsPlan(plan.singles.back().e);
  }
  plan.firstPair = S < 0 ? 1 : S + 1;
  for (int64_t t = plan.firstPair; t < L; ++t) {
    plan.pairs.push_back(PlanPair(index, labels[static_cast<std::size_t>(t)]));
    plan.usable = plan.usable && OrderFitsPlan(plan.pairs.back().e1) &&
                  OrderFitsPlan(plan.pairs.back().e2);
  }
  plan.binomial = TabulatedBinomials();
  return plan;
}

void ShiftMomentsByPlan(const ShiftPlan& plan, const RealVector& mu,
                        const RealVector& p, RealVector* r) {
  r->resize(plan.labelCount < 1 ? 1
                                : static_cast<std::size_t>(plan.labelCount));
  double* out = r->data();
  out[0] = 1.0;
  std::size_t t = 1;
  for (const ShiftPlan::SingleLabel& single : plan.singles) {
    out[t++] = ShiftSingleByPlan(plan, single, mu, p);
  }
  t = static_cast<std::size_t>(plan.firstPair);
  for (const ShiftPlan::PairLabel& pair : plan.pairs) {
    out[t++] = ShiftPairByPlan(plan, pair, mu, p);
  }
}

}  // namespace unionbound
