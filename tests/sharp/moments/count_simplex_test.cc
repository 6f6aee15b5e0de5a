// The exact simplex method of the count-vector programs: every optimum it
// reports comes with duals that prove it (checked here against every count
// vector, in rational arithmetic), whichever way the optimum was reached,
// and the floating-point start it pivots from is good enough that data with
// high-order moments many orders of magnitude below the first ones need no
// repair pivots.
#include "sharp/moments/count_simplex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "events/event_systems.h"
#include "sharp/moments/partition_program.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

Rational Binomial(int32_t k, int32_t e) {
  mpz_class b;
  mpz_bin_uiui(b.get_mpz_t(), static_cast<unsigned long>(k),
               static_cast<unsigned long>(e));
  return Rational(b);
}

// Checks that y proves `value` optimal for the program: y . rhs = value,
// and no count vector or extra column has a negative reduced cost.
void ExpectCertified(const CountProgram& p, const CountSimplexResult& r) {
  ASSERT_EQ(r.status, SimplexStatus::kOptimal);
  ASSERT_EQ(r.y.size(), p.rows.size());
  Rational dual = 0;
  for (size_t t = 0; t < p.rows.size(); ++t) dual += r.y[t] * p.rhs[t];
  EXPECT_EQ(dual, r.value);
  for (size_t e = 0; e < p.extra.size(); ++e) {
    Rational d = p.extra[e].cost;
    for (const auto& [row, value] : p.extra[e].entries) {
      d -= r.y[row] * Rational(value);
    }
    EXPECT_GE(d, 0) << "extra column " << e;
  }
  IndexVector counts(p.sizes.size(), 0);
  int64_t negative = 0;
  while (true) {
    int32_t total = 0;
    for (int32_t c : counts) total += c;
    Rational d = Counts(p.target, total) ? p.pointCost : 0;
    for (size_t t = 0; t < p.rows.size(); ++t) {
      if (p.rows[t].empty() || sgn(r.y[t]) == 0) continue;
      Rational entry = 1;
      for (size_t g = 0; g < counts.size(); ++g) {
        entry *= counts[g] < p.rows[t][g] ? Rational(0)
                                          : Binomial(counts[g], p.rows[t][g]);
      }
      d -= r.y[t] * entry;
    }
    if (sgn(d) < 0) ++negative;
    size_t g = counts.size();
    while (g > 0 && counts[g - 1] == p.sizes[g - 1]) counts[--g] = 0;
    if (g == 0) break;
    ++counts[g - 1];
  }
  EXPECT_EQ(negative, 0) << "count vectors with a negative reduced cost";
}

// Every family, as typed and widened, the union and "at least 2", both
// senses, three and four groups: each optimum is proven by its duals.
TEST(CountSimplex, OptimaCarryDualsThatProveThem) {
  const std::vector<EventGroups> partitions{
      {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}},
      {{1, 5, 9}, {2, 6, 10}, {3, 7, 11}, {4, 8, 12}}};
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 12, 3, 41);
    SCOPED_TRACE(s.name);
    const ExactData exact = ExactDataFromDoubles(s.p);
    const SubsetList subsets = AllSubsets(s.n, s.m);
    const Rational tolerance = RoundingTolerance();
    for (const EventGroups& groups : partitions) {
      SCOPED_TRACE(groups.size());
      for (const PartitionData& data :
           {MakePartitionData(exact, subsets, s.n, s.m, groups),
            WidenPartitionData(exact, subsets, s.n, s.m, groups, tolerance)}) {
        SCOPED_TRACE(data.widened ? "widened" : "as typed");
        for (const CountTarget& target : {CountTarget{}, CountTarget{2}}) {
          for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
            const CountProgram program =
                PartitionBoundProgram(data, sense, target);
            CountSimplexState state;
            const CountSimplexResult r = SolveCountProgram(program, &state);
            if (r.status == SimplexStatus::kInfeasible) continue;
            ExpectCertified(program, r);
          }
        }
      }
    }
  }
}

// Twelve independent events of probability 1/2 known up to pairs: the
// union's upper bound is 1. That optimum ties every count vector but 0 at
// reduced cost 0; it is proven by the total probability alone.
TEST(CountSimplex, AnUpperBoundOfOneIsProvenByTheTotalProbability) {
  const int32_t n = 12;
  const int32_t m = 2;
  const SubsetList subsets = AllSubsets(n, m);
  RealVector p;
  for (size_t k = 0; k < SubsetCount(subsets); ++k) {
    p.push_back(k < static_cast<size_t>(n) ? 0.5 : 0.25);
  }
  const PartitionData data =
      MakePartitionData(ExactDataFromDoubles(p), subsets, n, m,
                        {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}});
  const CountProgram upper = PartitionBoundProgram(data, Sense::kMaximise);
  CountSimplexState state;
  const CountSimplexResult r = SolveCountProgram(upper, &state);
  ASSERT_EQ(r.status, SimplexStatus::kOptimal);
  EXPECT_EQ(r.value, -1);
  ExpectCertified(upper, r);
  for (size_t t = 1; t < r.y.size(); ++t) EXPECT_EQ(r.y[t], 0) << t;
}

// Independent events at n = 40, m = 4 in four groups of ten: the moments
// of order 4 lie some six orders of magnitude below those of order 1. A
// floating-point start that met those rows with its artificial columns
// would leave the exact method hundreds of pivots of repair; it starts at
// the optimum or a few pivots from it. The pivot count is deterministic.
TEST(CountSimplex, TinyHighOrderMomentsNeedFewExactPivots) {
  const GeneratedSystem s = Generate(EventFamily::kIndependent, 40, 4, 7);
  const EventGroups groups{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
                           {11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
                           {21, 22, 23, 24, 25, 26, 27, 28, 29, 30},
                           {31, 32, 33, 34, 35, 36, 37, 38, 39, 40}};
  const PartitionData data = MakePartitionData(
      ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n, s.m, groups);
  for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
    const CountProgram program = PartitionBoundProgram(data, sense);
    CountSimplexState state;
    const CountSimplexResult r = SolveCountProgram(program, &state);
    ASSERT_EQ(r.status, SimplexStatus::kOptimal);
    EXPECT_LE(r.pivots, 20);
  }
}

}  // namespace
}  // namespace unionbound::sharp
