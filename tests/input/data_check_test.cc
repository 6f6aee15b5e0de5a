// The data check: what it flags, what rounding it forgives, and that the
// fast walk finds exactly the problems of the step-by-step check, in the
// same order, on clean, broken, short and odd-sized inputs.
#include "input/data_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "numeric/subset_order.h"
#include "reference/data_check.h"

namespace unionbound {
namespace {

// Independent events: every intersection the product of its marginals.
RealVector Independent(const RealVector& marginals, int32_t m) {
  const int32_t n = static_cast<int32_t>(marginals.size());
  RealVector p;
  for (const IndexVector& subset : SubsetsBySize(n, m)) {
    double product = 1.0;
    for (int32_t event : subset) product *= marginals[event - 1];
    p.push_back(product);
  }
  return p;
}

int64_t PositionOf(const IndexVector& subset, int32_t n) {
  return SubsetPosition(subset, n);
}

void ExpectSameProblems(const DataCheck& fast, const DataCheck& slow) {
  ASSERT_EQ(fast.problems, slow.problems);
  ASSERT_EQ(fast.first.size(), slow.first.size());
  for (size_t i = 0; i < fast.first.size(); ++i) {
    SCOPED_TRACE("problem " + std::to_string(i));
    const DataProblem& a = fast.first[i];
    const DataProblem& b = slow.first[i];
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.position, b.position);
    EXPECT_EQ(a.events, b.events);
    EXPECT_EQ(a.other, b.other);
    EXPECT_EQ(a.otherEvents, b.otherEvents);
    // Bitwise, NaN included.
    EXPECT_EQ(std::to_string(a.value), std::to_string(b.value));
    EXPECT_EQ(std::to_string(a.bound), std::to_string(b.bound));
  }
}

TEST(DataCheck, GenuineProbabilitiesPass) {
  for (int32_t m : {1, 3, 5, 8}) {
    SCOPED_TRACE(m);
    const RealVector p =
        Independent({0.9, 0.05, 0.5, 0.99, 0.3, 0.7, 0.0, 1.0}, m);
    const DataCheck check = CheckProbabilities(p, 8, m, 5);
    EXPECT_EQ(check.problems, 0);
    EXPECT_TRUE(check.first.empty());
  }
  EXPECT_EQ(CheckProbabilities(RealVector(63, 0.0), 7, 3, 5).problems, 0);
  EXPECT_EQ(CheckProbabilities(RealVector(63, 1.0), 7, 3, 5).problems, 0);
}

TEST(DataCheck, EachKindOfProblemIsNamedWithItsEventsAndValues) {
  const int32_t n = 7;
  RealVector p = Independent({0.5, 0.4, 0.3, 0.2, 0.6, 0.1, 0.5}, 3);
  p[3] = 1.5;  // P{4}
  const int64_t triple = PositionOf({1, 2, 7}, n);
  p[static_cast<size_t>(triple)] = 0.31;  // above P{1,7} = 0.25
  const DataCheck check = CheckProbabilities(p, n, 3, 10);
  // P{4} = 1.5 is no probability; each of the six pairs with event 4 lies
  // below P{4} + P{j} - 1 = 0.5 + P{j}; P{1,2,7} exceeds all three of its
  // pairs.
  ASSERT_EQ(check.problems, 10);
  const DataProblem& value = check.first[0];
  EXPECT_EQ(value.kind, DataProblemKind::kNotAProbability);
  EXPECT_EQ(value.position, 3);
  EXPECT_EQ(value.events, (IndexVector{4}));
  EXPECT_EQ(value.value, 1.5);
  const DataProblem& floor = check.first[1];
  EXPECT_EQ(floor.kind, DataProblemKind::kBelowPairFloor);
  EXPECT_EQ(floor.events, (IndexVector{1, 4}));
  EXPECT_EQ(floor.position, PositionOf({1, 4}, n));
  EXPECT_EQ(floor.value, 0.5 * 0.2);
  EXPECT_EQ(floor.bound, 0.5 + 1.5 - 1.0);
  for (int i = 7; i < 10; ++i) {
    const DataProblem& order = check.first[static_cast<size_t>(i)];
    EXPECT_EQ(order.kind, DataProblemKind::kExceedsSubIntersection);
    EXPECT_EQ(order.position, triple);
    EXPECT_EQ(order.value, 0.31);
    EXPECT_EQ(order.other, PositionOf(order.otherEvents, n));
    EXPECT_EQ(order.bound, p[static_cast<size_t>(order.other)]);
  }
  // Dropped in the order of the events: 1, then 2, then 7.
  EXPECT_EQ(check.first[7].otherEvents, (IndexVector{2, 7}));
  EXPECT_EQ(check.first[8].otherEvents, (IndexVector{1, 7}));
  EXPECT_EQ(check.first[9].otherEvents, (IndexVector{1, 2}));
  // Keeping fewer leaves the count alone.
  const DataCheck two = CheckProbabilities(p, n, 3, 2);
  EXPECT_EQ(two.problems, 10);
  EXPECT_EQ(two.first.size(), 2u);
}

TEST(DataCheck, RoundingIsForgivenAndLittleMore) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double single;
    bool flagged;
  };
  const Case values[] = {
      {1.0 + 1e-12, false}, {1.0 + 1e-8, true}, {-1e-310, false},
      {-1e-299, true},      {-1e-18, true},     {nan, true},
      {inf, true},          {-inf, true},       {4.9e-324, false},
  };
  for (const Case& c : values) {
    SCOPED_TRACE(c.single);
    RealVector p(3, 0.0);  // n = 3, m = 1
    p[1] = c.single;
    EXPECT_EQ(CheckProbabilities(p, 3, 1, 5).problems, c.flagged ? 1 : 0);
  }
  // A pair above a single by a relative 1e-10 is rounding, by 1e-8 not.
  for (const double excess : {1e-10, 1e-8}) {
    RealVector p = {0.25, 0.5, 0.125, 0.0, 0.0, 0.0};
    p[3] = 0.25 * (1.0 + excess);  // P{1,2} against P{1} = 0.25
    EXPECT_EQ(CheckProbabilities(p, 3, 2, 5).problems, excess > 1e-9 ? 1 : 0);
  }
  // Tiny values compare by the absolute tolerance.
  RealVector tiny = {1e-310, 1e-310, 1e-310, 2e-310, 0.0, 0.0};
  EXPECT_EQ(CheckProbabilities(tiny, 3, 2, 5).problems, 0);
  // The pair floor forgives rounding of values near 1.
  RealVector sure = {1.0, 1.0 - 1e-16, 0.5, 1.0 - 2e-16, 0.5, 0.5};
  EXPECT_EQ(CheckProbabilities(sure, 3, 2, 5).problems, 0);
}

