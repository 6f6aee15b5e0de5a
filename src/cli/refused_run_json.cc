#include "cli/refused_run_json.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "cli/json_text.h"
#include "cli/version.h"

namespace unionbound {

namespace {

using Json = nlohmann::ordered_json;

// A size as given: an optional sign and decimal digits within the 32-bit
// range is a number, anything else null.
Json SizeOrNull(const std::string& text) {
  size_t digits = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
  if (digits == text.size()) return nullptr;
  for (size_t i = digits; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return nullptr;
  }
  errno = 0;
  const long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno != 0 || value < INT32_MIN || value > INT32_MAX) return nullptr;
  return static_cast<int32_t>(value);
}

}  // namespace

std::string RefusedRunJson(const RefusedRun& run) {
  Json doc;
  doc["program"] = run.program;
  doc["version"] = kVersion;
  doc["n"] = SizeOrNull(run.n);
  doc["m"] = SizeOrNull(run.m);
  doc["input"] = run.input;
  doc["status"] = run.status;
  doc["messages"] = run.messages;
  return JsonText(doc, 2) + "\n";
}

}  // namespace unionbound
