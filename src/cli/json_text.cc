#include "cli/json_text.h"

#include <charconv>
#include <cmath>

namespace unionbound {

namespace {

using Json = nlohmann::ordered_json;

// A string as a JSON string literal, quotes included.
void AppendString(const std::string& text, std::string* out) {
  *out += Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

template <typename Integer>
void AppendInteger(Integer value, std::string* out) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out->append(buffer, result.ptr);
}

void AppendDouble(double x, std::string* out) {
  if (!std::isfinite(x)) {
    *out += "null";
    return;
  }
  // "-0" would be read back as the integer 0, which loses the sign.
  if (x == 0.0 && std::signbit(x)) {
    *out += "-0.0";
    return;
  }
  // The shortest round-trip form is at most 24 characters
  // ("-2.2250738585072014e-308").
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
  out->append(buffer, result.ptr);
}

// The line break and indentation before a member or element at depth.
void AppendBreak(int indent, int depth, std::string* out) {
  if (indent < 0) return;
  *out += '\n';
  out->append(static_cast<size_t>(indent) * depth, ' ');
}

void Append(const Json& value, int indent, int depth, std::string* out);

void AppendObject(const Json& object, int indent, int depth, std::string* out) {
  if (object.empty()) {
    *out += "{}";
    return;
  }
  *out += '{';
  bool first = true;
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (!first) *out += ',';
    first = false;
    AppendBreak(indent, depth + 1, out);
    AppendString(it.key(), out);
    *out += indent < 0 ? ":" : ": ";
    Append(it.value(), indent, depth + 1, out);
  }
  AppendBreak(indent, depth, out);
  *out += '}';
}

void AppendArray(const Json& array, int indent, int depth, std::string* out) {
  if (array.empty()) {
    *out += "[]";
    return;
  }
  *out += '[';
  bool first = true;
  for (const Json& element : array) {
    if (!first) *out += ',';
    first = false;
    AppendBreak(indent, depth + 1, out);
    Append(element, indent, depth + 1, out);
  }
  AppendBreak(indent, depth, out);
  *out += ']';
}

void Append(const Json& value, int indent, int depth, std::string* out) {
  switch (value.type()) {
    case Json::value_t::object:
      AppendObject(value, indent, depth, out);
      return;
    case Json::value_t::array:
      AppendArray(value, indent, depth, out);
      return;
    case Json::value_t::string:
      AppendString(value.get_ref<const std::string&>(), out);
      return;
    case Json::value_t::boolean:
      *out += value.get<bool>() ? "true" : "false";
      return;
    case Json::value_t::number_integer:
      AppendInteger(value.get<Json::number_integer_t>(), out);
      return;
    case Json::value_t::number_unsigned:
      AppendInteger(value.get<Json::number_unsigned_t>(), out);
      return;
    case Json::value_t::number_float:
      AppendDouble(value.get<double>(), out);
      return;
    case Json::value_t::null:
    case Json::value_t::binary:
    case Json::value_t::discarded:
      // The documents hold no binary values; neither has a JSON text.
      *out += "null";
      return;
  }
  *out += "null";
}

}  // namespace

std::string JsonText(const Json& value, int indent) {
  std::string text;
  Append(value, indent, 0, &text);
  return text;
}

std::string JsonNumberText(double x) {
  std::string text;
  AppendDouble(x, &text);
  return text;
}

}  // namespace unionbound
