#include "sharp/app/json.h"

#include <nlohmann/json.hpp>
#include <string>

#include "cli/json_text.h"
#include "cli/version.h"
#include "sharp/app/report.h"
#include "sharp/exact/outward_format.h"

namespace unionbound::sharp {
namespace {

using Json = nlohmann::ordered_json;

Json SideText(const PrintedBound& b) {
  if (b.text.empty()) return nullptr;
  return b.outward;
}

Json LOrNull(const PrintedBound& b) {
  if (b.l < 0) return nullptr;
  return b.l;
}

Json StatusOrNull(const PrintedBound& b) {
  if (b.status.empty()) return nullptr;
  return b.status;
}

// One row as an object: its bounds are the tightest doubles outside the
// exact values, its time the CSV file's microseconds.
Json BoundObject(const BoundRow& r) {
  Json row;
  row["kind"] = KindName(r.kind);
  row["lower"] = SideText(r.lower);
  row["upper"] = SideText(r.upper);
  row["l_lower"] = LOrNull(r.lower);
  row["l_upper"] = LOrNull(r.upper);
  row["lower_status"] = StatusOrNull(r.lower);
  row["upper_status"] = StatusOrNull(r.upper);
  if (r.kind == RowKind::kBest) {
    row["lower_status"] = SourceStatus(r.lower);
    row["upper_status"] = SourceStatus(r.upper);
  }
  row["lower_widened"] = r.lower.widened;
  row["upper_widened"] = r.upper.widened;
  if (r.kind == RowKind::kBest) {
    // The kind of row each side was taken from.
    row["lower_from"] =
        r.lower.hasValue ? Json(KindName(r.lower.source)) : Json();
    row["upper_from"] =
        r.upper.hasValue ? Json(KindName(r.upper.source)) : Json();
  }
  // The partition each side's program used, where it is not the events'
  // own split at l.
  for (const PrintedBound* b : {&r.lower, &r.upper}) {
    if (b->groups.empty()) continue;
    const std::string side = b->lower ? "lower" : "upper";
    row["groups_" + side] = b->groups;
    row["rule_" + side] = b->rule;
  }
  row["seconds"] = std::stod(CsvSeconds(r.seconds));
  return row;
}

// One r of the distribution.
Json CountObject(const CountRow& r) {
  Json row;
  row["kind"] = KindName(r.kind);
  row["r"] = r.r;
  row["lower"] = SideText(r.lower);
  row["upper"] = SideText(r.upper);
  row["l_lower"] = LOrNull(r.lower);
  row["l_upper"] = LOrNull(r.upper);
  row["lower_status"] = StatusOrNull(r.lower);
  row["upper_status"] = StatusOrNull(r.upper);
  row["lower_widened"] = r.lower.widened;
  row["upper_widened"] = r.upper.widened;
  return row;
}

Json DataCheckObject(const SharpAnalysis& analysis) {
  const Consistency& c = analysis.consistency;
  Json check;
  check["consistent"] = ConsistentAsTyped(analysis);
  check["epsilon"] = OutwardDouble(ConsistencyEpsilon(analysis), true);
  check["infeasible_programs"] = c.infeasiblePrograms;
  // Every number typed with at most this many decimals (null: more, or not
  // all plain decimals), and what that means for rounded data.
  check["typed_decimals"] =
      analysis.typedDecimals >= 0 ? Json(analysis.typedDecimals) : Json();
  const std::string hint = RoundingHint(analysis);
  check["rounding_hint"] = hint.empty() ? Json() : Json(hint);
  // Where the full program proved that no distribution over the atoms fits:
  // its epsilon lies between these (null: not known).
  const FullEpsilon& full = analysis.fullEpsilon;
  if (full.computed) {
    check["full_epsilon_at_least"] = OutwardDouble(full.atLeast, false);
    check["full_epsilon_enough"] =
        full.sufficesFound ? Json(OutwardDouble(full.suffices, true)) : Json();
  }
  return check;
}

}  // namespace

void WriteSharpJson(const SharpAnalysis& analysis,
                    const std::vector<BoundRow>& rows, const SharpJsonRun& run,
                    std::ostream& out) {
  Json doc;
  doc["program"] = "unionbound-sharp";
  doc["version"] = kVersion;
  doc["n"] = analysis.n;
  doc["m"] = analysis.m;
  doc["input"] = run.input;
  doc["numbers_read"] = run.numbersRead;
  doc["data_check"] = DataCheckObject(analysis);
  Json bounds = Json::array();
  Json perL = Json::array();
  if (!IsInconsistent(analysis)) {
    for (const BoundRow& row : rows) {
      if (!IsPerL(row.kind)) {
        bounds.push_back(BoundObject(row));
      } else if (run.perL) {
        perL.push_back(BoundObject(row));
      }
    }
  }
  if (!IsUnion(analysis.target)) {
    Json target;
    target["event"] = TargetEvent(analysis.target);
    target["r"] = analysis.target.r;
    doc["target"] = target;
  }
  doc["bounds"] = bounds;
  // Rows a widened run leaves out, with the table's reason.
  if (ClosedFormsLeftOut(analysis)) {
    Json leftOut;
    leftOut["kinds"] = Json::array({KindName(RowKind::kHunterWorsley),
                                    KindName(RowKind::kDeCaen),
                                    KindName(RowKind::kKuaiAlajajiTakahara)});
    leftOut["why"] = "the closed forms hold for the numbers as typed only";
    doc["left_out"] = Json::array({leftOut});
  }
  if (run.perL) doc["per_l"] = perL;
  if (analysis.distribution.computed) {
    Json distribution = Json::array();
    for (const CountRow& row : DistributionRows(analysis)) {
      distribution.push_back(CountObject(row));
    }
    doc["distribution"] = distribution;
  }
  doc["status"] = run.status;
  doc["messages"] = run.messages;
  out << JsonText(doc, 2) << "\n";
}

}  // namespace unionbound::sharp
