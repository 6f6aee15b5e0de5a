// Branch and bound over atoms against enumerating every atom, on random
// polynomials of several densities and signs; and what a time limit leaves.
#include "sharp/atoms/atom_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "sharp/atoms/full_program.h"
#include "sharp/data/subset_list.h"

namespace unionbound::sharp {
namespace {

int64_t Value(const std::vector<AtomMask>& masks,
              const std::vector<int64_t>& values, AtomMask atom) {
  int64_t f = 0;
  for (size_t u = 0; u < masks.size(); ++u) {
    if ((masks[u] & ~atom) == 0) f += values[u];
  }
  return f;
}

// The values of all nonempty atoms, largest first.
std::vector<int64_t> AllValues(const std::vector<AtomMask>& masks,
                               const std::vector<int64_t>& values, int32_t n) {
  std::vector<int64_t> all;
  for (AtomMask a = 1; a < (AtomMask{1} << n); ++a) {
    all.push_back(Value(masks, values, a));
  }
  std::sort(all.rbegin(), all.rend());
  return all;
}

TEST(AtomSearch, FindsTheLargestValuesOfRandomPolynomials) {
  std::mt19937_64 random(7);
  for (int32_t n : {1, 5, 12, 16}) {
    for (int32_t m : {1, 2, 3}) {
      // Mostly negative, balanced and mostly positive terms; sparse and
      // dense ones.
      for (double positive : {0.1, 0.5, 0.9}) {
        for (double density : {0.2, 1.0}) {
          const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(n, m));
          std::vector<int64_t> values(masks.size(), 0);
          std::uniform_real_distribution<double> unit(0.0, 1.0);
          for (int64_t& v : values) {
            if (unit(random) > density) continue;
            const int64_t size = 1 + static_cast<int64_t>(unit(random) * 1e6);
            v = unit(random) < positive ? size : -size;
          }
          const std::vector<int64_t> all = AllValues(masks, values, n);
          const std::string name = "n=" + std::to_string(n) +
                                   " m=" + std::to_string(m) +
                                   " positive=" + std::to_string(positive);
          const int64_t floor = std::min<int64_t>(0, all.back()) - 1;
          AtomSearchOptions options;
          options.keep = 5;
          const AtomSearchResult<int64_t> r =
              MaximiseOverAtoms(masks, values, n, floor, options);
          ASSERT_TRUE(r.complete) << name;
          EXPECT_EQ(r.bound, all[0]) << name;
          ASSERT_EQ(r.best.size(), std::min<size_t>(5, all.size())) << name;
          for (size_t k = 0; k < r.best.size(); ++k) {
            EXPECT_EQ(r.best[k].first, all[k]) << name;
            EXPECT_EQ(Value(masks, values, r.best[k].second), all[k]) << name;
          }
          // Above a floor only the atoms above it count, and the bound is
          // the floor when none is.
          const AtomSearchResult<int64_t> above =
              MaximiseOverAtoms(masks, values, n, all[0], AtomSearchOptions{});
          EXPECT_EQ(above.bound, all[0]) << name;
          EXPECT_TRUE(above.best.empty()) << name;
          // The floating-point search agrees.
          const std::vector<double> doubles(values.begin(), values.end());
          const AtomSearchResult<double> d = MaximiseOverAtoms(
              masks, doubles, n, static_cast<double>(floor), options);
          EXPECT_EQ(d.bound, static_cast<double>(all[0])) << name;
        }
      }
    }
  }
}

TEST(AtomSearch, StoppedSearchStillBoundsFromAbove) {
  std::mt19937_64 random(3);
  const int32_t n = 40;
  const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(n, 2));
  std::vector<int64_t> values(masks.size());
  std::uniform_int_distribution<int64_t> value(-1000, 1000);
  for (int64_t& v : values) v = value(random);
  AtomSearchOptions options;
  options.seconds = 1e-4;
  const AtomSearchResult<int64_t> r =
      MaximiseOverAtoms(masks, values, n, int64_t{0}, options);
  EXPECT_FALSE(r.complete);
  for (const auto& [f, atom] : r.best) {
    EXPECT_EQ(f, Value(masks, values, atom));
  }
  // A greedy climb from random atoms never beats the bound.
  for (int32_t start = 0; start < 50; ++start) {
    AtomMask atom = random() & ((AtomMask{1} << n) - 1);
    int64_t f = Value(masks, values, atom);
    for (bool better = true; better;) {
      better = false;
      for (int32_t i = 0; i < n; ++i) {
        const int64_t g = Value(masks, values, atom ^ (AtomMask{1} << i));
        if (g > f) {
          atom ^= AtomMask{1} << i;
          f = g;
          better = true;
        }
      }
    }
    EXPECT_LE(f, r.bound);
  }
}

}  // namespace
}  // namespace unionbound::sharp
