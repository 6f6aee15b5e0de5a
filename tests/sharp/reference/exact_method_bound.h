// The method's bound of a pass in exact rational arithmetic, as the yardstick
// for the double evaluation: every candidate of a procedure is the exact
// solution of its points' moment system, and the procedure keeps the best
// one. Used by the sharp tests and bench/rare_events.cc; needs GMP.
//
// A candidate's optimum is sum_j w_j f(x_j) over its points x_j with
// M w = mu, M the monomials of the labels at the points. With M^T y = f that
// is y . mu = y . (Pow b) = (Pow^T y) . b, so every candidate is a fixed
// rational vector gamma with optimum gamma . b, worked out once per length
// and used for any data.
#ifndef UNIONBOUND_TESTS_SHARP_EXACT_METHOD_BOUND_H_
#define UNIONBOUND_TESTS_SHARP_EXACT_METHOD_BOUND_H_

#include <gmpxx.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "bounds/candidates.h"
#include "bounds/procedure.h"
#include "numeric/labels.h"
#include "optim/basis_families.h"
#include "optim/sense.h"
#include "problem/power_moments.h"
#include "problem/support_rows.h"
#include "sharp/exact/rational.h"

namespace unionbound::exact_method {

using sharp::ExactDot;
using sharp::ExactValue;
using sharp::ExactValues;
using sharp::RationalVector;
using Coefficients = std::vector<mpq_class>;

// The points of a candidate (integer coordinates), in the order of the
// inner optimisation: base point, pair points, then the basis points of
// each subsequence.
inline std::vector<std::pair<int64_t, int64_t>> CandidatePoints(
    Sense sense, const RealMatrix& supports, const IndexMatrix& Vks,
    const IndexVector& q, int32_t m) {
  const ReorderedSupports r = ReorderByVks(supports, Vks, q);
  const LabelList L = VariableIndexList(m, {{1, 2}}, {m, m});
  std::vector<std::pair<int64_t, int64_t>> points;
  auto add = [&](double x0, double x1) {
    points.emplace_back(static_cast<int64_t>(x0), static_cast<int64_t>(x1));
  };
  add(r.Q[0], r.Q[1]);
  for (std::size_t t = 1 + 2 * static_cast<std::size_t>(m); t < L.size(); ++t) {
    add(r.Q[0] + r.P[0][static_cast<std::size_t>(L[t][1][0])],
        r.Q[1] + r.P[1][static_cast<std::size_t>(L[t][1][1])]);
  }
  for (std::size_t k = 0; k < 2; ++k) {
    const int32_t N = static_cast<int32_t>(r.P[k].size()) - 1;
    const int32_t parity = q[k] % 2;
    const bool plain = sense == Sense::kMinimise ? parity == 1 : parity == 0;
    const std::vector<IndexVector> family =
        plain ? PairBases(N, m, m) : PairBasesWithEnd(N, m, m);
    IndexVector columns;
    for (int32_t e = 1; e < m; ++e) columns.push_back(e);
    for (int32_t b : family.at(0)) columns.push_back(b);
    for (int32_t e : columns) {
      const double moved = r.P[k][static_cast<std::size_t>(e)];
      if (k == 0) add(r.Q[0] + moved, r.Q[1]);
      if (k == 1) add(r.Q[0], r.Q[1] + moved);
    }
  }
  return points;
}

// gamma of a candidate, or nothing when its moment system is singular.
inline std::optional<Coefficients> CandidateCoefficients(
    const std::vector<std::pair<int64_t, int64_t>>& points, int32_t m) {
  const LabelList L = VariableIndexList(m, {{1, 2}}, {m, m});
  const std::size_t size = L.size();
  if (points.size() != size) return std::nullopt;
  // A[j][t] = monomial of label t at point j (the transpose of M), with f.
  std::vector<std::vector<mpq_class>> A(size, std::vector<mpq_class>(size + 1));
  for (std::size_t j = 0; j < size; ++j) {
    const mpz_class x0 = static_cast<long>(points[j].first);
    const mpz_class x1 = static_cast<long>(points[j].second);
    auto power = [](const mpz_class& x, int32_t e) {
      mpz_class r = 1;
      for (int32_t i = 0; i < e; ++i) r *= x;
      return r;
    };
    for (std::size_t t = 0; t < size; ++t) {
      if (t == 0) {
        A[j][t] = 1;
      } else if (L[t][0].size() == 1) {
        A[j][t] = power(L[t][0][0] == 1 ? x0 : x1, L[t][1][0]);
      } else {
        A[j][t] = power(x0, L[t][1][0]) * power(x1, L[t][1][1]);
      }
    }
    const bool origin = points[j].first == 0 && points[j].second == 0;
    A[j][size] = origin ? 0 : -1;
  }
  for (std::size_t c = 0; c < size; ++c) {
    std::size_t pivot = c;
    while (pivot < size && A[pivot][c] == 0) ++pivot;
    if (pivot == size) return std::nullopt;
    std::swap(A[pivot], A[c]);
    for (std::size_t r = 0; r < size; ++r) {
      if (r == c || A[r][c] == 0) continue;
      const mpq_class factor = A[r][c] / A[c][c];
      for (std::size_t k = c; k <= size; ++k) A[r][k] -= factor * A[c][k];
    }
  }
  Coefficients y(size);
  for (std::size_t t = 0; t < size; ++t) y[t] = A[t][size] / A[t][t];
  const RealMatrix pow = PowerMomentMatrix(m, {{1, 2}}, {m, m});
  Coefficients gamma(size, mpq_class(0));
  for (std::size_t s = 0; s < size; ++s) {
    for (std::size_t t = 0; t < size; ++t) {
      if (pow[t][s] != 0.0) gamma[s] += y[t] * ExactValue(pow[t][s]);
    }
  }
  return gamma;
}

// Every candidate of the procedure of the sense at length l.
struct Procedure {
  std::vector<Coefficients> candidates;
  int32_t singular = 0;  // candidates whose system is singular
};

inline Procedure PrepareProcedure(Sense sense, int32_t n, int32_t m,
                                  int32_t l) {
  Procedure procedure;
  const RealMatrix supports = SupportRows(n, l);
  const IndexVector sizes = {l, n - l};
  for (int32_t j = -1; j <= m - 1; ++j) {
    const CandidateSet set = GenerateVks(sense, sizes, m, {{1, 2}}, j);
    for (std::size_t e = 0; e < set.vksList.size(); ++e) {
      auto gamma = CandidateCoefficients(
          CandidatePoints(sense, supports, set.vksList[e], set.qList[e], m), m);
      if (gamma) {
        procedure.candidates.push_back(std::move(*gamma));
      } else {
        ++procedure.singular;
      }
    }
  }
  return procedure;
}

// The exact best optimum (the negated bound) for binomial moments b.
inline mpq_class BestOptimum(Sense sense, const Procedure& procedure,
                             const RealVector& b) {
  const RationalVector exact = ExactValues(b);
  std::optional<mpq_class> best;
  for (const Coefficients& gamma : procedure.candidates) {
    mpq_class v = ExactDot(gamma, exact);
    const bool better =
        !best || (sense == Sense::kMinimise ? v < *best : v > *best);
    if (better) best = v;
  }
  return best.value_or(mpq_class(0));
}

}  // namespace unionbound::exact_method

#endif  // UNIONBOUND_TESTS_SHARP_EXACT_METHOD_BOUND_H_
