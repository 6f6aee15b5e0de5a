#include "sharp/atoms/lifted_duals.h"

#include <ClpSimplex.hpp>
#include <algorithm>
#include <bit>
#include <cmath>

namespace unionbound::sharp {
namespace {

// Row (a, b) of the moment program with a + b <= m, a <= l, b <= n - l.
struct MomentRows {
  int32_t m = 0;
  std::vector<int32_t> index;  // (a, b) -> row, -1 where there is none

  int32_t Row(int32_t a, int32_t b) const { return index[a * (m + 1) + b]; }
};

MomentRows MakeRows(int32_t n, int32_t l, int32_t m) {
  MomentRows rows{m, std::vector<int32_t>((m + 1) * (m + 1), -1)};
  int32_t next = 0;
  for (int32_t a = 0; a <= std::min(m, l); ++a) {
    for (int32_t b = 0; a + b <= m && b <= n - l; ++b) {
      rows.index[a * (m + 1) + b] = next++;
    }
  }
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

LiftedDuals LiftMomentDuals(const std::vector<AtomMask>& masks,
                            const RealVector& rhs, int32_t n, int32_t l,
                            AtomSense sense, const CountTarget& target) {
  int32_t m = 0;
  for (AtomMask a : masks) m = std::max(m, std::popcount(a));
  const AtomMask firstPart = (AtomMask{1} << l) - 1;
  const MomentRows rows = MakeRows(n, l, m);
  const int32_t rowCount =
      *std::max_element(rows.index.begin(), rows.index.end()) + 1;
  std::vector<int32_t> rowOf(masks.size());
  RealVector moments(rowCount, 0.0);
  // Rare events are solved on rows divided by the scale, as in the master:
  // the total becomes a limit on the nonempty cells, of no effect where it
  // lies beyond the solver's infinity.
  const double scale = DataRowScale(rhs);
  const int32_t total = rows.Row(0, 0);
  for (size_t u = 0; u < masks.size(); ++u) {
    rowOf[u] = rows.Row(std::popcount(masks[u] & firstPart),
                        std::popcount(masks[u] & ~firstPart));
    moments[rowOf[u]] += rhs[u + 1] / scale;
  }
  ClpSimplex model;
  model.setLogLevel(0);
  model.resize(rowCount, 0);
  for (int32_t r = 0; r < rowCount; ++r) {
    if (r != total) model.setRowBounds(r, moments[r], moments[r]);
  }
  if (scale == 1.0) {
    model.setRowBounds(total, rhs[0], rhs[0]);
  } else {
    const double limit = rhs[0] / scale;
    model.setRowBounds(total, -COIN_DBL_MAX,
                       limit < 1e27 ? limit : COIN_DBL_MAX);
  }
  // Column (i, j): atoms with i events among the first l, j among the rest.
  for (int32_t i = 0; i <= l; ++i) {
    const RealVector left = Binomials(i, m);
    for (int32_t j = 0; j <= n - l; ++j) {
      const RealVector right = Binomials(j, m);
      std::vector<int32_t> in;
      RealVector values;
      for (int32_t a = 0; a <= std::min(i, m); ++a) {
        for (int32_t b = 0; a + b <= m && b <= j; ++b) {
          in.push_back(rows.Row(a, b));
          values.push_back(left[a] * right[b]);
        }
      }
      model.addColumn(static_cast<int32_t>(in.size()), in.data(), values.data(),
                      0.0, COIN_DBL_MAX, CountCost(i + j, sense, target));
    }
  }
  model.dual();
  LiftedDuals lifted;
  lifted.l = l;
  if (!model.isProvenOptimal()) return lifted;
  const double* z = model.dualRowSolution();
  lifted.y.resize(rhs.size());
  lifted.y[0] = z[rows.Row(0, 0)];
  for (size_t u = 0; u < masks.size(); ++u) lifted.y[u + 1] = z[rowOf[u]];
  lifted.value = model.objectiveValue() * scale;
  return lifted;
}

LiftedDuals BestLiftedDuals(const std::vector<AtomMask>& masks,
                            const RealVector& rhs, int32_t n, AtomSense sense,
                            double tolerance, const CountTarget& target) {
  LiftedDuals best;
  for (int32_t l = 0; l < n; ++l) {
    LiftedDuals lifted = LiftMomentDuals(masks, rhs, n, l, sense, target);
    if (lifted.y.empty()) continue;
    for (size_t r = 1; r < lifted.y.size(); ++r) {
      lifted.value -= tolerance * std::fabs(lifted.y[r]);
    }
    if (best.y.empty() || lifted.value > best.value) best = std::move(lifted);
  }
  return best;
}

}  // namespace unionbound::sharp
