// The rows every output of the companion reads: their order, the sides that
// do not exist, the clipping, and each text and double rounded outward from
// the bound.
#include "sharp/analysis/bound_rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <tuple>

#include "numeric/subset_order.h"
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
  const SharpAnalysis analysis =
      Analyse(kFourEvents, 4, 2, false, MultivariateMode::kAuto);
  ASSERT_TRUE(analysis.boundsComputed);
  std::vector<std::string> kinds;
  for (const BoundRow& row : BoundRows(analysis)) {
    kinds.push_back(KindName(row.kind));
  }
  EXPECT_EQ(kinds, (std::vector<std::string>{
                       "unionbound", "univariate", "bivariate", "multivariate",
                       "hunter-worsley", "de-caen", "kuai-alajaji-takahara",
                       "best", "unionbound_l", "bivariate_l"}));
}

TEST(BoundRows, EachTextAndDoubleLieOutsideTheBound) {
  const std::vector<BoundRow> rows =
      BoundRows(Analyse(kFourEvents, 4, 2, false, MultivariateMode::kAuto));
  int32_t sides = 0;
  for (const BoundRow& row : rows) {
    for (const PrintedBound* b : {&row.lower, &row.upper}) {
      if (b->text.empty()) continue;
      ++sides;
      Rational text;
      ASSERT_TRUE(ParseExactDecimal(b->text, &text)) << b->text;
      const Rational bound = b->fromMethod ? ExactValue(b->method) : b->value;
      const Rational outward = ExactValue(b->outward);
      // The text and the double each lie outside the bound, and the double
      // is the tightest such: one step inward crosses the bound.
      const Rational inward =
          ExactValue(std::nextafter(b->outward, b->lower ? 2.0 : -1.0));
      if (b->lower) {
        EXPECT_LE(outward, bound);
        EXPECT_LE(text, bound);
        EXPECT_GT(inward, bound);
      } else {
        EXPECT_GE(outward, bound);
        EXPECT_GE(text, bound);
        EXPECT_LT(inward, bound);
      }
      EXPECT_EQ(b->text, b->Text(kBoundDigits));
    }
  }
  EXPECT_EQ(sides, 17);  // two per row, one per closed form
}

// The best row holds the largest proven lower and the smallest proven
// upper bound over every other row, never unionbound's own numbers.
TEST(BoundRows, BestIsTheTightestProvenBoundOfEachSide) {
  for (const auto& [p, n, m] :
       {std::tuple{kFourEvents, 4, 2},
        std::tuple{RealVector{0.3, 0.4, 0.5, 0.1, 0.2, 0.25}, 3, 2}}) {
    const std::vector<BoundRow> rows = BoundRows(Analyse(p, n, m));
    const BoundRow* best = FindRow(rows, RowKind::kBest);
    ASSERT_NE(best, nullptr);
    ASSERT_TRUE(best->lower.hasValue && best->upper.hasValue);
    for (const BoundRow& row : rows) {
      if (row.kind == RowKind::kBest) continue;
      if (row.lower.hasValue && row.lower.IsProven()) {
        EXPECT_GE(best->lower.value, row.lower.value) << KindName(row.kind);
      }
      if (row.upper.hasValue && row.upper.IsProven()) {
        EXPECT_LE(best->upper.value, row.upper.value) << KindName(row.kind);
      }
    }
    const BoundRow* source = FindRow(rows, best->lower.source);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->lower.value, best->lower.value);
    EXPECT_EQ(best->lower.outward, source->lower.outward);
    EXPECT_NE(best->lower.source, RowKind::kUnionbound);
    EXPECT_NE(best->upper.source, RowKind::kUnionbound);
  }
}

