#include "sharp/moments/moment_table.h"

#include <cstddef>

namespace unionbound::sharp {

MomentTable BuildMomentTable(const ExactData& data, const mpz_class& by,
                             const SubsetList& subsets, int32_t n, int32_t m) {
  MomentTable table;
  table.n = n;
  table.m = m;
  table.prefix.resize(static_cast<size_t>(m) + 1);
  for (int32_t k = 1; k <= m; ++k) {
    table.prefix[k].assign(static_cast<size_t>(k) + 1,
                           std::vector<mpz_class>(static_cast<size_t>(n) + 1));
  }
  mpz_class value;
  for (SubsetCursor c(subsets); !c.done() && c.index() < data.size();
       c.Next()) {
    const size_t u = c.index();
    const int32_t* s = c.members();
    const size_t k = c.size();
    if (k < 1 || k > static_cast<size_t>(m) || SignOf(data, u) == 0) continue;
    ScaledValue(data, u, &value);
    for (size_t e = 1; e <= k; ++e) table.prefix[k][e][s[e - 1]] += value;
  }
  for (int32_t k = 1; k <= m; ++k) {
    for (int32_t e = 1; e <= k; ++e) {
      std::vector<mpz_class>& f = table.prefix[k][e];
      for (int32_t l = 1; l <= n; ++l) f[l] += f[l - 1];
      // The sum of the numbers times by is by times their sum.
      if (by != 1) {
        for (mpz_class& x : f) x *= by;
      }
    }
    // Every subset has its first member at most n.
    table.prefix[k][0].assign(static_cast<size_t>(n) + 1,
                              table.prefix[k][1][n]);
  }
  return table;
}

mpz_class GroupSum(const MomentTable& table, int32_t l, const GridRow& row) {
  const int32_t k = row.e1 + row.e2;
  if (row.e1 < 0 || k < 1 || k > table.m) return 0;
  const auto& f = table.prefix[k];
  const mpz_class& atLeast = f[row.e1][l];
  if (row.e1 + 1 > k) return atLeast;
  return atLeast - f[row.e1 + 1][l];
}

mpz_class GroupSize(int32_t n, int32_t l, const GridRow& row) {
  if (row.e1 < 0 || row.e1 > l || row.e2 > n - l) return 0;
  mpz_class a;
  mpz_class b;
  mpz_bin_uiui(a.get_mpz_t(), static_cast<unsigned long>(l),
               static_cast<unsigned long>(row.e1));
  mpz_bin_uiui(b.get_mpz_t(), static_cast<unsigned long>(n - l),
               static_cast<unsigned long>(row.e2));
  return a * b;
}

}  // namespace unionbound::sharp
