#include "sharp/analysis/classical_bounds.h"

#include <chrono>

namespace unionbound::sharp {
namespace {

// num / den in lowest terms.
Rational Fraction(const mpz_class& num, const mpz_class& den) {
  Rational q(num, den);
  q.canonicalize();
  return q;
}

// The pair values as a symmetric n x n table in units of 1 / scale, with
// the singles on the diagonal.
using PairTable = std::vector<std::vector<mpz_class>>;

bool FillPairTable(const ExactData& data, const SubsetList& subsets, int32_t n,
                   PairTable* table) {
  table->assign(static_cast<size_t>(n), std::vector<mpz_class>(n));
  for (SubsetCursor s(subsets); !s.done(); s.Next()) {
    const size_t u = s.index();
    const size_t size = s.size();
    if (size > 2) break;
    const mpz_class value = ScaledValue(data, u);
    if (value < 0 || value > data.scale) return false;
    const int32_t* e = s.members();
    const int32_t i = e[0] - 1;
    const int32_t j = size == 2 ? e[1] - 1 : i;
    (*table)[i][j] = value;
    (*table)[j][i] = value;
  }
  return true;
}

// Prim's method on the complete graph with weights table[i][j]: the edges
// of a spanning tree of the largest total weight, and that total.
mpz_class MaximumSpanningTree(const PairTable& table,
                              std::vector<std::pair<int32_t, int32_t>>* tree) {
  const int32_t n = static_cast<int32_t>(table.size());
  std::vector<bool> inTree(n, false);
  std::vector<int32_t> link(n, 0);  // the tree vertex nearest to each other
  mpz_class total = 0;
  inTree[0] = true;
  for (int32_t added = 1; added < n; ++added) {
    int32_t best = -1;
    for (int32_t v = 0; v < n; ++v) {
      if (inTree[v]) continue;
      if (best < 0 || table[v][link[v]] > table[best][link[best]]) best = v;
    }
    inTree[best] = true;
    total += table[best][link[best]];
    tree->push_back({link[best] + 1, best + 1});
    for (int32_t v = 0; v < n; ++v) {
      if (!inTree[v] && table[v][best] > table[v][link[v]]) link[v] = best;
    }
  }
  return total;
}

}  // namespace

ClassicalBounds ComputeClassicalBounds(const ExactData& data,
                                       const SubsetList& subsets, int32_t n,
                                       int32_t m) {
  const auto start = std::chrono::steady_clock::now();
  ClassicalBounds bounds;
  PairTable table;
  if (m < 2 || n < 1 || !FillPairTable(data, subsets, n, &table)) {
    return bounds;
  }
  mpz_class singles = 0;
  Rational deCaen = 0;
  Rational kat = 0;
  for (int32_t i = 0; i < n; ++i) {
    const mpz_class& a = table[i][i];
    singles += a;
    if (a == 0) continue;
    mpz_class sigma = 0;  // sum over j of p_ij, j = i included
    for (int32_t j = 0; j < n; ++j) sigma += table[i][j];
    deCaen += Fraction(a * a, sigma);
    // alpha = sigma / a = k + r / a; the term p_i (theta / (k + 1) +
    // (1 - theta) / k) equals (a (k + 1) - r) / (k (k + 1)) in units of
    // 1 / scale.
    mpz_class k;
    mpz_class r;
    mpz_fdiv_qr(k.get_mpz_t(), r.get_mpz_t(), sigma.get_mpz_t(), a.get_mpz_t());
    kat += Fraction(a * (k + 1) - r, k * (k + 1));
  }
  const Rational scale(data.scale);
  bounds.hunterWorsley =
      Fraction(singles - MaximumSpanningTree(table, &bounds.tree), data.scale);
  bounds.deCaen = deCaen / scale;
  bounds.kuaiAlajajiTakahara = kat / scale;
  bounds.computed = true;
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  bounds.seconds = spent.count();
  return bounds;
}

}  // namespace unionbound::sharp
