// The probabilities of a sample equal a direct count over the rows, subset
// by subset in the order of the probability file.
#include "api/sample_probabilities.h"

#include <gtest/gtest.h>
#include <unionbound/unionbound.h>

#include <random>

#include "numeric/subset_order.h"

namespace unionbound {
namespace {

// The share (or weight share) of rows that hold every event of the subset,
// weights added in row order.
double DirectCount(const std::vector<uint8_t>& table, int64_t rows, int32_t n,
                   const IndexVector& subset,
                   const std::vector<double>& weights) {
  double hit = 0.0;
  double total = 0.0;
  for (int64_t r = 0; r < rows; ++r) {
    bool all = true;
    for (int32_t event : subset) {
      all = all && table[static_cast<size_t>(r * n + event - 1)] != 0;
    }
    const double w = weights.empty() ? 1.0 : weights[static_cast<size_t>(r)];
    if (all) hit += w;
    total += w;
  }
  return weights.empty() ? hit / static_cast<double>(rows) : hit / total;
}

TEST(SampleIntersectionProbabilities, EqualsADirectCountInFileOrder) {
  std::mt19937_64 random(17);
  for (const auto& [rows, n, m] :
       {std::tuple<int64_t, int32_t, int32_t>{1, 3, 3},
        {63, 5, 2},
        {64, 6, 3},
        {129, 7, 5},
        {300, 9, 9}}) {
    std::vector<uint8_t> table(static_cast<size_t>(rows * n));
    for (uint8_t& cell : table) cell = random() % 3 == 0;
    std::vector<double> weights(static_cast<size_t>(rows));
    for (double& w : weights) w = static_cast<double>(random() % 1000) / 7.0;
    for (const std::vector<double>& ws : {std::vector<double>(), weights}) {
      const std::vector<double> p =
          SampleIntersectionProbabilities(table, rows, n, m, ws);
      const IndexMatrix subsets = SubsetsBySize(n, m);
      ASSERT_EQ(p.size(), subsets.size());
      for (size_t i = 0; i < subsets.size(); ++i) {
        EXPECT_EQ(p[i], DirectCount(table, rows, n, subsets[i], ws))
            << "rows=" << rows << " n=" << n << " subset " << i;
      }
    }
  }
}

TEST(IntersectionProbabilities, RefusesTablesThatDoNotFit) {
  const std::vector<uint8_t> table(6, 1);
  EXPECT_EQ(api::IntersectionProbabilities(table, 3, 2, 1, {}).size(), 2u);
  EXPECT_TRUE(api::IntersectionProbabilities(table, 2, 2, 1, {}).empty());
  EXPECT_TRUE(api::IntersectionProbabilities(table, 3, 2, 0, {}).empty());
  EXPECT_TRUE(api::IntersectionProbabilities(table, 3, 2, 1, {1, 1}).empty());
  EXPECT_TRUE(
      api::IntersectionProbabilities(table, 3, 2, 1, {1, -1, 1}).empty());
  EXPECT_TRUE(
      api::IntersectionProbabilities(table, 3, 2, 1, {0, 0, 0}).empty());
  EXPECT_TRUE(api::IntersectionProbabilities({}, 0, 2, 1, {}).empty());
}

}  // namespace
}  // namespace unionbound
