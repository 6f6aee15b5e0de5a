#include "sharp/atoms/lifted_duals.h"

#include <ClpSimplex.hpp>
#include <algorithm>
#include <bit>
#include <cmath>
#include <numeric>

namespace unionbound::sharp {
namespace {

// Calls visit(a) for every vector a with 0 <= a[g] <= limit[g] (from g = k
// on; the earlier entries as they are) and a[k] + .. <= budget, in
// lexicographic order with the first group most significant.
template <typename Visit>
void ForEachOrder(const IndexVector& limit, int32_t budget, size_t k,
                  IndexVector* a, const Visit& visit) {
  if (k == limit.size()) {
    visit(*a);
    return;
  }
  for (int32_t v = 0; v <= std::min(limit[k], budget); ++v) {
    (*a)[k] = v;
    ForEachOrder(limit, budget - v, k + 1, a, visit);
  }
}

// Row a of the moment program, a_g <= min(|G_g|, m) and sum a_g <= m, the
// rows numbered in lexicographic order: a vector indexed by a in mixed
// radix min(|G_g|, m) + 1 (small: at most the count vectors).
struct MomentRows {
  IndexVector limit;           // min(|G_g|, m)
  std::vector<int32_t> index;  // -1 where the sum exceeds m
  int32_t count = 0;

