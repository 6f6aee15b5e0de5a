// The dialogue for n and m on string streams: which tokens are sizes, what a
// refusal says, and that nothing after the token of m is read.
#include "driver/console_input.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace unionbound {
namespace {

TEST(SizeToken, OnlyASignAndDigitsWithinThe32BitRangeAreASize) {
  EXPECT_EQ(ParseSizeToken("7"), 7);
  EXPECT_EQ(ParseSizeToken("+7"), 7);
  EXPECT_EQ(ParseSizeToken("-5"), -5);
  EXPECT_EQ(ParseSizeToken("0007"), 7);
  EXPECT_EQ(ParseSizeToken("2147483647"), 2147483647);
  EXPECT_EQ(ParseSizeToken("-2147483648"), INT32_MIN);
  for (const char* refused :
       {"", "+", "-", "2147483648", "-2147483649", "99999999999999999999",
        "3.5", "3.", ".5", "3abc", "0x10", "1e1", "--7", "+-7", "7-", " 7",
        "7 ", "\xef\xbc\x97"}) {
    SCOPED_TRACE(refused);
    EXPECT_FALSE(ParseSizeToken(refused).has_value());
  }
}

struct Dialogue {
  RunSizes sizes;
  std::string out;
  std::string err;
  std::string unread;  // what is left of the input
};

Dialogue Talk(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  Dialogue d{ReadRunSizes(in, out, err), out.str(), err.str(), ""};
  std::ostringstream rest;
  rest << in.rdbuf();
  d.unread = rest.str();
  return d;
}

TEST(SizeDialogue, ReadsTwoTokensAndLeavesTheRestOfTheLine) {
  const Dialogue both = Talk("7 3 and the rest\nnext line\n");
  ASSERT_TRUE(both.sizes.ok) << both.err;
  EXPECT_EQ(both.sizes.n, 7);
  EXPECT_EQ(both.sizes.m, 3);
  EXPECT_EQ(both.unread, " and the rest\nnext line\n");
  const Dialogue lines = Talk("\n  12\n\t3\n\n");
  ASSERT_TRUE(lines.sizes.ok);
  EXPECT_EQ(lines.unread, "\n\n");
}

TEST(SizeDialogue, ARefusalNamesTheSizeAndWhatWasTyped) {
  const Dialogue n = Talk("15abc 3\n");
  EXPECT_FALSE(n.sizes.ok);
  EXPECT_EQ(n.out, "Number of events. n=");
  EXPECT_EQ(n.err,
            "unionbound: expected a whole number in the 32-bit range for n "
            "(the number of events), got \"15abc\"\n");
  const Dialogue m = Talk("15\n3.5\n");
  EXPECT_FALSE(m.sizes.ok);
  EXPECT_EQ(m.err,
            "unionbound: expected a whole number in the 32-bit range for m "
            "(the maximum order of the intersections), got \"3.5\"\n");
  // The refused token is read whole, nothing after it.
  EXPECT_EQ(m.unread, "\n");
  // Leading zeros are no limit on a size, however many.
  const Dialogue zeros =
      Talk(std::string(60, '0') + "12\n-" + std::string(50, '0') + "3\n");
  EXPECT_EQ(zeros.sizes.n, 12);
  EXPECT_EQ(zeros.sizes.m, -3);
  EXPECT_NE(zeros.err.find("m must be at least 1"), std::string::npos);
  const Dialogue tab = Talk("7\n\t\x7f\n");
  EXPECT_NE(tab.err.find("got \"\\x7F\""), std::string::npos) << tab.err;
}

TEST(SizeDialogue, SizesWithoutAPassAreRefusedAfterM) {
  const Dialogue d = Talk("9\n5\n");
  EXPECT_FALSE(d.sizes.ok);
  EXPECT_EQ(d.err,
            "unionbound: n must be at least 2m = 10 for any bound (got n=9, "
            "m=5)\n");
  EXPECT_TRUE(Talk("10\n5\n").sizes.ok);
  // An even or too large m is named as such, not as too few events.
  EXPECT_NE(Talk("3\n4\n").err.find("odd"), std::string::npos);
  EXPECT_NE(Talk("3\n13\n").err.find("at most 11"), std::string::npos);
}

}  // namespace
}  // namespace unionbound
