// Google Benchmark programs for the kernels that dominate a run: the binomial
// moments of many lengths, the moment shift, the moment matrix, LinSolve, one
// block bound and a whole bounding procedure, each on data of the size that
// the large runs use (the per-candidate kernels at m = 11, the largest order
// accepted). The step-by-step forms of tests/reference are timed beside the
// prepared ones.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "bounds/candidates.h"
#include "bounds/pass.h"
#include "bounds/procedure.h"
#include "numeric/labels.h"
#include "numeric/lin_solve.h"
#include "numeric/moment_shift.h"
#include "numeric/subset_order.h"
#include "optim/prepared_block_bound.h"
#include "optim/threshold_penalty.h"
#include "problem/binomial_moments.h"
#include "problem/power_moments.h"
#include "problem/support_rows.h"
#include "reference/block_bound.h"
#include "reference/lin_solve.h"
#include "reference/moment_matrix.h"
#include "reference/moment_shift.h"

namespace unionbound {
namespace {

const IndexMatrix kPair = {{1, 2}};

int64_t SubsetCount(int32_t n, int32_t m) {
  int64_t count = 0;
  for (int32_t i = 1; i <= m; ++i) {
    int64_t c = 1;
    for (int32_t j = 1; j <= i; ++j) c = c * (n - i + j) / j;
    count += c;
  }
  return count;
}

RealVector SomeProbabilities(int64_t count) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(0.0, 0.01);
  RealVector p;
  for (int64_t u = 0; u < count; ++u) p.push_back(unit(rng));
  return p;
}

// The data of one candidate of the lower-bound procedure for n = 2m events
// split in the middle, the case of the largest label lists.
struct Candidate {
  int32_t m;
  IndexVector maxOrders;
  LabelList labels;
  RealMatrix supports;
  RealVector b;
  RealVector mu;
  IndexMatrix Vks;
  IndexVector q;
  ReorderedSupports reordered;
  RealVector R;
};

Candidate MakeCandidate(int32_t m) {
  Candidate c;
  c.m = m;
  c.maxOrders = {m, m};
  c.labels = VariableIndexList(m, kPair, c.maxOrders);
  const int32_t n = 2 * m;
  c.supports = SupportRows(n, m);
  const RealVector p = SomeProbabilities(SubsetCount(n, m));
  c.b = BinomialMoments(p, n, m, m, kPair, c.maxOrders);
  c.mu = MatrixVectorProduct(PowerMomentMatrix(m, kPair, c.maxOrders), c.b);
  const CandidateSet set = LowerVks({m, n - m}, m, kPair, (m - 1) / 2);
  c.Vks = set.vksList[0];
  c.q = set.qList[0];
  c.reordered = ReorderByVks(c.supports, c.Vks, c.q);
  c.R = reference::ShiftMoments(c.mu, c.reordered.Q, c.labels, c.maxOrders);
  return c;
}

void BM_BinomialMomentsOfSixteenLengths(benchmark::State& state) {
  const int32_t n = 40;
  const int32_t m = 5;
  const RealVector p = SomeProbabilities(SubsetCount(n, m));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        BinomialMomentsOfLengths(p, n, 5, 16, m, kPair, {m, m}));
  }
  state.SetItemsProcessed(state.iterations() * 16 *
                          static_cast<int64_t>(p.size()));
}
BENCHMARK(BM_BinomialMomentsOfSixteenLengths)->Unit(benchmark::kMillisecond);

void BM_BinomialMomentsOfOneLength(benchmark::State& state) {
  const int32_t n = 40;
  const int32_t m = 5;
  const RealVector p = SomeProbabilities(SubsetCount(n, m));
  for (auto _ : state) {
    benchmark::DoNotOptimize(BinomialMoments(p, n, 20, m, kPair, {m, m}));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(p.size()));
}
BENCHMARK(BM_BinomialMomentsOfOneLength)->Unit(benchmark::kMillisecond);

void BM_ShiftMomentsByPlan(benchmark::State& state) {
  const Candidate c = MakeCandidate(static_cast<int32_t>(state.range(0)));
  const ShiftPlan plan = PlanShift(c.labels, c.maxOrders);
  RealVector r;
  for (auto _ : state) {
    ShiftMomentsByPlan(plan, c.mu, c.reordered.Q, &r);
    benchmark::DoNotOptimize(r.data());
  }
}
BENCHMARK(BM_ShiftMomentsByPlan)->Arg(5)->Arg(11);

void BM_ShiftMoments(benchmark::State& state) {
  const Candidate c = MakeCandidate(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        reference::ShiftMoments(c.mu, c.reordered.Q, c.labels, c.maxOrders));
  }
}
BENCHMARK(BM_ShiftMoments)->Arg(5)->Arg(11);

