// The loop every program walks its passes with: the same passes as computed
// one by one, in order of l, and the best bounds chosen as the main run
// chooses them (strict improvement, the earlier l winning ties).
#include "bounds/pass_loop.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "driver/event_systems.h"
#include "optim/sense.h"

namespace unionbound {
namespace {

RealVector Parsed(const std::string& text) {
  std::istringstream in(text);
  RealVector p;
  double value;
  while (in >> value) p.push_back(value);
  return p;
}

const std::vector<double> kMarginals = {0.05, 0.1,  0.15, 0.2,  0.08, 0.12,
                                        0.03, 0.07, 0.11, 0.04, 0.09};

TEST(PassLoop, MakesThePassesOfEveryLengthAndKeepsTheBestOfThem) {
  const int32_t n = static_cast<int32_t>(kMarginals.size());
  for (int32_t m : {1, 2}) {
    SCOPED_TRACE("m=" + std::to_string(m));
    const RealVector p = Parsed(testing::IndependentProbText(kMarginals, m));
    MomentBatch moments;
    PassLoop loop(p, n, m, nullptr);
    EXPECT_EQ(loop.Count(), n - 2 * m + 1);
    BestBounds expected;
    int32_t l = m;
    while (!loop.Done()) {
      const Pass& pass = loop.Next();
      const Pass alone = ComputePass(p, n, m, l, n - m, &moments);
      ASSERT_EQ(pass.l, l);
      EXPECT_EQ(pass.lower.result.value, alone.lower.result.value);
      EXPECT_EQ(pass.upper.result.value, alone.upper.result.value);
      KeepBestBounds(alone, &expected);
      ++l;
    }
    EXPECT_EQ(l, n - m + 1);
    const BestBounds& best = loop.best();
    ASSERT_TRUE(best.anyPass);
    EXPECT_EQ(best.lower.value, expected.lower.value);
    EXPECT_EQ(best.lower.l, expected.lower.l);
    EXPECT_EQ(best.upper.value, expected.upper.value);
    EXPECT_EQ(best.upper.l, expected.upper.l);
  }
}

TEST(PassLoop, HasNoPassWhenNoLengthFits) {
  const RealVector p(25, 0.01);  // n = 5, m = 3: 5 + 10 + 10 numbers
  PassLoop loop(p, 5, 3, nullptr);
  EXPECT_TRUE(loop.Done());
  EXPECT_EQ(loop.Count(), 0);
  EXPECT_FALSE(loop.best().anyPass);
}

}  // namespace
}  // namespace unionbound
