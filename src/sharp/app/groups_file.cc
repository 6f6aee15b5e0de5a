#include "sharp/app/groups_file.h"

#include <cstdlib>
#include <sstream>

namespace unionbound::sharp {
namespace {

// A whole number written with digits alone, or false.
bool ParseEvent(const std::string& token, int64_t* value) {
  if (token.empty() || token.size() > 9) return false;
  for (char c : token) {
    if (c < '0' || c > '9') return false;
  }
  *value = std::strtoll(token.c_str(), nullptr, 10);
  return true;
}

}  // namespace

std::string ParseGroupsText(const std::string& text, int32_t n,
                            EventGroups* groups) {
  groups->clear();
  std::istringstream lines(text);
  std::string line;
  int32_t number = 0;
  std::vector<int32_t> lineOf(static_cast<size_t>(n) + 1, 0);
  while (std::getline(lines, line)) {
    ++number;
    const size_t comment = line.find('#');
    if (comment != std::string::npos) line.erase(comment);
    std::istringstream tokens(line);
    std::string token;
    IndexVector group;
    while (tokens >> token) {
      int64_t e = 0;
      if (!ParseEvent(token, &e)) {
        return "line " + std::to_string(number) + ": '" + token +
               "' is not an event number";
      }
      if (e < 1 || e > n) {
        return "line " + std::to_string(number) + ": event " + token +
               " is not one of 1 .. " + std::to_string(n);
      }
      const auto event = static_cast<int32_t>(e);
      if (lineOf[event] != 0) {
        return "line " + std::to_string(number) + ": event " + token +
               " is already in the group of line " +
               std::to_string(lineOf[event]);
      }
      lineOf[event] = number;
      group.push_back(event);
    }
    if (!group.empty()) groups->push_back(group);
  }
  if (groups->empty()) return "no groups";
  for (int32_t e = 1; e <= n; ++e) {
    if (lineOf[e] == 0) return "event " + std::to_string(e) + " is in no group";
  }
  return PartitionProblem(*groups, n);
}

}  // namespace unionbound::sharp