void BM_MomentMatrix(benchmark::State& state) {
  const Candidate c = MakeCandidate(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        reference::MomentMatrix(c.reordered.P, c.labels, c.maxOrders, c.m));
  }
}
BENCHMARK(BM_MomentMatrix)->Arg(5)->Arg(11);

// The master system of a candidate: the pair rows of its moment matrix.
struct MasterSystem {
  RealMatrix A;
  RealVector b;
};

MasterSystem PairRows(const Candidate& c) {
  const RealMatrix M =
      reference::MomentMatrix(c.reordered.P, c.labels, c.maxOrders, c.m);
  MasterSystem system;
  const size_t first = M.size() - M[0].size();
  for (size_t i = first; i < M.size(); ++i) {
    system.A.push_back(M[i]);
    system.b.push_back(c.R[i]);
  }
  return system;
}

void BM_LinSolve(benchmark::State& state) {
  const MasterSystem system =
      PairRows(MakeCandidate(static_cast<int32_t>(state.range(0))));
  for (auto _ : state) {
    benchmark::DoNotOptimize(reference::LinSolve(system.A, system.b));
  }
}
BENCHMARK(BM_LinSolve)->Arg(5)->Arg(11);

void BM_LinSolveInPlace(benchmark::State& state) {
  const MasterSystem system =
      PairRows(MakeCandidate(static_cast<int32_t>(state.range(0))));
  const size_t n = system.A.size();
  RealVector flat;
  for (const RealVector& row : system.A) {
    flat.insert(flat.end(), row.begin(), row.end());
  }
  RealVector a(flat.size());
  RealVector x(n);
  for (auto _ : state) {
    a = flat;
    x = system.b;
    LinSolveInPlace(a.data(), x.data(), static_cast<int32_t>(n));
    benchmark::DoNotOptimize(x.data());
  }
}
BENCHMARK(BM_LinSolveInPlace)->Arg(5)->Arg(11);

void BM_BlockBound(benchmark::State& state) {
  const Candidate c = MakeCandidate(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(reference::LowerBlockBound(
        ThresholdPenalty, c.reordered.P, c.reordered.Q, c.maxOrders, c.m, c.R,
        c.q, c.labels));
  }
}
BENCHMARK(BM_BlockBound)->Arg(5)->Arg(11);

void BM_PreparedBlockBound(benchmark::State& state) {
  const Candidate c = MakeCandidate(static_cast<int32_t>(state.range(0)));
  const IndexVector sizes = {c.m, c.m};
  PreparedBlockBound prepared =
      PrepareBlockBound(Sense::kMinimise, ThresholdPenaltyScoring(), sizes,
                        c.maxOrders, c.m, c.labels);
  for (auto _ : state) {
    benchmark::DoNotOptimize(EvaluatePreparedBlockBound(
        &prepared, c.reordered.P, c.reordered.Q, c.R, c.q));
  }
}
BENCHMARK(BM_PreparedBlockBound)->Arg(5)->Arg(11);

void BM_LowerBoundProcedure(benchmark::State& state) {
  const Candidate c = MakeCandidate(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(LowerBoundProcedure(
        ThresholdPenaltyScoring(), c.supports, c.mu, c.maxOrders, kPair, c.m));
  }
}
BENCHMARK(BM_LowerBoundProcedure)
    ->Arg(5)
    ->Arg(11)
    ->Unit(benchmark::kMillisecond);

// The lower bound of a pass as a run computes it: the procedure with its
// error estimate, and on rare events the rescaled evaluation after it.
// Rare: independent events with P(A_i) = 1e-9 * i.
void BM_CheckedPassBound(benchmark::State& state) {
  const int32_t m = static_cast<int32_t>(state.range(0));
  const bool rare = state.range(1) != 0;
  Candidate c = MakeCandidate(m);
  if (rare) {
    const int32_t n = 2 * m;
    RealVector p;
    for (const IndexVector& subset : SubsetsBySize(n, m)) {
      double product = 1.0;
      for (int32_t i : subset) product *= 1e-9 * i;
      p.push_back(product);
    }
    c.b = BinomialMoments(p, n, m, m, kPair, c.maxOrders);
    c.mu = MatrixVectorProduct(PowerMomentMatrix(m, kPair, c.maxOrders), c.b);
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(CheckedPassBound(Sense::kMinimise, c.supports, c.b,
                                              c.mu, c.maxOrders, kPair, c.m));
  }
}
BENCHMARK(BM_CheckedPassBound)
    ->Args({5, 0})
    ->Args({11, 0})
    ->Args({5, 1})
    ->Args({11, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace unionbound

BENCHMARK_MAIN();
