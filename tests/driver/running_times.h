// Running times differ from run to run; the tests that compare whole outputs
// of the program replace every running-time value by T first, the way
// tests/golden/make_expected.sh does for the expected files.
#ifndef UNIONBOUND_TESTS_DRIVER_RUNNING_TIMES_H_
#define UNIONBOUND_TESTS_DRIVER_RUNNING_TIMES_H_

#include <regex>
#include <string>

namespace unionbound::testing {

// The text with the number after every "Running time: " (on the same line or
// the next) replaced by T.
inline std::string MaskRunningTimes(const std::string& text) {
  static const std::regex kTime(R"((Running time: \n?)[0-9.]+)");
  return std::regex_replace(text, kTime, "$1T");
}

}  // namespace unionbound::testing

#endif  // UNIONBOUND_TESTS_DRIVER_RUNNING_TIMES_H_
