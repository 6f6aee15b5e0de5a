#include "optim/prepared_block_bound.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "numeric/labels.h"
#include "numeric/lin_solve.h"
#include "numeric/precise_solve.h"
#include "optim/basis_families.h"
#include "optim/threshold_penalty.h"

namespace unionbound {

namespace {

std::size_t Size(int32_t count) { return static_cast<std::size_t>(count); }

// The score of the point (x0, x1): the threshold penalty straight from the
// two coordinates; any other function is called with the point like
// BlockBound calls it.
double Score(PreparedBlockBound* prepared, double x0, double x1) {
  if (prepared->scoring.isThresholdPenalty) {
    return ThresholdPenaltyOfPoint(x0, x1);
  }
  prepared->point[0] = x0;
  prepared->point[1] = x1;
  return prepared->scoring.f(prepared->point);
}

// powers[k] = x^k for k = 0 .. last, each from the one before by one
// multiplication: the same products as IntPower(x, k).
void FillPowers(double x, int32_t last, double* powers) {
  powers[0] = 1.0;
  for (int32_t k = 1; k <= last; ++k) powers[k] = powers[k - 1] * x;
}

// The moment matrix of the candidate and the master step on it: the pair
// rows are solved for the weights, the leading rows give the residual z.
// Returns the master objective.
double SolveMaster(PreparedBlockBound* prepared, const RealMatrix& P,
                   const RealVector& R) {
  const std::size_t pairs = Size(prepared->pairCount);
  const std::size_t leading = Size(prepared->singleCount) + 1;
  double* z = prepared->residual.data();
  if (pairs == 0) {
    std::copy(R.begin(), R.begin() + static_cast<std::ptrdiff_t>(leading), z);
    return 0.0;
  }
  const std::size_t width = Size(prepared->maxPower) + 1;
  double* U = prepared->pairPowers.data();
  double* V = U + pairs * width;
  for (std::size_t c = 0; c < pairs; ++c) {
    FillPowers(P[0][Size(prepared->pairFirst[c])], prepared->maxPower,
               U + c * width);
    FillPowers(P[1][Size(prepared->pairSecond[c])], prepared->maxPower,
               V + c * width);
  }

  double* block = prepared->block.data();
  double* w = prepared->weights.data();
  for (std::size_t r = 0; r < pairs; ++r) {
    const std::size_t e1 = Size(prepared->pairFirst[r]);
    const std::size_t e2 = Size(prepared->pairSecond[r]);
    for (std::size_t c = 0; c < pairs; ++c) {
      block[r * pairs + c] = U[c * width + e1] * V[c * width + e2];
    }
    w[r] = R[leading + r];
  }
  LinSolveInPlace(block, w, prepared->pairCount);

  // Row 0 is all ones, then U^k for the orders of subsequence 1 and V^k for
  // those of subsequence 2.
  std::size_t i = 0;
  auto residualOfRow = [&](const double* powers, std::size_t k) {
    double y = 0.0;
    for (std::size_t c = 0; c < pairs; ++c) {
      const double entry = powers == nullptr ? 1.0 : powers[c * width + k];
      y = entry * w[c] + y;
    }
    z[i] = R[i] + -1.0 * y;
    ++i;
  };
  residualOfRow(nullptr, 0);
  for (int32_t k = 1; k <= prepared->orders[0]; ++k) residualOfRow(U, Size(k));
  for (int32_t k = 1; k <= prepared->orders[1]; ++k) residualOfRow(V, Size(k));

  double objective = 0.0;
  const double* D = prepared->differences.data();
  for (std::size_t c = 0; c < pairs; ++c) objective = D[c] * w[c] + objective;
  return objective;
}

// The subsequence step of subsequence k: every member of its family solves
// its square system, the best value wins, ties keep the first.
double SolveSubsequence(PreparedBlockBound* prepared, std::size_t k,
                        const RealVector& row, const double* H, int32_t s) {
  const std::size_t N = Size(prepared->points[k]);
  const std::size_t a = Size(prepared->orders[k]);
  const std::size_t fixed = Size(prepared->m) - 1;
  // powers[i * (N + 1) + e] = row[e]^i.
  double* powers = prepared->pointPowers.data();
  for (std::size_t e = 1; e <= N; ++e) {
    powers[e] = 1.0;
    for (std::size_t i = 1; i <= a; ++i) {
      powers[i * (N + 1) + e] = powers[(i - 1) * (N + 1) + e] * row[e];
    }
  }
  const int32_t parity = s % 2;
  const bool plain =
      prepared->sense == Sense::kMinimise ? parity == 1 : parity == 0;
  const std::vector<IndexVector>& family =
      plain ? prepared->plainFamily[k] : prepared->endFamily[k];

  const double* G = prepared->costs.data();
  double* system = prepared->system.data();
  double* x = prepared->solution.data();
  double* c = prepared->memberCosts.data();
  double best = SentinelFor(prepared->sense);
  prepared->chosen[k] = nullptr;
  for (const IndexVector& member : family) {
    for (std::size_t i = 0; i < a; ++i) {
      const double* rowPowers = powers + (i + 1) * (N + 1);
      double* out = system + i * a;
      for (std::size_t e = 1; e <= fixed; ++e) *out++ = rowPowers[e];
      for (int32_t b : member) *out++ = rowPowers[Size(b)];
    }
    std::size_t col = 0;
    for (std::size_t e = 0; e < fixed; ++e) c[col++] = G[e];
    for (int32_t b : member) c[col++] = G[Size(b) - 1];
    std::copy(H, H + a, x);
    LinSolveInPlace(system, x, static_cast<int32_t>(a));
    double v = 0.0;
    for (std::size_t i = 0; i < a; ++i) v = x[i] * c[i] + v;
    if (Improves(prepared->sense, v, best)) {
      best = v;
      prepared->chosen[k] = &member;
    }
  }
  return best;
}

// Whether (0, 0) is the base point, a pair point or a point of a chosen
// basis (the fixed points 1 .. m - 1 or the chosen member) of the candidate.
bool HasOrigin(const PreparedBlockBound& prepared, const RealMatrix& P,
               const RealVector& Q) {
  auto origin = [](double x0, double x1) { return x0 == 0.0 && x1 == 0.0; };
  if (origin(Q[0], Q[1])) return true;
  for (std::size_t c = 0; c < Size(prepared.pairCount); ++c) {
    if (origin(Q[0] + P[0][Size(prepared.pairFirst[c])],
               Q[1] + P[1][Size(prepared.pairSecond[c])])) {
      return true;
    }
  }
  for (std::size_t k = 0; k < 2; ++k) {
    // A point of subsequence k keeps the other coordinate at Q's.
    if (Q[1 - k] != 0.0) continue;
    const RealVector& row = P[k];
    for (std::size_t e = 1; e < Size(prepared.m); ++e) {
      if (Q[k] + row[e] == 0.0) return true;
    }
    if (prepared.chosen[k] == nullptr) continue;
    for (int32_t b : *prepared.chosen[k]) {
      if (Q[k] + row[Size(b)] == 0.0) return true;
    }
  }
  return false;
}

}  // namespace

bool CanPrepareBlockBound(const IndexVector& sizes, const IndexVector& C,
                          int32_t m, const LabelList& L) {
  if (sizes.size() != 2 || C.size() != 2 || m < 1) return false;
  for (std::size_t k = 0; k < 2; ++k) {
    if (sizes[k] < m || C[k] < m) return false;
  }
  return L == VariableIndexList(m, {{1, 2}}, C);
}

PreparedBlockBound PrepareBlockBound(Sense sense, Scoring scoring,
                                     const IndexVector& sizes,
                                     const IndexVector& C, int32_t m,
                                     const LabelList& L) {
  PreparedBlockBound prepared;
  prepared.sense = sense;
  prepared.scoring = scoring;
  prepared.m = m;
  prepared.singleCount = C[0] + C[1];
  prepared.pairCount =
      static_cast<int32_t>(L.size()) - 1 - prepared.singleCount;
  prepared.maxPower = std::max({C[0], C[1], m});
  for (std::size_t t = Size(prepared.singleCount) + 1; t < L.size(); ++t) {
    prepared.pairFirst.push_back(L[t][1][0]);
    prepared.pairSecond.push_back(L[t][1][1]);
  }
  for (std::size_t k = 0; k < 2; ++k) {
    prepared.orders[k] = C[k];
    prepared.points[k] = sizes[k];
    prepared.plainFamily[k] = PairBases(sizes[k], m, C[k]);
    prepared.endFamily[k] = PairBasesWithEnd(sizes[k], m, C[k]);
  }

  const std::size_t pairs = Size(prepared.pairCount);
  const std::size_t width = Size(prepared.maxPower) + 1;
  const std::size_t maxOrder = Size(std::max(C[0], C[1]));
  const std::size_t maxPoints = Size(std::max(sizes[0], sizes[1]));
  prepared.point.assign(2, 0.0);
  prepared.differences.assign(pairs, 0.0);
  prepared.pairPowers.assign(2 * pairs * width, 0.0);
  prepared.block.assign(pairs * pairs, 0.0);
  prepared.weights.assign(pairs, 0.0);
  prepared.residual.assign(Size(prepared.singleCount) + 1, 0.0);
  prepared.pointPowers.assign((maxOrder + 1) * (maxPoints + 1), 0.0);
  prepared.costs.assign(maxPoints, 0.0);
  prepared.memberCosts.assign(maxOrder, 0.0);
  prepared.system.assign(maxOrder * maxOrder, 0.0);
  prepared.solution.assign(maxOrder, 0.0);
  return prepared;
}

namespace {

// C(x, e) for a whole number x >= 0, exactly while it fits the mantissa.
long double Binomial(double x, int32_t e) {
  long double r = 1.0L;
  for (int32_t i = 0; i < e; ++i) {
    r = r * (static_cast<long double>(x) - i) / (i + 1);
  }
  return r;
}

}  // namespace

long double PreciseOptimum(const PreparedBlockBound& prepared,
                           const RealMatrix& P, const RealVector& Q,
                           const RealVector& b) {
  const long double nan = std::nanl("");
  RealVector x0{Q[0]};
  RealVector x1{Q[1]};
  for (std::size_t c = 0; c < Size(prepared.pairCount); ++c) {
    x0.push_back(Q[0] + P[0][Size(prepared.pairFirst[c])]);
    x1.push_back(Q[1] + P[1][Size(prepared.pairSecond[c])]);
  }
  for (std::size_t k = 0; k < 2; ++k) {
    if (prepared.chosen[k] == nullptr) return nan;
    IndexVector columns;
    for (int32_t e = 1; e < prepared.m; ++e) columns.push_back(e);
    columns.insert(columns.end(), prepared.chosen[k]->begin(),
                   prepared.chosen[k]->end());
    for (int32_t e : columns) {
      const double moved = P[k][Size(e)];
      x0.push_back(k == 0 ? Q[0] + moved : Q[0]);
      x1.push_back(k == 1 ? Q[1] + moved : Q[1]);
    }
  }
  const std::size_t count = x0.size();
  if (b.size() != count) return nan;
  // With (0, 0) among the points its weight is all the first row holds:
  // the other rows (labels of order 1 and more) vanish there. Solving them
  // alone gives the other weights without 1 minus a weight near 1.
  std::size_t origin = count;
  for (std::size_t j = 0; j < count; ++j) {
    if (x0[j] == 0.0 && x1[j] == 0.0) origin = j;
  }
  const std::size_t first = origin < count ? 1 : 0;
  const std::size_t n = count - first;
  std::vector<long double> a(n * n);
  std::vector<long double> weights(
      b.begin() + static_cast<std::ptrdiff_t>(first), b.end());
  std::vector<long double> entries(count);  // one per label
  std::size_t column = 0;
  for (std::size_t j = 0; j < count; ++j) {
    if (j == origin) continue;
    std::size_t t = 0;
    entries[t++] = 1.0L;
    for (int32_t e = 1; e <= prepared.orders[0]; ++e) {
      entries[t++] = Binomial(x0[j], e);
    }
    for (int32_t e = 1; e <= prepared.orders[1]; ++e) {
      entries[t++] = Binomial(x1[j], e);
    }
    for (std::size_t c = 0; c < Size(prepared.pairCount); ++c) {
      entries[t++] = Binomial(x0[j], prepared.pairFirst[c]) *
                     Binomial(x1[j], prepared.pairSecond[c]);
    }
    for (std::size_t row = 0; row < n; ++row) {
      a[row * n + column] = entries[row + first];
    }
    ++column;
  }
  if (!PreciseSolve(&a, &weights, static_cast<int32_t>(n))) return nan;
  long double optimum = 0.0L;
  column = 0;
  for (std::size_t j = 0; j < count; ++j) {
    if (j == origin) continue;
    optimum += weights[column++] * ThresholdPenaltyOfPoint(x0[j], x1[j]);
  }
  return optimum;
}

double EvaluatePreparedBlockBound(PreparedBlockBound* prepared,
                                  const RealMatrix& P, const RealVector& Q,
                                  const RealVector& R, const IndexVector& q) {
  const double f0 = Score(prepared, Q[0], Q[1]);
  for (std::size_t c = 0; c < Size(prepared->pairCount); ++c) {
    prepared->differences[c] =
        Score(prepared, Q[0] + P[0][Size(prepared->pairFirst[c])],
              Q[1] + P[1][Size(prepared->pairSecond[c])]) -
        f0;
  }
  const double objective = SolveMaster(prepared, P, R);

  double values[2];
  std::size_t offset = 1;
  for (std::size_t k = 0; k < 2; ++k) {
    const RealVector& row = P[k];
    for (std::size_t e = 1; e <= Size(prepared->points[k]); ++e) {
      const double x0 = k == 0 ? Q[0] + row[e] : Q[0];
      const double x1 = k == 1 ? Q[1] + row[e] : Q[1];
      prepared->costs[e - 1] = Score(prepared, x0, x1) - f0;
    }
    const double* H = prepared->residual.data() + offset;
    offset += Size(prepared->orders[k]);
    const int32_t s = k < q.size() ? q[k] : 0;
    values[k] = SolveSubsequence(prepared, k, row, H, s);
  }
  double total = 0.0;
  total = total + values[0];
  total = total + values[1];
  prepared->originIsPoint = HasOrigin(*prepared, P, Q);
  return (objective + total) + f0;
}

}  // namespace unionbound
