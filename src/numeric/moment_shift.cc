#include "numeric/moment_shift.h"

#include <cstddef>
#include <limits>
#include <map>

#include "numeric/binomial.h"

namespace unionbound {

namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

int32_t FindLabel(const LabelList& labels, const Label& key) {
  for (std::size_t t = 0; t < labels.size(); ++t) {
    if (labels[t] == key) return static_cast<int32_t>(t);
  }
  return -1;
}

// Element `index` of v, or NaN when the index lies outside v (a failed
// lookup gives -1).
double ValueAt(const RealVector& v, int64_t index) {
  if (index < 0 || index >= static_cast<int64_t>(v.size())) return kMissing;
  return v[static_cast<std::size_t>(index)];
}

// Entry `col` of row `row` of a label, 0 when the label is shorter.
int32_t LabelPart(const Label& label, std::size_t row, std::size_t col) {
  if (row >= label.size() || col >= label[row].size()) return 0;
  return label[row][col];
}

// The order-e moment of subsequence d about -c:
// sum over j = 0 .. e of C(e,j) c^(e-j) mu_j with mu_0 = 1, accumulated as
// the middle terms first, then the two outer terms.
double ShiftSingle(const RealVector& mu, const LabelList& labels, int32_t d,
                   int32_t e, double c) {
  double s = 0.0;
  for (int32_t j = 1; j <= e - 1; ++j) {
    s = IntPower(c, e - j) * ValueAt(mu, FindSingleLabel(labels, d, j)) *
            Binomial(e, j) +
        s;
  }
  return (IntPower(c, e) + ValueAt(mu, FindSingleLabel(labels, d, e))) + s;
}

// The mixed moment of orders (e1, e2) of subsequences (d1, d2) about
// (-c1, -c2): the double sum of C(e1,j1) C(e2,j2) c1^(e1-j1) c2^(e2-j2)
// m(j1,j2), grouped by which of j1, j2 are 0, inner or full order. The
// order of the groups fixes the rounding of the result.
double ShiftPair(const RealVector& mu, const LabelList& labels, int32_t d1,
                 int32_t d2, int32_t e1, int32_t e2, double c1, double c2) {
  auto m1 = [&](int32_t j1) {
    return ValueAt(mu, FindSingleLabel(labels, d1, j1));
  };
  auto m2 = [&](int32_t j2) {
    return ValueAt(mu, FindSingleLabel(labels, d2, j2));
  };
  auto m12 = [&](int32_t j1, int32_t j2) {
    return ValueAt(mu, FindPairLabel(labels, d1, d2, j1, j2));
  };

  double s = IntPower(c2, e2) * IntPower(c1, e1);
  for (int32_t j1 = 1; j1 <= e1 - 1; ++j1) {
    s = (IntPower(c1, e1 - j1) * IntPower(c2, e2)) * m1(j1) * Binomial(e1, j1) +
        s;
  }
  s = IntPower(c2, e2) * m1(e1) + s;
  for (int32_t j2 = 1; j2 <= e2 - 1; ++j2) {
    s = (IntPower(c1, e1) * IntPower(c2, e2 - j2)) * m2(j2) * Binomial(e2, j2) +
        s;
  }
  s = IntPower(c1, e1) * m2(e2) + s;
  for (int32_t j1 = 1; j1 <= e1 - 1; ++j1) {
    for (int32_t j2 = 1; j2 <= e2 - 1; ++j2) {
      const int32_t coefficient = Binomial(e1, j1) * Binomial(e2, j2);
      s = (IntPower(c1, e1 - j1) * IntPower(c2, e2 - j2)) * m12(j1, j2) *
              coefficient +
          s;
    }
  }
  s = s + m12(e1, e2);
  for (int32_t j1 = 1; j1 <= e1 - 1; ++j1) {
    s = IntPower(c1, e1 - j1) * m12(j1, e2) * Binomial(e1, j1) + s;
  }
  for (int32_t j2 = 1; j2 <= e2 - 1; ++j2) {
    s = IntPower(c2, e2 - j2) * m12(e1, j2) * Binomial(e2, j2) + s;
  }
  return s;
}

}  // namespace

int32_t FindSingleLabel(const LabelList& labels, int32_t x, int32_t y) {
  return FindLabel(labels, Label{{x}, {y}});
}

int32_t FindPairLabel(const LabelList& labels, int32_t x1, int32_t x2,
                      int32_t y1, int32_t y2) {
  return FindLabel(labels, Label{{x1, x2}, {y1, y2}});
}

