#include "sharp/analysis/bound_rows.h"

#include <cmath>

#include "optim/sense.h"
#include "sharp/exact/outward_format.h"

namespace unionbound::sharp {
namespace {

Rational ClipToUnit(const Rational& q) {
  return q < 0 ? Rational(0) : q > 1 ? Rational(1) : q;
}

Rounding Outward(bool lower) { return lower ? Rounding::kDown : Rounding::kUp; }

// text, and the double just outside it, from value.
void Round(PrintedBound* b) {
  b->text = b->Text(kBoundDigits);
  b->outward = OutwardDouble(b->text, !b->lower);
}

PrintedBound Absent(bool lower) {
  PrintedBound b;
  b.lower = lower;
  return b;
}

std::string MomentStatus(SharpStatus status) {
  switch (status) {
    case SharpStatus::kSharp:
      return "sharp";
    case SharpStatus::kInfeasible:
      return "infeasible";
    case SharpStatus::kFailed:
      return "failed";
  }
  return "";
}

// A bound of a moment program; exists false where the program gave no best
// bound on this side (the status then says failed, as for a bound not
// found).
PrintedBound Moment(const SharpBound& bound, bool lower, int32_t l,
                    bool exists) {
  PrintedBound b = Absent(lower);
  b.exists = exists;
  b.l = l;
  b.status = MomentStatus(bound.status);
  b.widened = bound.widened;
  if (exists && IsUsable(bound)) {
    b.hasValue = true;
    b.value = ClipToUnit(bound.exact);
    Round(&b);
  }
  return b;
}

// unionbound's bound as it computed it: a double, no clipping.
PrintedBound Method(const SharpAnalysis& analysis, double bound, bool lower,
                    int32_t l) {
  PrintedBound b = Absent(lower);
  b.exists = true;
  b.l = l;
  if (IsSentinel(bound)) {
    b.status = "none";
    return b;
  }
  const bool invalid = lower ? MethodLowerContradicts(analysis, bound)
                             : MethodUpperContradicts(analysis, bound);
  b.status = invalid ? "invalid" : "method";
  b.hasValue = true;
  b.method = bound;
  b.fromMethod = true;
  Round(&b);
  return b;
}

PrintedBound Full(const FullResult& full, const FullBound& bound, bool lower) {
  PrintedBound b = Absent(lower);
  b.exists = true;
  b.hasValue = full.computed && bound.computed;
  b.value = ClipToUnit(bound.exact);
  b.status = FullStatus(bound);
  b.widened = bound.widened;
  Round(&b);
  return b;
}

PrintedBound Closed(const Rational& bound, bool lower) {
  PrintedBound b = Absent(lower);
  b.exists = true;
  b.hasValue = true;
  b.value = ClipToUnit(bound);
  b.status = "valid";
  Round(&b);
  return b;
}

BoundRow MethodRow(const SharpAnalysis& analysis, RowKind kind,
                   const MethodBound& lo, const MethodBound& up,
                   double seconds) {
  return {kind, Method(analysis, lo.lower, true, lo.l),
          Method(analysis, up.upper, false, up.l), seconds};
}

}  // namespace

std::string PrintedBound::Text(int digits) const {
  if (fromMethod) return FormatOutward(method, digits, Outward(lower));
  return FormatOutward(value, digits, Outward(lower));
}

std::string KindName(RowKind kind) {
  switch (kind) {
    case RowKind::kUnionbound:
      return "unionbound";
    case RowKind::kUnivariate:
      return "univariate";
    case RowKind::kBivariate:
      return "bivariate";
    case RowKind::kFull:
      return "full";
    case RowKind::kHunterWorsley:
      return "hunter-worsley";
    case RowKind::kDeCaen:
      return "de-caen";
    case RowKind::kKuaiAlajajiTakahara:
      return "kuai-alajaji-takahara";
    case RowKind::kUnionboundL:
      return "unionbound_l";
    case RowKind::kBivariateL:
      return "bivariate_l";
  }
  return "";
}

bool IsPerL(RowKind kind) {
  return kind == RowKind::kUnionboundL || kind == RowKind::kBivariateL;
}

std::vector<BoundRow> BoundRows(const SharpAnalysis& analysis) {
  std::vector<BoundRow> rows;
  const MethodBounds& method = analysis.method;
  if (!method.perL.empty()) {
    rows.push_back(MethodRow(analysis, RowKind::kUnionbound,
                             method.perL[method.bestLower],
                             method.perL[method.bestUpper], method.seconds));
  }
  const SharpInterval& uni = analysis.univariate;
  rows.push_back({RowKind::kUnivariate, Moment(uni.lower, true, -1, true),
                  Moment(uni.upper, false, -1, true), uni.seconds});
  if (analysis.bestLower >= 0 || analysis.bestUpper >= 0) {
    const SharpBound none;
    const BivariateResult* lo = analysis.bestLower >= 0
                                    ? &analysis.bivariate[analysis.bestLower]
                                    : nullptr;
    const BivariateResult* up = analysis.bestUpper >= 0
                                    ? &analysis.bivariate[analysis.bestUpper]
                                    : nullptr;
    rows.push_back(
        {RowKind::kBivariate,
         Moment(lo ? lo->interval.lower : none, true, lo ? lo->l : -1, lo),
         Moment(up ? up->interval.upper : none, false, up ? up->l : -1, up),
         analysis.bivariateSeconds});
  }
  const FullResult& f = analysis.full;
  if (f.computed) {
    rows.push_back({RowKind::kFull, Full(f, f.lower, true),
                    Full(f, f.upper, false), f.seconds});
  }
  const ClassicalBounds& c = analysis.classical;
  if (c.computed) {
    rows.push_back({RowKind::kHunterWorsley, Absent(true),
                    Closed(c.hunterWorsley, false), c.seconds});
    rows.push_back(
        {RowKind::kDeCaen, Closed(c.deCaen, true), Absent(false), c.seconds});
    rows.push_back({RowKind::kKuaiAlajajiTakahara,
                    Closed(c.kuaiAlajajiTakahara, true), Absent(false),
                    c.seconds});
  }
  for (const MethodBound& row : method.perL) {
    rows.push_back(
        MethodRow(analysis, RowKind::kUnionboundL, row, row, row.seconds));
  }
  for (const BivariateResult& row : analysis.bivariate) {
    rows.push_back(
        {RowKind::kBivariateL, Moment(row.interval.lower, true, row.l, true),
         Moment(row.interval.upper, false, row.l, true), row.interval.seconds});
  }
  return rows;
}

std::vector<CountRow> DistributionRows(const SharpAnalysis& analysis) {
  std::vector<CountRow> rows;
  const CountDistributionResult& d = analysis.distribution;
  if (!d.computed) return rows;
  for (size_t k = 0; k < d.univariate.bounds.size(); ++k) {
    const SharpInterval& in = d.univariate.bounds[k];
    rows.push_back({static_cast<int32_t>(k + 1), RowKind::kUnivariate,
                    Moment(in.lower, true, -1, true),
                    Moment(in.upper, false, -1, true),
                    k == 0 ? d.univariateSeconds : 0.0});
  }
  for (const BestCountRow& row : d.bivariate) {
    const bool lower = row.lower.l != -2;
    const bool upper = row.upper.l != -2;
    rows.push_back({row.r, RowKind::kBivariate,
                    Moment(row.lower.bound, true, row.lower.l, lower),
                    Moment(row.upper.bound, false, row.upper.l, upper),
                    row.r == 1 ? d.bivariateSeconds : 0.0});
  }
  return rows;
}

std::string TargetEvent(const CountTarget& target) {
  return target.exactly ? "exactly" : "at_least";
}

const BoundRow* FindRow(const std::vector<BoundRow>& rows, RowKind kind) {
  for (const BoundRow& row : rows) {
    if (row.kind == kind) return &row;
  }
  return nullptr;
}

std::string EpsilonText(const Rational& epsilon) {
  return FormatOutward(epsilon, 3, Rounding::kUp);
}

std::string FullStatus(const FullBound& bound) {
  if (bound.sharp) return "sharp";
  return bound.converged && bound.allAtomsPriced ? "certified" : "partial";
}

std::string FullEpsilonAdvice(const FullEpsilon& epsilon,
                              const std::string& option) {
  if (!epsilon.computed) return "check the data";
  std::string advice = "the full program needs epsilon >= " +
                       FormatOutward(epsilon.atLeast, 3, Rounding::kDown);
  if (!epsilon.sufficesFound) return advice + "; check the data";
  const std::string enough = EpsilonText(epsilon.suffices);
  return advice + " (a change of every number by up to " + enough +
         " fits a distribution over the atoms): use " + option +
         " with T >= " + enough;
}

}  // namespace unionbound::sharp
