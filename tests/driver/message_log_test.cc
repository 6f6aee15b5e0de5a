// The message stream passes everything on at once and keeps the lines.
#include "driver/message_log.h"

#include <gtest/gtest.h>

#include <sstream>

namespace unionbound {
namespace {

TEST(MessageLog, PassesEverythingOnAndKeepsTheLines) {
  std::ostringstream target;
  MessageLog log(target);
  log << "first " << 1 << std::endl;
  EXPECT_EQ(target.str(), "first 1\n");
  log << "second\n"
      << "third";
  log.put('!');
  EXPECT_EQ(target.str(), "first 1\nsecond\nthird!");
  EXPECT_EQ(log.Lines(),
            (std::vector<std::string>{"first 1", "second", "third!"}));
  log << "\n";
  EXPECT_EQ(log.Lines().size(), 3u);
  EXPECT_TRUE(log.good());
}

}  // namespace
}  // namespace unionbound