TEST(DataCheck, OnlyTheNumbersReadAreChecked) {
  RealVector p = Independent({0.5, 0.4, 0.3, 0.2, 0.6, 0.1, 0.5}, 3);
  p.resize(20);
  p[19] = 0.9;  // P{3,6} exceeds P{3} and P{6}
  const DataCheck check = CheckProbabilities(p, 7, 3, 5);
  EXPECT_EQ(check.problems, 2);
  EXPECT_EQ(CheckProbabilities({}, 7, 3, 5).problems, 0);
  // Numbers beyond the count are no part of the data.
  RealVector longer = Independent({0.5, 0.4, 0.3}, 3);
  longer.push_back(7.0);
  EXPECT_EQ(CheckProbabilities(longer, 3, 3, 5).problems, 0);
}

TEST(DataCheck, PercentagesAndMisreadSizesAreCaught) {
  const RealVector p =
      Independent({0.12, 0.095, 0.09, 0.065, 0.115, 0.105, 0.057, 0.084, 0.081,
                   0.099, 0.11, 0.07, 0.06, 0.05, 0.1},
                  3);
  RealVector percent = p;
  for (double& value : percent) value *= 100.0;
  EXPECT_GE(CheckProbabilities(percent, 15, 3, 5).problems, 15);
  // The file of 15 events read as 14: the pairs start one number early.
  EXPECT_GT(CheckProbabilities(p, 14, 3, 5).problems, 0);
  EXPECT_EQ(CheckProbabilities(p, 15, 3, 5).problems, 0);
}

TEST(DataCheck, TheWalkFindsWhatTheStepByStepCheckFinds) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int32_t n = 1; n <= 11; ++n) {
    for (int32_t m = 1; m <= std::min(n, 7); ++m) {
      SCOPED_TRACE("n=" + std::to_string(n) + ", m=" + std::to_string(m));
      RealVector marginals;
      for (int32_t i = 0; i < n; ++i) marginals.push_back(unit(random));
      const RealVector genuine = Independent(marginals, m);
      ExpectSameProblems(CheckProbabilities(genuine, n, m, 8),
                         reference::CheckProbabilities(genuine, n, m, 8));
      // Broken in a few places: scaled, negative, NaN, nudged up.
      for (int trial = 0; trial < 4; ++trial) {
        RealVector p = genuine;
        for (int k = 0; k < 1 + trial * 2; ++k) {
          const size_t at = random() % p.size();
          switch (random() % 4) {
            case 0:
              p[at] *= 3.0;
              break;
            case 1:
              p[at] = -p[at];
              break;
            case 2:
              p[at] = std::numeric_limits<double>::quiet_NaN();
              break;
            default:
              p[at] = p[at] * (1.0 + 1e-9 * unit(random) * 4);
              break;
          }
        }
        const size_t keep = static_cast<size_t>(trial * 3);
        ExpectSameProblems(CheckProbabilities(p, n, m, keep),
                           reference::CheckProbabilities(p, n, m, keep));
        // Cut short anywhere.
        p.resize(random() % (p.size() + 1));
        ExpectSameProblems(CheckProbabilities(p, n, m, 50),
                           reference::CheckProbabilities(p, n, m, 50));
      }
      // Every value random: many problems of every kind.
      RealVector noise;
      for (size_t i = 0; i < genuine.size(); ++i) {
        noise.push_back(unit(random) * 1.2 - 0.1);
      }
      ExpectSameProblems(CheckProbabilities(noise, n, m, 1000),
                         reference::CheckProbabilities(noise, n, m, 1000));
    }
  }
}

}  // namespace
}  // namespace unionbound
