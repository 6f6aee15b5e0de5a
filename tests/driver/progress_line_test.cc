// The progress line: silent off a terminal and for the first second, then
// one line redrawn in place at most four times a second, and cleared.
#include "driver/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace unionbound {
namespace {

using std::chrono::milliseconds;

TEST(ProgressLine, TextTellsPassesTimeAndTimeLeft) {
  EXPECT_EQ(ProgressLine::Text(40, 100, 80.0),
            "pass 40 of 100, 1:20 elapsed, about 2:00 left");
  EXPECT_EQ(ProgressLine::Text(1, 99999, 1.2),
            "pass 1 of 99999, 0:01 elapsed, about 33:19:58 left");
  EXPECT_EQ(ProgressLine::Text(0, 5, 0.4), "pass 0 of 5, 0:00 elapsed");
  EXPECT_EQ(ProgressLine::Text(5, 5, 3725.0), "pass 5 of 5, 1:02:05 elapsed");
}

TEST(ProgressLine, SaysNothingOffATerminal) {
  std::ostringstream out;
  {
    ProgressLine progress(out, false, 10);
    progress.Update(5, ProgressLine::Clock::now() + milliseconds(5000));
  }
  EXPECT_EQ(out.str(), "");
}

TEST(ProgressLine, DrawsAfterASecondAtMostFourTimesASecondAndClears) {
  std::ostringstream out;
  const auto start = ProgressLine::Clock::now();
  ProgressLine progress(out, true, 100);
  progress.Update(1, start + milliseconds(500));
  EXPECT_EQ(out.str(), "");  // the first second stays quiet
  progress.Update(2, start + milliseconds(1200));
  const std::string first = out.str();
  EXPECT_EQ(first.rfind("\rpass 2 of 100, 0:01 elapsed, about ", 0), 0u)
      << first;
  progress.Update(3, start + milliseconds(1300));
  EXPECT_EQ(out.str(), first);  // too soon to redraw
  progress.Update(10, start + milliseconds(1600));
  EXPECT_NE(out.str().find("\rpass 10 of 100"), std::string::npos);
  out.str("");
  progress.Clear();
  // Carriage return, blanks over the longest line drawn, carriage return.
  const std::string cleared = out.str();
  ASSERT_GE(cleared.size(), 2u);
  EXPECT_EQ(cleared.front(), '\r');
  EXPECT_EQ(cleared.back(), '\r');
  EXPECT_EQ(cleared.find_first_not_of(' ', 1), cleared.size() - 1);
  out.str("");
  progress.Clear();
  EXPECT_EQ(out.str(), "");  // nothing left to clear
}

}  // namespace
}  // namespace unionbound