  size_t Key(const IndexVector& a) const {
    size_t key = 0;
    for (size_t g = 0; g < limit.size(); ++g) {
      key = key * static_cast<size_t>(limit[g] + 1) + a[g];
    }
    return key;
  }
  int32_t Row(const IndexVector& a) const { return index[Key(a)]; }
};

MomentRows MakeRows(const IndexVector& sizes, int32_t m) {
  MomentRows rows;
  size_t keys = 1;
  for (int32_t s : sizes) {
    rows.limit.push_back(std::min(s, m));
    keys *= static_cast<size_t>(rows.limit.back() + 1);
  }
  rows.index.assign(keys, -1);
  IndexVector a(sizes.size(), 0);
  ForEachOrder(rows.limit, m, 0, &a, [&rows](const IndexVector& order) {
    rows.index[rows.Key(order)] = rows.count++;
  });
  return rows;
}

// C(c, k) for k = 0 .. m.
RealVector Binomials(int32_t c, int32_t m) {
  RealVector binomials(m + 1, 0.0);
  double binomial = 1.0;
  for (int32_t k = 0; k <= std::min(c, m); ++k) {
    binomials[k] = binomial;
    binomial = binomial * (c - k) / (k + 1);
  }
  return binomials;
}

}  // namespace

LiftedDuals LiftPartitionDuals(const std::vector<AtomMask>& masks,
                               const RealVector& rhs,
                               const std::vector<AtomMask>& groups,
                               AtomSense sense, const CountTarget& target) {
  LiftedDuals lifted;
  int32_t m = 0;
  for (AtomMask a : masks) m = std::max(m, std::popcount(a));
  std::vector<AtomMask> parts;
  IndexVector sizes;
  size_t points = 1;
  for (AtomMask g : groups) {
    if (g == 0) continue;
    parts.push_back(g);
    sizes.push_back(std::popcount(g));
    points *= static_cast<size_t>(sizes.back() + 1);
    if (points > kLiftedPartitionPoints) return lifted;
  }
  const size_t t = parts.size();
  const MomentRows rows = MakeRows(sizes, m);
  std::vector<int32_t> rowOf(masks.size());
  RealVector moments(rows.count, 0.0);
  // Rare events are solved on rows divided by the scale, as in the master:
  // the total becomes a limit on the nonempty cells, of no effect where it
  // lies beyond the solver's infinity.
  const double scale = DataRowScale(rhs);
  IndexVector a(t, 0);
  const int32_t total = rows.Row(a);
  for (size_t u = 0; u < masks.size(); ++u) {
    for (size_t g = 0; g < t; ++g) a[g] = std::popcount(masks[u] & parts[g]);
    rowOf[u] = rows.Row(a);
    moments[rowOf[u]] += rhs[u + 1] / scale;
  }
  ClpSimplex model;
  model.setLogLevel(0);
  model.resize(rows.count, 0);
  for (int32_t r = 0; r < rows.count; ++r) {
    if (r != total) model.setRowBounds(r, moments[r], moments[r]);
  }
  if (scale == 1.0) {
    model.setRowBounds(total, rhs[0], rhs[0]);
  } else {
    const double limit = rhs[0] / scale;
    model.setRowBounds(total, -COIN_DBL_MAX,
                       limit < 1e27 ? limit : COIN_DBL_MAX);
  }
  // Column i: atoms with i_g events in group g. Its entry in row a is
  // prod_g C(i_g, a_g).
  std::vector<std::vector<RealVector>> binomials(t);
  for (size_t g = 0; g < t; ++g) {
    for (int32_t c = 0; c <= sizes[g]; ++c) {
      binomials[g].push_back(Binomials(c, m));
    }
  }
  const int32_t anyCount = std::accumulate(sizes.begin(), sizes.end(), 0);
  IndexVector point(t, 0);
  std::vector<int32_t> in;
  RealVector values;
  ForEachOrder(sizes, anyCount, 0, &point, [&](const IndexVector& i) {
    in.clear();
    values.clear();
    IndexVector limit(t);
    int32_t count = 0;
    for (size_t g = 0; g < t; ++g) {
      limit[g] = std::min(i[g], m);
      count += i[g];
    }
    IndexVector order(t, 0);
    ForEachOrder(limit, m, 0, &order, [&](const IndexVector& b) {
      double value = binomials[0][i[0]][b[0]];
      for (size_t g = 1; g < t; ++g) value = value * binomials[g][i[g]][b[g]];
      in.push_back(rows.Row(b));
      values.push_back(value);
    });
    model.addColumn(static_cast<int32_t>(in.size()), in.data(), values.data(),
                    0.0, COIN_DBL_MAX, CountCost(count, sense, target));
  });
  model.dual();
  if (!model.isProvenOptimal()) return lifted;
  const double* z = model.dualRowSolution();
  lifted.y.resize(rhs.size());
  lifted.y[0] = z[total];
  for (size_t u = 0; u < masks.size(); ++u) lifted.y[u + 1] = z[rowOf[u]];
  lifted.value = model.objectiveValue() * scale;
  return lifted;
}

LiftedDuals LiftMomentDuals(const std::vector<AtomMask>& masks,
                            const RealVector& rhs, int32_t n, int32_t l,
                            AtomSense sense, const CountTarget& target) {
  const AtomMask all = n >= 64 ? ~AtomMask{0} : (AtomMask{1} << n) - 1;
  const AtomMask firstPart = (AtomMask{1} << l) - 1;
  LiftedDuals lifted = LiftPartitionDuals(
      masks, rhs, {firstPart, all & ~firstPart}, sense, target);
  lifted.l = l;
  return lifted;
}

std::vector<AtomMask> GroupMasks(const EventGroups& groups) {
  std::vector<AtomMask> atoms;
  for (const IndexVector& group : groups) {
    AtomMask atom = 0;
    for (int32_t e : group) atom |= AtomMask{1} << (e - 1);
    atoms.push_back(atom);
  }
  return atoms;
}

LiftedDuals BestLiftedDuals(const std::vector<AtomMask>& masks,
                            const RealVector& rhs, int32_t n, AtomSense sense,
                            double tolerance, const CountTarget& target,
                            const std::vector<EventGroups>& partitions) {
  LiftedDuals best;
  const auto consider = [&best, tolerance](LiftedDuals lifted) {
    if (lifted.y.empty()) return;
    for (size_t r = 1; r < lifted.y.size(); ++r) {
      lifted.value -= tolerance * std::fabs(lifted.y[r]);
    }
    if (best.y.empty() || lifted.value > best.value) best = std::move(lifted);
  };
  for (int32_t l = 0; l < n; ++l) {
    consider(LiftMomentDuals(masks, rhs, n, l, sense, target));
  }
  for (size_t k = 0; k < partitions.size(); ++k) {
    if (n > 64 || !PartitionProblem(partitions[k], n).empty()) continue;
    LiftedDuals lifted = LiftPartitionDuals(
        masks, rhs, GroupMasks(partitions[k]), sense, target);
    lifted.partition = static_cast<int32_t>(k);
    consider(std::move(lifted));
  }
  return best;
}

}  // namespace unionbound::sharp
