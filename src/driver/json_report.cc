#include "driver/json_report.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "bounds/basis_subscripts.h"
#include "cli/json_text.h"
#include "cli/version.h"
#include "driver/data_messages.h"
#include "optim/sense.h"

namespace unionbound {

namespace {

// Keys stay in the order they are written, the order the schema lists.
using Json = nlohmann::ordered_json;

Json Number(double x) { return std::isfinite(x) ? Json(x) : Json(nullptr); }

const char* KindName(DataProblemKind kind) {
  switch (kind) {
    case DataProblemKind::kNotAProbability:
      return "not_a_probability";
    case DataProblemKind::kExceedsSubIntersection:
      return "exceeds_sub_intersection";
    case DataProblemKind::kBelowPairFloor:
      return "below_pair_floor";
  }
  return "unknown";
}

Json ProblemJson(const DataProblem& problem) {
  Json json;
  json["kind"] = KindName(problem.kind);
  json["number"] = problem.position + 1;
  json["events"] = problem.events;
  json["value"] = Number(problem.value);
  if (problem.kind == DataProblemKind::kExceedsSubIntersection) {
    json["other_number"] = problem.other + 1;
    json["other_events"] = problem.otherEvents;
  }
  json["bound"] = Number(problem.bound);
  json["text"] = DescribeProblem(problem);
  return json;
}

Json DataCheckJson(const DataCheck& check) {
  Json problems = Json::array();
  for (const DataProblem& problem : check.first) {
    problems.push_back(ProblemJson(problem));
  }
  Json json;
  json["problems"] = check.problems;
  json["first"] = problems;
  return json;
}

// One bound of a pass as the report shows it: the bound is the negated
// procedure value.
Json PassBoundJson(const Pass& pass, Sense sense) {
  const PassBound& bound = BoundOfSense(pass, sense);
  const BoundResult& result = bound.result;
  Json json;
  json["value"] = Number(-result.value);
  json["seconds"] = Number(bound.seconds);
  json["kjs"] = result.Kjs;
  json["q1"] = pass.m - result.j - 1;
  json["vks"] = result.Vks;
  json["basis_subscripts"] =
      BasisSubscripts(pass.m, pass.variablePairs, pass.maxOrders, result.Vks,
                      result.Kjs, result.j);
  return json;
}

Json BestJson(const BestBound& best) {
  Json json;
  json["value"] = Number(-best.value);
  json["l"] = best.l;
  json["seconds"] = Number(best.seconds);
  return json;
}

// `"key": value` inside the top-level object, after a comma unless first.
void WriteMember(std::ostream& out, const char* key, const Json& value,
                 bool first = false) {
  out << (first ? "\n  " : ",\n  ") << JsonText(Json(key)) << ": "
      << JsonText(value);
}

}  // namespace

void JsonReport::Begin(const JsonRunHeader& header, const DataCheck& check) {
  out_ << "{";
  WriteMember(out_, "program", "unionbound", true);
  WriteMember(out_, "version", kVersion);
  WriteMember(out_, "n", header.n);
  WriteMember(out_, "m", header.m);
  WriteMember(out_, "input", header.input);
  WriteMember(out_, "numbers_expected", header.expected);
  WriteMember(out_, "numbers_read", header.numbersRead);
  WriteMember(out_, "data_check", DataCheckJson(check));
  out_ << ",\n  \"passes\": [";
}

void JsonReport::AddPass(const Pass& pass) {
  Json json;
  json["l"] = pass.l;
  json["lower"] = PassBoundJson(pass, Sense::kMinimise);
  json["upper"] = PassBoundJson(pass, Sense::kMaximise);
  out_ << (anyPass_ ? ",\n    " : "\n    ") << JsonText(json);
  anyPass_ = true;
}

void JsonReport::Finish(const BestBounds& best, int status,
                        const std::vector<std::string>& messages) {
  out_ << (anyPass_ ? "\n  ]" : "]");
  WriteMember(out_, "lower", best.anyPass ? BestJson(best.lower) : Json());
  WriteMember(out_, "upper", best.anyPass ? BestJson(best.upper) : Json());
  WriteMember(out_, "status", status);
  WriteMember(out_, "messages", messages);
  out_ << "\n}\n";
  out_.flush();
}

}  // namespace unionbound