// A generated system whose bivariate lower bounds of l = 4 and l = 6 lie
// within one unit in the last place: the best l is the one with the larger
// exact optimum, whatever the doubles say.
TEST(BoundRows, TheBestLIsChosenOnExactValues) {
  std::istringstream in(
      "0.07617104475721365 0.30904886327179487 0.09112816933516706 "
      "0.2758077998359417 0 0.14982147592168535 0.3808527254449097 "
      "0.24211890756824522 0.14982147592168535 0 0.05071880160654849 0 "
      "0.025452243150665157 0 0.05071880160654849 0.05071880160654849 0 "
      "0.05071880160654849 0 0 0.1592273873501095 0 0.14982147592168535 "
      "0.14982147592168535 0.1592273873501095 0.14982147592168535 0 "
      "0.09112816933516706 0 0 0.09112816933516706 0 0 0 0 0 "
      "0.09112816933516706 0.1592273873501095 0 0 0 0 0 0 0 "
      "0.14982147592168535 0 0.14982147592168535 0 0.08289152021813573 "
      "0.14982147592168535 0 0 0 0 0 0 0 0.05071880160654849 "
      "0.05071880160654849 0 0.05071880160654849 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
      "0 0 0 0 0.05071880160654849 0 0.05071880160654849 0 0 "
      "0.05071880160654849 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0.1592273873501095 0 0 "
      "0 0 0 0 0 0.14982147592168535 0 0.14982147592168535 0 0 "
      "0.14982147592168535 0 0 0 0 0 0 0.09112816933516706 0 0 0 0 0 0 0 0 0 0 "
      "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
      "0.14982147592168535 0 0 0 0 0 0 0 0 ");
  RealVector p;
  for (double x; in >> x;) p.push_back(x);
  ASSERT_EQ(p.size(), 175u);
  const SharpAnalysis analysis = Analyse(p, 10, 3);
  ASSERT_GE(analysis.bestLower, 0);
  const SharpBound& best =
      analysis.bivariate[analysis.bestLower].interval.lower;
  bool closeDoubles = false;
  for (const BivariateResult& row : analysis.bivariate) {
    const SharpBound& b = row.interval.lower;
    if (!IsUsable(b)) continue;
    EXPECT_LE(b.exact, best.exact) << "l=" << row.l;
    if (row.l < analysis.bivariate[analysis.bestLower].l) {
      EXPECT_LT(b.exact, best.exact) << "the earlier l wins ties";
    }
    if (b.exact < best.exact && std::nextafter(b.bound, 2.0) >= best.bound) {
      closeDoubles = true;
    }
  }
  EXPECT_TRUE(closeDoubles) << "no two l within one ulp: the test is moot";
  const std::vector<BoundRow> rows = BoundRows(analysis);
  EXPECT_EQ(FindRow(rows, RowKind::kBivariate)->lower.l,
            analysis.bivariate[analysis.bestLower].l);
}

// Exact optima that are doubles come back as themselves: disjoint events
// whose union is 1 - 2^-20 (upper), half of it the univariate lower bound.
TEST(BoundRows, ExactOptimaThatAreDoublesComeBackExactly) {
  const RealVector p = {0.5, 0.5 - std::ldexp(1.0, -20)};
  const std::vector<BoundRow> rows = BoundRows(Analyse(p, 2, 1));
  const BoundRow* uni = FindRow(rows, RowKind::kUnivariate);
  ASSERT_NE(uni, nullptr);
  EXPECT_EQ(uni->upper.outward, 1.0 - std::ldexp(1.0, -20));
  EXPECT_EQ(uni->lower.outward, 0.5 - std::ldexp(1.0, -21));
  const BoundRow* best = FindRow(rows, RowKind::kBest);
  EXPECT_EQ(best->upper.outward, 1.0 - std::ldexp(1.0, -20));
}

