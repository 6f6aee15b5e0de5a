#include "sharp/moments/partition_rules.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>

namespace unionbound::sharp {
namespace {

double ValueAsDouble(const ExactData& data, size_t u) {
  Rational q(ScaledValue(data, u), data.scale);
  q.canonicalize();
  return q.get_d();
}

// The average dependence of event e on the events of group g (without e).
double Tie(const EventStatistics& stats, int32_t e, const IndexVector& g) {
  double sum = 0.0;
  int32_t count = 0;
  for (int32_t f : g) {
    if (f == e) continue;
    sum += stats.dependence[e - 1][f - 1];
    ++count;
  }
  return count > 0 ? sum / count : 0.0;
}

EventGroups Sorted(EventGroups groups) { return CanonicalGroups(groups); }

// The events of g by decreasing marginal.
IndexVector ByMarginal(const EventStatistics& stats, IndexVector g) {
  std::stable_sort(g.begin(), g.end(), [&stats](int32_t a, int32_t b) {
    return stats.marginal[a - 1] > stats.marginal[b - 1];
  });
  return g;
}

}  // namespace

EventStatistics MakeEventStatistics(const ExactData& data,
                                    const SubsetList& subsets, int32_t n) {
  EventStatistics stats;
  stats.n = n;
  stats.marginal.assign(static_cast<size_t>(n), 0.0);
  RealMatrix pair(static_cast<size_t>(n), RealVector(n, 0.0));
  bool pairs = false;
  for (SubsetCursor c(subsets); !c.done() && c.index() < data.size();
       c.Next()) {
    const size_t u = c.index();
    const size_t k = c.size();
    const int32_t* s = c.members();
    if (k == 1) {
      stats.marginal[s[0] - 1] = ValueAsDouble(data, u);
    } else if (k == 2) {
      pair[s[0] - 1][s[1] - 1] = pair[s[1] - 1][s[0] - 1] =
          ValueAsDouble(data, u);
      pairs = true;
    } else if (k > 2) {
      break;  // the subsets come by size
    }
  }
  stats.dependence.assign(static_cast<size_t>(n), RealVector(n, 0.0));
  if (!pairs) return stats;
  for (int32_t i = 0; i < n; ++i) {
    for (int32_t j = 0; j < n; ++j) {
      if (i == j) continue;
      const double pi = stats.marginal[i];
      const double pj = stats.marginal[j];
      const double spread = pi * (1 - pi) * pj * (1 - pj);
      if (!(spread > 0.0)) continue;
      const double c = (pair[i][j] - pi * pj) / std::sqrt(spread);
      stats.dependence[i][j] = std::isfinite(c) ? c : 0.0;
    }
  }
  return stats;
}

IndexVector MarginalOrder(const EventStatistics& stats) {
  IndexVector all(static_cast<size_t>(stats.n));
  std::iota(all.begin(), all.end(), 1);
  return ByMarginal(stats, all);
}

EventGroups SortedByMarginal(const EventStatistics& stats, int32_t t) {
  const IndexVector order = MarginalOrder(stats);
  const int32_t n = stats.n;
  EventGroups groups(static_cast<size_t>(t));
  for (int32_t g = 0; g < t; ++g) {
    for (int32_t k = n * g / t; k < n * (g + 1) / t; ++k) {
      groups[g].push_back(order[k]);
    }
  }
  return Sorted(groups);
}

EventGroups ClusteredOnDependence(const EventStatistics& stats, int32_t t) {
  const int32_t n = stats.n;
  EventGroups clusters;
  for (int32_t e = 1; e <= n; ++e) clusters.push_back({e});
  // similarity[a][b]: the average dependence between clusters a and b.
  RealMatrix similarity = stats.dependence;
  std::vector<bool> alive(static_cast<size_t>(n), true);
  for (int32_t left = n; left > t; --left) {
    int32_t bestA = -1;
    int32_t bestB = -1;
    for (int32_t a = 0; a < n; ++a) {
      if (!alive[a]) continue;
      for (int32_t b = a + 1; b < n; ++b) {
        if (alive[b] &&
            (bestA < 0 || similarity[a][b] > similarity[bestA][bestB])) {
          bestA = a;
          bestB = b;
        }
      }
    }
    const double sa = static_cast<double>(clusters[bestA].size());
    const double sb = static_cast<double>(clusters[bestB].size());
    for (int32_t c = 0; c < n; ++c) {
      if (!alive[c] || c == bestA || c == bestB) continue;
      const double merged =
          (sa * similarity[bestA][c] + sb * similarity[bestB][c]) / (sa + sb);
      similarity[bestA][c] = similarity[c][bestA] = merged;
    }
    clusters[bestA].insert(clusters[bestA].end(), clusters[bestB].begin(),
                           clusters[bestB].end());
    clusters[bestB].clear();
    alive[bestB] = false;
  }
  EventGroups groups;
  for (int32_t a = 0; a < n; ++a) {
    if (alive[a]) groups.push_back(clusters[a]);
  }
  return Sorted(groups);
}

EventGroups BalancedClusters(const EventStatistics& stats, int32_t t) {
  EventGroups groups = ClusteredOnDependence(stats, t);
  const size_t cap = static_cast<size_t>((stats.n + t - 1) / t);
  for (size_t g = 0; g < groups.size(); ++g) {
    while (groups[g].size() > cap) {
      // The member least tied to the rest of its group leaves it.
      size_t leaving = 0;
      for (size_t k = 1; k < groups[g].size(); ++k) {
        if (Tie(stats, groups[g][k], groups[g]) <
            Tie(stats, groups[g][leaving], groups[g])) {
          leaving = k;
        }
      }
      const int32_t e = groups[g][leaving];
      groups[g].erase(groups[g].begin() + static_cast<long>(leaving));
      long target = -1;
      for (size_t h = 0; h < groups.size(); ++h) {
        if (h == g || groups[h].size() >= cap) continue;
        if (target < 0 ||
            Tie(stats, e, groups[h]) > Tie(stats, e, groups[target])) {
          target = static_cast<long>(h);
        }
      }
      groups[target].push_back(e);  // t groups of at most cap hold n
    }
  }
  return Sorted(groups);
}

EventGroups RefinePartition(const EventStatistics& stats, EventGroups groups,
                            int32_t t) {
  while (static_cast<int32_t>(groups.size()) < t) {
    size_t largest = 0;
    for (size_t g = 1; g < groups.size(); ++g) {
      if (groups[g].size() > groups[largest].size()) largest = g;
    }
    if (groups[largest].size() < 2) break;  // t > n: nothing left to split
    const IndexVector order = ByMarginal(stats, groups[largest]);
    const size_t half = order.size() / 2;
    groups[largest].assign(order.begin(), order.begin() + half);
    groups.emplace_back(order.begin() + half, order.end());
  }
  return Sorted(groups);
}

EventGroups SplitGroups(int32_t n, int32_t l) {
  IndexVector order(static_cast<size_t>(n));
  std::iota(order.begin(), order.end(), 1);
  return SplitGroups(order, l);
}

EventGroups SplitGroups(const IndexVector& order, int32_t l) {
  EventGroups groups(2);
  groups[0].assign(order.begin(), order.begin() + l);
  groups[1].assign(order.begin() + l, order.end());
  for (IndexVector& g : groups) std::sort(g.begin(), g.end());
  return groups;
}

SubsetList RenamedSubsets(const SubsetList& subsets, const IndexVector& order) {
  IndexVector place(order.size() + 1, 0);
  for (size_t k = 0; k < order.size(); ++k) {
    place[order[k]] = static_cast<int32_t>(k) + 1;
  }
  SubsetList renamed = subsets;
  renamed.name.assign(static_cast<size_t>(subsets.n) + 1, 0);
  for (int32_t e = 1; e <= subsets.n; ++e) {
    const int32_t named = subsets.name.empty() ? e : subsets.name[e];
    renamed.name[e] =
        named < static_cast<int32_t>(place.size()) ? place[named] : named;
  }
  return renamed;
}

}  // namespace unionbound::sharp
