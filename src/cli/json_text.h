// The text of a JSON document built with nlohmann-json, as both programs
// write it. Every floating number is written as std::to_chars gives it: the
// shortest decimal that reads back as the same double, so a reader gets every
// double bit for bit. A double with an integral value may therefore look like
// an integer ("1", "1e+300"); JSON makes no difference, and a reader that
// asks for a double gets the same bits. The one exception is negative zero,
// written "-0.0" because "-0" reads back as the integer 0 and loses its
// sign. A number that is not finite is written as null. Strings are escaped by
// nlohmann-json; bytes that are not UTF-8 (a file name, say) become U+FFFD
// instead of failing. Requires nlohmann-json (header-only) from its callers.
#ifndef UNIONBOUND_CLI_JSON_TEXT_H_
#define UNIONBOUND_CLI_JSON_TEXT_H_

#include <nlohmann/json.hpp>
#include <string>

namespace unionbound {

// indent < 0: all on one line, without spaces; otherwise one member or
// element per line, indent spaces deeper per level, the layout of
// nlohmann-json's dump(indent).
std::string JsonText(const nlohmann::ordered_json& value, int indent = -1);

// The text JsonText gives a double: std::to_chars' shortest round-trip form,
// "-0.0" for negative zero, "null" when x is not finite.
std::string JsonNumberText(double x);

}  // namespace unionbound

#endif  // UNIONBOUND_CLI_JSON_TEXT_H_