namespace {

// ShiftMoments label by label with a search for every moment that enters a
// sum; the only form that can reproduce the messages of IntPower for orders
// below 1.
RealVector ShiftMomentsBySearch(const RealVector& mu, const RealVector& p,
                                const LabelList& labels, const IndexVector& B) {
  RealVector r = {1.0};
  const int32_t S = ScalarProduct(B, IndexVector(B.size(), 1));
  const int64_t L = static_cast<int64_t>(labels.size());

  for (int64_t t = 1; t <= S && t < L; ++t) {
    const Label& label = labels[static_cast<std::size_t>(t)];
    const int32_t d = LabelPart(label, 0, 0);
    const int32_t e = LabelPart(label, 1, 0);
    const double c = -ValueAt(p, int64_t{d} - 1);
    r.push_back(ShiftSingle(mu, labels, d, e, c));
  }
  // Position 0 is the constant even when B holds negative counts.
  const int64_t first_pair = S < 0 ? 1 : int64_t{S} + 1;
  for (int64_t t = first_pair; t < L; ++t) {
    const Label& label = labels[static_cast<std::size_t>(t)];
    const int32_t d1 = LabelPart(label, 0, 0);
    const int32_t d2 = LabelPart(label, 0, 1);
    const int32_t e1 = LabelPart(label, 1, 0);
    const int32_t e2 = LabelPart(label, 1, 1);
    const double c1 = -ValueAt(p, int64_t{d1} - 1);
    const double c2 = -ValueAt(p, int64_t{d2} - 1);
    r.push_back(ShiftPair(mu, labels, d1, d2, e1, e2, c1, c2));
  }
  return r;
}

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

bool OrderFitsPlan(int32_t e) { return e >= 1 && e <= ShiftPlan::kMaxOrder; }

ShiftPlan::SingleLabel PlanSingle(const LabelIndex& index, const Label& label) {
  ShiftPlan::SingleLabel single;
  single.d = LabelPart(label, 0, 0);
  single.e = LabelPart(label, 1, 0);
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
  pair.d1 = LabelPart(label, 0, 0);
  pair.d2 = LabelPart(label, 0, 1);
  pair.e1 = LabelPart(label, 1, 0);
  pair.e2 = LabelPart(label, 1, 1);
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

// powers[k] = c^k for k = 0 .. e, each from the one before by one
// multiplication: the same products as IntPower(c, k).
void FillPowers(double c, int32_t e, double* powers) {
  powers[0] = 1.0;
  for (int32_t k = 1; k <= e; ++k) powers[k] = powers[k - 1] * c;
}

int32_t PlanBinomial(const ShiftPlan& plan, int32_t e, int32_t j) {
  return plan
      .binomial[static_cast<std::size_t>(e) * (ShiftPlan::kMaxOrder + 1) +
                static_cast<std::size_t>(j)];
}

// The terms of ShiftSingle in its order, with the lookups of the plan.
double ShiftSingleByPlan(const ShiftPlan& plan,
                         const ShiftPlan::SingleLabel& label,
                         const RealVector& mu, const RealVector& p) {
  double powers[ShiftPlan::kMaxOrder + 1];
  FillPowers(-ValueAt(p, int64_t{label.d} - 1), label.e, powers);
  const int32_t e = label.e;
  double s = 0.0;
  for (int32_t j = 1; j <= e - 1; ++j) {
    s = powers[e - j] * ValueAt(mu, label.single[static_cast<std::size_t>(j)]) *
            PlanBinomial(plan, e, j) +
        s;
  }
  return (powers[e] + ValueAt(mu, label.single[static_cast<std::size_t>(e)])) +
         s;
}

// The terms of ShiftPair in its order, with the lookups of the plan.
double ShiftPairByPlan(const ShiftPlan& plan, const ShiftPlan::PairLabel& label,
                       const RealVector& mu, const RealVector& p) {
  double c1[ShiftPlan::kMaxOrder + 1];
  double c2[ShiftPlan::kMaxOrder + 1];
  const int32_t e1 = label.e1;
  const int32_t e2 = label.e2;
  FillPowers(-ValueAt(p, int64_t{label.d1} - 1), e1, c1);
  FillPowers(-ValueAt(p, int64_t{label.d2} - 1), e2, c2);
  const std::size_t width = static_cast<std::size_t>(e2) + 1;
  auto m1 = [&](int32_t j1) {
    return ValueAt(mu, label.first[static_cast<std::size_t>(j1)]);
  };
  auto m2 = [&](int32_t j2) {
    return ValueAt(mu, label.second[static_cast<std::size_t>(j2)]);
  };
  auto m12 = [&](int32_t j1, int32_t j2) {
    return ValueAt(mu, label.mixed[static_cast<std::size_t>(j1) * width +
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
  constexpr int32_t kWidth = ShiftPlan::kMaxOrder + 1;
  plan.binomial.assign(static_cast<std::size_t>(kWidth) * kWidth, 0);
  // Pascal's rule: every C(e, j) up to e = 32 fits in 32 bits, but the
  // products of Binomial's multiplicative rule do not from e = 30 on.
  const auto at = [](int32_t e, int32_t j) {
    return static_cast<std::size_t>(e * kWidth + j);
  };
  for (int32_t e = 0; e < kWidth; ++e) {
    for (int32_t j = 0; j <= e; ++j) {
      plan.binomial[at(e, j)] =
          j == 0 || j == e
              ? 1
              : plan.binomial[at(e - 1, j - 1)] + plan.binomial[at(e - 1, j)];
    }
  }
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

RealVector ShiftMoments(const RealVector& mu, const RealVector& p,
                        const LabelList& labels, const IndexVector& B) {
  const ShiftPlan plan = PlanShift(labels, B);
  if (!plan.usable) return ShiftMomentsBySearch(mu, p, labels, B);
  RealVector r;
  ShiftMomentsByPlan(plan, mu, p, &r);
  return r;
}

}  // namespace unionbound
