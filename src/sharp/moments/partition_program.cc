#include "sharp/moments/partition_program.h"

#include <algorithm>
#include <functional>

namespace unionbound::sharp {
namespace {

// Every order vector of t entries with total at most m, by total, then
// lexicographically descending.
std::vector<IndexVector> AllOrders(int32_t t, int32_t m) {
  std::vector<IndexVector> out;
  IndexVector a(static_cast<size_t>(t), 0);
  std::function<void(int32_t, int32_t)> fill = [&](int32_t g, int32_t left) {
    if (g == t - 1) {
      a[g] = left;
      out.push_back(a);
      return;
    }
    for (int32_t v = left; v >= 0; --v) {
      a[g] = v;
      fill(g + 1, left - v);
    }
  };
  for (int32_t k = 0; k <= m; ++k) fill(0, k);
  return out;
}

// The order vector as a number in base m + 1.
size_t OrderCode(const IndexVector& orders, int32_t m) {
  size_t code = 0;
  for (int32_t a : orders) code = code * (m + 1) + a;
  return code;
}

IndexVector GroupSizes(const EventGroups& groups) {
  IndexVector sizes;
  for (const IndexVector& g : groups) {
    sizes.push_back(static_cast<int32_t>(g.size()));
  }
  return sizes;
}

PartitionData BuildData(const ExactData& data, const SubsetList& subsets,
                        int32_t n, int32_t m, const EventGroups& groups,
                        const mpz_class& scale) {
  PartitionData p;
  p.n = n;
  p.m = m;
  p.groups = groups;
  p.scale = scale;
  const int32_t t = static_cast<int32_t>(groups.size());
  const IndexVector sizes = GroupSizes(groups);
  IndexVector groupOf(static_cast<size_t>(n) + 1, 0);
  for (int32_t g = 0; g < t; ++g) {
    for (int32_t e : groups[g]) groupOf[e] = g;
  }
  size_t codes = 1;
  for (int32_t g = 0; g < t; ++g) codes *= static_cast<size_t>(m) + 1;
  std::vector<long> rowOfCode(codes, -1);
  for (const IndexVector& orders : AllOrders(t, m)) {
    if (sgn(OrderSize(sizes, orders)) == 0) continue;
    rowOfCode[OrderCode(orders, m)] = static_cast<long>(p.orders.size());
    p.orders.push_back(orders);
  }
  p.sums.assign(p.orders.size(), mpz_class(0));
  // The weight of group g's digit in the order code.
  std::vector<size_t> digit(static_cast<size_t>(t), 1);
  for (int32_t g = t - 2; g >= 0; --g) digit[g] = digit[g + 1] * (m + 1);
  mpz_class value;
  for (SubsetCursor c(subsets); !c.done() && c.index() < data.size();
       c.Next()) {
    const size_t u = c.index();
    const size_t k = c.size();
    if (k < 1 || k > static_cast<size_t>(m) || SignOf(data, u) == 0) {
      continue;
    }
    const int32_t* s = c.members();
    size_t code = 0;
    for (size_t e = 0; e < k; ++e) code += digit[groupOf[s[e]]];
    ScaledValue(data, u, &value);
    p.sums[rowOfCode[code]] += value;
  }
  const mpz_class by = scale / data.scale;
  if (by != 1) {
    for (mpz_class& s : p.sums) s *= by;
  }
  return p;
}

Rational Over(const mpz_class& units, const mpz_class& scale) {
  Rational q(units, scale);
  q.canonicalize();
  return q;
}

}  // namespace

std::string PartitionProblem(const EventGroups& groups, int32_t n) {
  if (groups.empty()) return "no groups";
  std::vector<bool> seen(static_cast<size_t>(n) + 1, false);
  int32_t count = 0;
  for (const IndexVector& g : groups) {
    if (g.empty()) return "an empty group";
    for (int32_t e : g) {
      if (e < 1 || e > n) {
        return "event " + std::to_string(e) + " is not one of 1 .. " +
               std::to_string(n);
      }
      if (seen[e]) return "event " + std::to_string(e) + " in two groups";
      seen[e] = true;
      ++count;
    }
  }
  for (int32_t e = 1; e <= n; ++e) {
    if (!seen[e]) return "event " + std::to_string(e) + " in no group";
  }
  return count == n ? "" : "events repeated";
}

EventGroups CanonicalGroups(EventGroups groups) {
  for (IndexVector& g : groups) std::sort(g.begin(), g.end());
  std::sort(groups.begin(), groups.end());
  return groups;
}

size_t CountPointCount(const IndexVector& sizes) {
  size_t count = 1;
  for (int32_t s : sizes) count *= static_cast<size_t>(s) + 1;
  return count;
}

PartitionData MakePartitionData(const ExactData& data,
                                const SubsetList& subsets, int32_t n, int32_t m,
                                const EventGroups& groups) {
  return BuildData(data, subsets, n, m, groups, data.scale);
}

PartitionData WidenPartitionData(const ExactData& data,
                                 const SubsetList& subsets, int32_t n,
                                 int32_t m, const EventGroups& groups,
                                 const Rational& tolerance) {
  mpz_class scale;
  mpz_lcm(scale.get_mpz_t(), data.scale.get_mpz_t(), tolerance.get_den_mpz_t());
  PartitionData p = BuildData(data, subsets, n, m, groups, scale);
  p.widened = true;
  p.tolerance = tolerance.get_num() * (scale / tolerance.get_den());
  return p;
}

mpz_class OrderSize(const IndexVector& sizes, const IndexVector& orders) {
  mpz_class size = 1;
  mpz_class b;
  for (size_t g = 0; g < sizes.size(); ++g) {
    if (orders[g] > sizes[g]) return 0;
    mpz_bin_uiui(b.get_mpz_t(), static_cast<unsigned long>(sizes[g]),
                 static_cast<unsigned long>(orders[g]));
    size *= b;
  }
  return size;
}

CountProgram PartitionBoundProgram(const PartitionData& data, Sense sense,
                                   const CountTarget& target) {
  CountProgram p;
  p.sizes = GroupSizes(data.groups);
  p.rows = data.orders;
  p.pointCost = sense == Sense::kMinimise ? 1 : -1;
  p.target = target;
  const size_t base = p.rows.size();
  p.rhs.assign(base, Rational(0));
  for (size_t r = 0; r < base; ++r) {
    if (r == 0) {  // the zero order: the probabilities add up to 1
      p.rhs[r] = 1;
      continue;
    }
    const mpz_class& sum = data.sums[r];
    if (!data.widened) {
      p.rhs[r] = Over(sum, data.scale);
      continue;
    }
    const mpz_class reach = OrderSize(p.sizes, p.rows[r]) * data.tolerance;
    const mpz_class low = sum - reach;
    const mpz_class high = sum + reach;
    p.rhs[r] = Over(low, data.scale);
    if (high == low) continue;
    // A x - w = low and w + s = high - low: the moment lies in [low, high].
    p.rows.push_back({});
    p.rhs.push_back(Over(high - low, data.scale));
    const int32_t band = static_cast<int32_t>(p.rows.size() - 1);
    ExtraColumn w;
    w.entries = {{static_cast<int32_t>(r), -1}, {band, 1}};
    ExtraColumn s;
    s.entries = {{band, 1}};
    p.extra.push_back(w);
    p.extra.push_back(s);
  }
  return p;
}

}  // namespace unionbound::sharp
