#include "sharp/analysis/bound_rows.h"

#include <cmath>

#include "optim/sense.h"
#include "sharp/exact/outward_format.h"
#include "sharp/moments/partition_rules.h"

namespace unionbound::sharp {
namespace {

Rational ClipToUnit(const Rational& q) {
  return q < 0 ? Rational(0) : q > 1 ? Rational(1) : q;
}

Rounding Outward(bool lower) { return lower ? Rounding::kDown : Rounding::kUp; }

// text, and the tightest double outside value: both from the exact value,
// so a value that is a double comes back as itself.
void Round(PrintedBound* b) {
  b->text = b->Text(kBoundDigits);
  b->outward = b->fromMethod ? b->method : OutwardDouble(b->value, !b->lower);
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

// The sharp bound of split l on one side, or nullptr where l has no
// program or its bound was not found.
const SharpBound* SharpOfL(const SharpAnalysis& analysis, int32_t l,
                           bool lower) {
  for (const BivariateResult& row : analysis.bivariate) {
    if (row.l != l) continue;
    const SharpBound& b = lower ? row.interval.lower : row.interval.upper;
    return IsUsable(b) ? &b : nullptr;
  }
  return nullptr;
}

// How one of unionbound's numbers stands to the sharp bound of its own l:
// "" inside the sharp interval; otherwise rounding (within a relative
// kRoundingMargin) or invalid. A lower bound above the sharp lower bound of
// its l is no bound for every distribution with these moments.
std::string OutsideOwnL(const SharpAnalysis& analysis, double bound, bool lower,
                        int32_t l) {
  const SharpBound* sharp = SharpOfL(analysis, l, lower);
  if (sharp == nullptr) return "";
  const Rational edge = ClipToUnit(sharp->exact);
  const Rational method = ExactValue(bound);
  const Rational excess = lower ? method - edge : edge - method;
  if (excess <= 0) return "";
  const Rational margin = abs(edge) * ExactValue(kRoundingMargin);
  return excess <= margin ? "rounding" : "invalid";
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
  // Across a certified bound by more than rounding explains: no bound;
  // within it: the same bound rounded in its last digits.
  const auto across = [&](double margin) {
    return lower ? MethodLowerContradicts(analysis, bound, margin)
                 : MethodUpperContradicts(analysis, bound, margin);
  };
  const std::string outside =
      analysis.boundsComputed ? OutsideOwnL(analysis, bound, lower, l) : "";
  b.status = across(kRoundingMargin) ? "invalid"
             : !outside.empty()      ? outside
             : across(0.0)           ? "rounding"
                                     : "method";
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

// The bivariate row: the best split of each side, of the events as numbered
// or by marginal, whichever is tighter (compared exactly; as numbered wins
// ties).
BoundRow BivariateRow(const SharpAnalysis& analysis) {
  const SharpBound none;
  auto side = [&](bool lower) {
    const int32_t plain = lower ? analysis.bestLower : analysis.bestUpper;
    const int32_t other =
        lower ? analysis.reorderedBestLower : analysis.reorderedBestUpper;
    const auto bound = [lower](const BivariateResult& r) -> const SharpBound& {
      return lower ? r.interval.lower : r.interval.upper;
    };
    bool takeOther = other >= 0;
    if (takeOther && plain >= 0) {
      const Rational& a = bound(analysis.bivariate[plain]).exact;
      const Rational& b = bound(analysis.reordered[other]).exact;
      takeOther = lower ? b > a : b < a;
    }
    if (takeOther) {
      const BivariateResult& r = analysis.reordered[other];
      PrintedBound b = Moment(bound(r), lower, r.l, true);
      b.groups = CanonicalGroups(SplitGroups(analysis.reorder, r.l));
      b.rule = "reordered";
      return b;
    }
    if (plain < 0) return Moment(none, lower, -1, false);
    const BivariateResult& r = analysis.bivariate[plain];
    return Moment(bound(r), lower, r.l, true);
  };
  return {RowKind::kBivariate, side(true), side(false),
          analysis.bivariateSeconds};
}

// The multivariate row: the best partition of each side.
BoundRow MultivariateRow(const MultivariateResult& mv) {
  const SharpBound none;
  auto side = [&](bool lower) {
    const int32_t k = lower ? mv.bestLower : mv.bestUpper;
    if (k < 0) return Moment(none, lower, -1, false);
    const PartitionResult& p = mv.partitions[k];
    PrintedBound b =
        Moment(lower ? p.interval.lower : p.interval.upper, lower, -1, true);
    b.groups = p.groups;
    b.rule = p.rule;
    return b;
  };
  return {RowKind::kMultivariate, side(true), side(false), mv.seconds};
}

BoundRow MethodRow(const SharpAnalysis& analysis, RowKind kind,
                   const MethodBound& lo, const MethodBound& up,
                   double seconds) {
  return {kind, Method(analysis, lo.lower, true, lo.l),
          Method(analysis, up.upper, false, up.l), seconds};
}

// The side of the best row: the tightest proven bound over `rows`, compared
// exactly; the earlier row wins ties.
PrintedBound BestSide(const std::vector<BoundRow>& rows, bool lower) {
  PrintedBound best = Absent(lower);
  best.exists = true;
  best.status = "none";
  for (const BoundRow& row : rows) {
    const PrintedBound& b = lower ? row.lower : row.upper;
    if (!b.hasValue || !b.IsProven()) continue;
    const bool tighter =
        !best.hasValue || (lower ? b.value > best.value : b.value < best.value);
    if (!tighter) continue;
    best = b;
    best.source = row.kind;
  }
  return best;
}

// How one of unionbound's numbers stands to the best proven bound of the
// other side: "" not across it; "rounding" across it by at most a relative
// kRoundingMargin of it (the double's last digits, where the events are so
// rare that both agree to more digits than a double holds); "invalid"
// beyond, no bound at all.
std::string AcrossBest(const PrintedBound& method, const BoundRow& best) {
  if (!method.fromMethod) return "";
  const PrintedBound& other = method.lower ? best.upper : best.lower;
  if (!other.hasValue) return "";
  const Rational value = ExactValue(method.method);
  const Rational excess =
      method.lower ? value - other.value : other.value - value;
  if (excess <= 0) return "";
  const Rational margin = abs(other.value) * ExactValue(kRoundingMargin);
  return excess <= margin ? "rounding" : "invalid";
}

}  // namespace

bool PrintedBound::IsProven() const {
  return !fromMethod && (status == "sharp" || status == "certified" ||
                         status == "partial" || status == "valid");
}

std::string SourceStatus(const PrintedBound& bound) {
  if (!bound.hasValue) return bound.status;
  return KindName(bound.source) + " " + bound.status;
}

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
    case RowKind::kMultivariate:
      return "multivariate";
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
    case RowKind::kBest:
      return "best";
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
  if (analysis.bestLower >= 0 || analysis.bestUpper >= 0 ||
      analysis.reorderedBestLower >= 0 || analysis.reorderedBestUpper >= 0) {
    rows.push_back(BivariateRow(analysis));
  }
  const MultivariateResult& mv = analysis.multivariate;
  if (analysis.multivariateComputed &&
      (mv.bestLower >= 0 || mv.bestUpper >= 0)) {
    rows.push_back(MultivariateRow(mv));
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
  BoundRow best{RowKind::kBest, BestSide(rows, true), BestSide(rows, false),
                0.0};
  // The time of every row it chose from; the closed forms share theirs.
  for (const BoundRow& row : rows) {
    if (row.kind != RowKind::kUnionbound && row.kind != RowKind::kDeCaen &&
        row.kind != RowKind::kKuaiAlajajiTakahara) {
      best.seconds += row.seconds;
    }
  }
  rows.push_back(best);
  for (const MethodBound& row : method.perL) {
    rows.push_back(
        MethodRow(analysis, RowKind::kUnionboundL, row, row, row.seconds));
  }
  for (BoundRow& row : rows) {
    if (row.kind != RowKind::kUnionbound && row.kind != RowKind::kUnionboundL) {
      continue;
    }
    for (PrintedBound* side : {&row.lower, &row.upper}) {
      const std::string across = AcrossBest(*side, best);
      if (across == "invalid" ||
          (across == "rounding" && side->status == "method")) {
        side->status = across;
      }
    }
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

std::string GroupsText(const EventGroups& groups) {
  std::string text;
  for (const IndexVector& g : groups) {
    if (!text.empty()) text += " |";
    for (int32_t e : g) {
      if (!text.empty()) text += " ";
      text += std::to_string(e);
    }
  }
  return text;
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

bool ClosedFormsLeftOut(const SharpAnalysis& analysis) {
  return analysis.widened && IsUnion(analysis.target) &&
         !analysis.classical.computed;
}

}  // namespace unionbound::sharp
