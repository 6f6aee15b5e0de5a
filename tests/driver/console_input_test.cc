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

Dialogue Talk(const std::string& input, bool askAgain = false) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  Dialogue d{ReadRunSizes(in, out, err, askAgain), out.str(), err.str(), ""};
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
            "unionbound: expected a whole number for n (the number of "
            "events), got \"15abc\"\n");
  const Dialogue m = Talk("15\n3.5\n");
  EXPECT_FALSE(m.sizes.ok);
  EXPECT_EQ(m.err,
            "unionbound: expected a whole number for m (the maximum order of "
            "the intersections), got \"3.5\"\n");
  // The refused token is read whole, nothing after it.
  EXPECT_EQ(m.unread, "\n");
  // Leading zeros are no limit on a size, however many.
  const Dialogue zeros =
      Talk(std::string(60, '0') + "12\n-" + std::string(50, '0') + "3\n");
  EXPECT_EQ(zeros.sizes.n, 12);
  EXPECT_EQ(zeros.sizes.m, -3);
  EXPECT_NE(zeros.err.find("m must be at least 1"), std::string::npos);
  // A token without end is refused without being read to its end.
  const Dialogue endless = Talk(std::string(100000, '7'));
  EXPECT_FALSE(endless.sizes.ok);
  EXPECT_NE(endless.err.find("got \"" + std::string(40, '7') + "...\""),
            std::string::npos);
  EXPECT_GT(endless.unread.size(), 90000u);
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

TEST(SizeDialogue, AtATerminalARefusedSizeIsAskedForAgain) {
  const std::string kN = "Number of events. n=";
  const std::string kM =
      "Maximum order of the intersections (must be an odd number). m=";
  // A typo, a size out of range and an even m, each followed by its prompt
  // again; the rest of a refused line is dropped.
  const Dialogue d = Talk("7x and more\n1\n7\n4\n3\n", true);
  ASSERT_TRUE(d.sizes.ok) << d.err;
  EXPECT_EQ(d.sizes.n, 7);
  EXPECT_EQ(d.sizes.m, 3);
  EXPECT_EQ(d.out, kN + kN + kN + kM + kM);
  EXPECT_NE(d.err.find("got \"7x\""), std::string::npos) << d.err;
  EXPECT_NE(d.err.find("n must be at least 2"), std::string::npos) << d.err;
  EXPECT_NE(d.err.find("odd"), std::string::npos) << d.err;
  // The end of the input still ends the dialogue.
  const Dialogue ended = Talk("abc\n", true);
  EXPECT_FALSE(ended.sizes.ok);
  EXPECT_EQ(ended.out, kN + kN);
  // From a pipe the first refusal ends it, as always.
  EXPECT_EQ(Talk("7x\n7\n3\n").out, kN);
}

TEST(SizeDialogue, SizesTooLargeToCountNameTheSumThatOverflows) {
  // The count itself fits below 2^31 here; the events that the triples
  // list together do not.
  const Dialogue d = Talk("2344\n3\n");
  EXPECT_FALSE(d.sizes.ok);
  EXPECT_NE(d.err.find("intersections of 3 events list 6431122632 events in "
                       "all, more than the 2147483647"),
            std::string::npos)
      << d.err;
  EXPECT_NE(Talk("100000\n5\n")
                .err.find("more than 2147483647 intersections "
                          "of 2 events"),
            std::string::npos);
  EXPECT_NE(Talk("99999999999\n").err.find("far too large"), std::string::npos);
  EXPECT_EQ(Talk("99999999999\n").err.find("32-bit"), std::string::npos);
}

}  // namespace
}  // namespace unionbound
