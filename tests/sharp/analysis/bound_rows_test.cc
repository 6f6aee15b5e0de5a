// The rows every output of the companion reads: their order, the sides that
// do not exist, the clipping, and each text and double rounded outward from
// the bound.
#include "sharp/analysis/bound_rows.h"

#include <gtest/gtest.h>

#include "sharp/exact/decimal.h"
#include "sharp/exact/outward_format.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

// Four events, each of probability 0.6, each pair 0.3: consistent (two or
// three of them occur), and the Hunter-Worsley bound 2.4 - 0.9 lies above 1.
const RealVector kFourEvents = {0.6, 0.6, 0.6, 0.6, 0.3,
                                0.3, 0.3, 0.3, 0.3, 0.3};

TEST(BoundRows, ComeInTheOrderOfTheCsvFileWithOnePairPerL) {
  const SharpAnalysis analysis = Analyse(kFourEvents, 4, 2);
  ASSERT_TRUE(analysis.boundsComputed);
  std::vector<std::string> kinds;
  for (const BoundRow& row : BoundRows(analysis)) {
    kinds.push_back(KindName(row.kind));
  }
  EXPECT_EQ(kinds, (std::vector<std::string>{"unionbound", "univariate",
                                             "bivariate", "hunter-worsley",
                                             "de-caen", "kuai-alajaji-takahara",
                                             "unionbound_l", "bivariate_l"}));
}

TEST(BoundRows, EachTextAndDoubleLieOutsideTheBound) {
  const std::vector<BoundRow> rows = BoundRows(Analyse(kFourEvents, 4, 2));
  int32_t sides = 0;
  for (const BoundRow& row : rows) {
    for (const PrintedBound* b : {&row.lower, &row.upper}) {
      if (b->text.empty()) continue;
      ++sides;
      Rational text;
      ASSERT_TRUE(ParseExactDecimal(b->text, &text)) << b->text;
      const Rational bound = b->fromMethod ? ExactValue(b->method) : b->value;
      const Rational outward = ExactValue(b->outward);
      if (b->lower) {
        EXPECT_LE(outward, text);
        EXPECT_LE(text, bound);
      } else {
        EXPECT_GE(outward, text);
        EXPECT_GE(text, bound);
      }
      EXPECT_EQ(b->outward, OutwardDouble(b->text, !b->lower));
      EXPECT_EQ(b->text, b->Text(kBoundDigits));
    }
  }
  EXPECT_EQ(sides, 13);  // two per row, one per closed form
}

TEST(BoundRows, ClosedFormsAreClippedToOneAndHaveOneSide) {
  const std::vector<BoundRow> rows = BoundRows(Analyse(kFourEvents, 4, 2));
  const BoundRow* hw = FindRow(rows, RowKind::kHunterWorsley);
  ASSERT_NE(hw, nullptr);
  EXPECT_EQ(hw->upper.text, "1.0000000000000000");
  EXPECT_EQ(hw->upper.outward, 1.0);
  EXPECT_EQ(hw->upper.status, "valid");
  EXPECT_FALSE(hw->lower.exists);
  EXPECT_EQ(hw->lower.text, "");
  EXPECT_EQ(hw->lower.status, "");
  EXPECT_EQ(hw->lower.l, -1);
  const BoundRow* dc = FindRow(rows, RowKind::kDeCaen);
  ASSERT_NE(dc, nullptr);
  EXPECT_TRUE(dc->lower.hasValue);
  EXPECT_FALSE(dc->upper.exists);
}

TEST(BoundRows, WithoutAnyLThereIsNoUnionboundOrBivariateRow) {
  // n = 3, m = 2: no l from 2 to 1.
  const std::vector<BoundRow> rows =
      BoundRows(Analyse({0.5, 0.5, 0.5, 0.2, 0.2, 0.2}, 3, 2));
  EXPECT_EQ(FindRow(rows, RowKind::kUnionbound), nullptr);
  EXPECT_EQ(FindRow(rows, RowKind::kBivariate), nullptr);
  EXPECT_EQ(FindRow(rows, RowKind::kBivariateL), nullptr);
  const BoundRow* uni = FindRow(rows, RowKind::kUnivariate);
  ASSERT_NE(uni, nullptr);
  EXPECT_EQ(uni->lower.status, "sharp");
  EXPECT_EQ(uni->lower.l, -1);
}

}  // namespace
}  // namespace unionbound::sharp