// Ten disjoint events of 0.01 .. 0.1: their union (0.55 up to the doubles'
// rounding) is the sharp upper bound of every l; unionbound's upper bound
// 0.54999999999999994 lies below it by rounding and is marked so, never passed
// off as a plain bound.
TEST(BoundRows, UnionboundsNumbersOutsideTheirLAreMarked) {
  const RealVector p = {0.01, 0.02, 0.03, 0.04, 0.05,
                        0.06, 0.07, 0.08, 0.09, 0.1};
  const SharpAnalysis analysis = Analyse(p, 10, 1);
  const std::vector<BoundRow> rows = BoundRows(analysis);
  int32_t marked = 0;
  for (const BoundRow& row : rows) {
    if (row.kind != RowKind::kUnionbound && row.kind != RowKind::kUnionboundL) {
      continue;
    }
    for (const PrintedBound* b : {&row.lower, &row.upper}) {
      if (!b->hasValue) continue;
      const SharpBound* sharp = nullptr;
      for (const BivariateResult& r : analysis.bivariate) {
        if (r.l == b->l) {
          sharp = b->lower ? &r.interval.lower : &r.interval.upper;
        }
      }
      ASSERT_NE(sharp, nullptr);
      const Rational method = ExactValue(b->method);
      const bool outside =
          b->lower ? method > sharp->exact : method < sharp->exact;
      EXPECT_EQ(b->status != "method", outside)
          << KindName(row.kind) << " l=" << b->l << " " << b->text;
      if (outside) {
        ++marked;
        EXPECT_EQ(b->status, "rounding") << b->text;
      }
    }
  }
  const BoundRow* u = FindRow(rows, RowKind::kUnionbound);
  EXPECT_EQ(u->upper.text, "0.54999999999999994");
  EXPECT_EQ(u->upper.status, "rounding");
  EXPECT_GT(marked, 0);
  Rational unionOfEvents = 0;
  for (double x : p) unionOfEvents += ExactValue(x);
  EXPECT_EQ(FindRow(rows, RowKind::kBest)->upper.value, unionOfEvents);
}

// Twelve independent events of 1e-10 * i, m = 3: unionbound's bounds, the
// sharp ones and the union agree to about 16 digits, so a correct method
// bound, a double, may lie across a certified bound by its last digits.
// That is rounding, never invalid; a bound across by more than 1e-12 is.
TEST(BoundRows, RareEventsAcrossACertifiedBoundByRoundingAreNotInvalid) {
  const int32_t n = 12;
  RealVector p;
  for (const IndexVector& subset : SubsetsBySize(n, 3)) {
    double product = 1.0;
    for (int32_t i : subset) product *= 1e-10 * i;
    p.push_back(product);
  }
  const SharpAnalysis analysis = Analyse(p, n, 3);
  ASSERT_TRUE(analysis.boundsComputed);
  const std::vector<BoundRow> rows = BoundRows(analysis);
  const BoundRow* best = FindRow(rows, RowKind::kBest);
  int32_t across = 0;
  for (const BoundRow& row : rows) {
    if (row.kind != RowKind::kUnionbound && row.kind != RowKind::kUnionboundL) {
      continue;
    }
    for (const PrintedBound* b : {&row.lower, &row.upper}) {
      if (!b->hasValue) continue;
      EXPECT_NE(b->status, "invalid") << KindName(row.kind) << " l=" << b->l;
      const Rational value = ExactValue(b->method);
      if (b->lower ? value > best->upper.value : value < best->lower.value) {
        ++across;
        EXPECT_EQ(b->status, "rounding") << KindName(row.kind) << " l=" << b->l;
      }
    }
  }
  EXPECT_GT(across, 0);  // the case this test is about
  EXPECT_TRUE(ContradictedMethodLs(analysis).empty());

  const double upper = analysis.univariate.upper.bound;
  EXPECT_FALSE(
      MethodLowerContradicts(analysis, upper * (1 + 1e-14), kRoundingMargin));
  EXPECT_TRUE(
      MethodLowerContradicts(analysis, upper * (1 + 1e-10), kRoundingMargin));
  const double lower = analysis.univariate.lower.bound;
  EXPECT_TRUE(
      MethodUpperContradicts(analysis, lower * (1 - 1e-10), kRoundingMargin));
}

TEST(BoundRows, ClosedFormsAreClippedToOneAndHaveOneSide) {
  const std::vector<BoundRow> rows =
      BoundRows(Analyse(kFourEvents, 4, 2, false, MultivariateMode::kAuto));
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
