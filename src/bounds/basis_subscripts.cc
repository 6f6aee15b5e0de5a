#include "bounds/basis_subscripts.h"

#include <cstddef>

namespace unionbound {

namespace {

// Every Vks row needs m entries and every Kjs row maxOrders[i] - m + 1.
bool CanDeriveSubscripts(int32_t m, const IndexVector& maxOrders,
                         const IndexMatrix& Vks, const IndexMatrix& Kjs) {
  const size_t rows = Vks.size();
  if (rows == 0 || Kjs.size() < rows || maxOrders.size() < rows) return false;
  for (size_t i = 0; i < rows; ++i) {
    const int64_t needed = static_cast<int64_t>(maxOrders[i]) - m + 1;
    if (Vks[i].empty() || static_cast<int64_t>(Vks[i].size()) < m) {
      return false;
    }
    if (static_cast<int64_t>(Kjs[i].size()) < needed) return false;
  }
  return true;
}

IndexVector WithEntry(IndexVector base, size_t i, int32_t value) {
  base[i] = value;
  return base;
}

}  // namespace

IndexMatrix BasisSubscripts(int32_t m, const IndexMatrix& pairs,
                            const IndexVector& maxOrders,
                            const IndexMatrix& Vks, const IndexMatrix& Kjs,
                            int32_t j) {
  IndexMatrix result;
  if (!CanDeriveSubscripts(m, maxOrders, Vks, Kjs)) return result;
  const size_t rows = Vks.size();
  IndexMatrix E = Vks;
  for (size_t i = 0; i < rows; ++i) {
    for (int32_t t = m; t <= maxOrders[i]; ++t) {
      E[i].push_back(Kjs[i][t - m] - m + j + 1);
    }
  }
  IndexVector base;
  for (size_t i = 0; i < rows; ++i) base.push_back(E[i][0]);
  result.push_back(base);
  for (size_t i = 0; i < rows; ++i) {
    for (int32_t t = 1; t <= maxOrders[i]; ++t) {
      if (static_cast<size_t>(t) >= E[i].size()) break;
      result.push_back(WithEntry(base, i, E[i][t]));
    }
  }
  for (const IndexVector& pair : pairs) {
    if (pair.size() < 2) continue;
    const int32_t a = pair[0] - 1;
    const int32_t b = pair[1] - 1;
    if (a < 0 || b < 0 || static_cast<size_t>(a) >= rows ||
        static_cast<size_t>(b) >= rows) {
      continue;
    }
    for (int32_t D = 1; D <= m - 1; ++D) {
      for (int32_t t = 1; t <= m - D; ++t) {
        if (static_cast<size_t>(D) >= E[a].size() ||
            static_cast<size_t>(t) >= E[b].size()) {
          continue;
        }
        IndexVector row = base;
        row[a] = E[a][D];
        row[b] = E[b][t];
        result.push_back(row);
      }
    }
  }
  return result;
}

}  // namespace unionbound
