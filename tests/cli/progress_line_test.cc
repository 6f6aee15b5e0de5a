// The progress line both programs share: silent off a terminal and during
// its quiet start, then one line redrawn in place no more often than its
// interval allows, and cleared.
#include "cli/progress_line.h"

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

TEST(ProgressLine, ShowsFreeTextsWithoutAQuietStart) {
  std::ostringstream out;
  ProgressLine progress(out, true, 0, milliseconds(0), milliseconds(100));
  const auto start = ProgressLine::Clock::now();
  progress.Show("programs solved: 1 of 8", false, start);
  EXPECT_EQ(out.str(), "\rprograms solved: 1 of 8");
  progress.Show("programs solved: 2 of 8", false, start + milliseconds(50));
  EXPECT_EQ(out.str(), "\rprograms solved: 1 of 8");  // too soon
  // A last state is drawn however soon, over what the longer line left.
  progress.Show("done", true, start + milliseconds(60));
  EXPECT_EQ(out.str(), "\rprograms solved: 1 of 8\rdone                   ");
  std::ostringstream quiet;
  ProgressLine off(quiet, false, 0, milliseconds(0), milliseconds(100));
  off.Show("programs solved: 8 of 8", true);
  off.Clear();
  EXPECT_EQ(quiet.str(), "");
}

TEST(ProgressLine, DurationsInMinutesAndHours) {
  EXPECT_EQ(ProgressLine::Duration(0.4), "0:00");
  EXPECT_EQ(ProgressLine::Duration(59.6), "1:00");
  EXPECT_EQ(ProgressLine::Duration(3725.0), "1:02:05");
}

}  // namespace
}  // namespace unionbound
