#include "sharp/app/json.h"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/json_text.h"
#include "cli/version.h"
#include "sharp/app/report.h"
#include "sharp/data/exact_data.h"

namespace unionbound::sharp {
namespace {

using Json = nlohmann::ordered_json;

// The CSV columns from data_check on; the file name before them may hold
// commas, so a row is split from its end.
constexpr size_t kTailColumns = 11;

std::vector<std::string> TailColumns(const std::string& row) {
  std::vector<std::string> columns(kTailColumns);
  size_t end = row.size();
  for (size_t i = kTailColumns; i-- > 0;) {
    const size_t comma = row.rfind(',', end == 0 ? 0 : end - 1);
    const size_t begin = comma == std::string::npos ? 0 : comma + 1;
    columns[i] = row.substr(begin, end - begin);
    end = comma == std::string::npos ? 0 : comma;
  }
  return columns;
}

Json IntegerOrNull(const std::string& text) {
  if (text.empty()) return nullptr;
  return std::stoi(text);
}

Json TextOrNull(const std::string& text) {
  if (text.empty()) return nullptr;
  return text;
}

Json BoundOrNull(const std::string& text, bool up) {
  if (text.empty()) return nullptr;
  return OutwardDouble(text, up);
}

// One CSV row as an object; columns as TailColumns gives them.
Json BoundRow(const std::vector<std::string>& c) {
  Json row;
  row["kind"] = c[1];
  row["lower"] = BoundOrNull(c[3], false);
  row["upper"] = BoundOrNull(c[7], true);
  row["l_lower"] = IntegerOrNull(c[2]);
  row["l_upper"] = IntegerOrNull(c[6]);
  row["lower_status"] = TextOrNull(c[4]);
  row["upper_status"] = TextOrNull(c[8]);
  row["lower_widened"] = c[5] == "tolerance";
  row["upper_widened"] = c[9] == "tolerance";
  row["seconds"] = std::stod(c[10]);
  return row;
}

bool IsPerLKind(const std::string& kind) {
  return kind == "unionbound_l" || kind == "bivariate_l";
}

Json DataCheckObject(const SharpAnalysis& analysis) {
  const Consistency& c = analysis.consistency;
  Json check;
  check["consistent"] = c.consistent;
  check["epsilon"] = OutwardDouble(c.epsilon, true);
  check["infeasible_programs"] = c.infeasiblePrograms;
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

double OutwardDouble(const std::string& decimal, bool up) {
  Rational exact;
  if (!ParseExactDecimal(decimal, &exact)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return OutwardDouble(exact, up);
}

double OutwardDouble(const Rational& exact, bool up) {
  // get_d truncates towards zero; one step outward when it fell inside.
  double x = exact.get_d();
  const Rational back(x);
  if (up && back < exact) {
    x = std::nextafter(x, std::numeric_limits<double>::infinity());
  } else if (!up && back > exact) {
    x = std::nextafter(x, -std::numeric_limits<double>::infinity());
  }
  return x;
}

void WriteSharpJson(const SharpAnalysis& analysis, const SharpJsonRun& run,
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
    std::ostringstream csv;
    WriteCsv(analysis, run.input, csv);
    std::istringstream rows(csv.str());
    std::string row;
    std::getline(rows, row);  // the header
    while (std::getline(rows, row)) {
      const std::vector<std::string> columns = TailColumns(row);
      if (!IsPerLKind(columns[1])) {
        bounds.push_back(BoundRow(columns));
      } else if (run.perL) {
        perL.push_back(BoundRow(columns));
      }
    }
  }
  doc["bounds"] = bounds;
  if (run.perL) doc["per_l"] = perL;
  doc["status"] = run.status;
  doc["messages"] = run.messages;
  out << JsonText(doc, 2) << "\n";
}

}  // namespace unionbound::sharp
