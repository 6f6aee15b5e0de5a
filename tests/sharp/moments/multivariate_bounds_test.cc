// The programs over a partition of the events: against hand-computed
// optima, the bivariate programs they generalise, the full program over
// atoms, and the true union probability of generated systems; and the
// partition rules against systems with planted groups.
#include "sharp/moments/multivariate_bounds.h"

#include <gtest/gtest.h>

#include <string>

#include "events/event_systems.h"
#include "numeric/subset_order.h"
#include "reference/dense_atom_program.h"
#include "sharp/atoms/full_program.h"
#include "sharp/moments/count_simplex.h"
#include "sharp/moments/partition_program.h"
#include "sharp/moments/partition_rules.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

Rational Q(const char* text) {
  Rational q(text);
  q.canonicalize();
  return q;
}

SharpInterval SolvePartition(const GeneratedSystem& s,
                             const EventGroups& groups) {
  return ComputePartitionInterval(MakePartitionData(
      ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n, s.m, groups));
}

// Three events, each its own group, m = 2: every P(A_S) but that of the
// triple is fixed, so the atoms are those of q = P(A_1 A_2 A_3) and the
// union is S1 - S2 + q, with q between max(0, p_ij + p_ik - p_i) and
// min(p_ij, 1 - S1 + S2).
TEST(PartitionProgram, ThreeSingletonGroupsGiveTheHandComputedOptima) {
  // p1, p2, p3, p12, p13, p23: S1 = 6/5, S2 = 2/5.
  const RationalVector p = {Q("1/2"), Q("2/5"),  Q("3/10"),
                            Q("1/5"), Q("1/10"), Q("1/10")};
  const PartitionData data = MakePartitionData(
      ExactDataFromRationals(p), AllSubsets(3, 2), 3, 2, {{1}, {2}, {3}});
  EXPECT_EQ(data.orders.size(), 7u);  // the empty one, 3 singles, 3 pairs
  const SharpInterval in = ComputePartitionInterval(data);
  ASSERT_EQ(in.lower.status, SharpStatus::kSharp);
  ASSERT_EQ(in.upper.status, SharpStatus::kSharp);
  EXPECT_EQ(in.lower.exact, Q("4/5"));   // q = 0
  EXPECT_EQ(in.upper.exact, Q("9/10"));  // q = p13 = p23
  // Larger pairs force q >= p13 + p23 - p3 = 3/20 and cap it at p23 = 1/5:
  // S1 - S2 = 9/20.
  const RationalVector tied = {Q("1/2"),  Q("2/5"), Q("3/10"),
                               Q("3/10"), Q("1/4"), Q("1/5")};
  const SharpInterval in2 = ComputePartitionInterval(MakePartitionData(
      ExactDataFromRationals(tied), AllSubsets(3, 2), 3, 2, {{1}, {2}, {3}}));
  EXPECT_EQ(in2.lower.exact, Q("3/5"));
  EXPECT_EQ(in2.upper.exact, Q("13/20"));
  // P(A_1 A_3) above P(A_3): no distribution, and the program proves it.
  const RationalVector broken = {Q("1/2"), Q("2/5"),  Q("1/20"),
                                 Q("1/5"), Q("1/10"), Q("1/10")};
  const SharpInterval in3 = ComputePartitionInterval(MakePartitionData(
      ExactDataFromRationals(broken), AllSubsets(3, 2), 3, 2, {{1}, {2}, {3}}));
  EXPECT_EQ(in3.lower.status, SharpStatus::kInfeasible);
  EXPECT_EQ(in3.upper.status, SharpStatus::kInfeasible);
}

// Two contiguous groups are the bivariate program of that split: equal
// optima, exactly, as typed and widened.
TEST(PartitionProgram, TwoContiguousGroupsAreTheBivariateProgram) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 11, 3, 5);
    SCOPED_TRACE(s.name);
    const ExactData exact = ExactDataFromDoubles(s.p);
    const SubsetList subsets = AllSubsets(s.n, s.m);
    const Rational tolerance = RoundingTolerance();
    const ProgramData typed = MakeProgramData(exact, subsets, s.n, s.m);
    const ProgramData wide =
        WidenProgramData(exact, subsets, s.n, s.m, tolerance);
    for (int32_t l : {3, 5, 8}) {
      SCOPED_TRACE("l=" + std::to_string(l));
      const EventGroups groups = SplitGroups(s.n, l);
      WarmStart warm;
      const SharpInterval grid = ComputeSharpInterval(typed, l, &warm);
      const SharpInterval count = ComputePartitionInterval(
          MakePartitionData(exact, subsets, s.n, s.m, groups));
      EXPECT_EQ(count.lower.status, grid.lower.status);
      EXPECT_EQ(count.upper.status, grid.upper.status);
      if (IsUsable(grid.lower)) {
        EXPECT_EQ(count.lower.exact, grid.lower.exact);
      }
      if (IsUsable(grid.upper)) {
        EXPECT_EQ(count.upper.exact, grid.upper.exact);
      }
      WarmStart warmWide;
      const SharpInterval gridWide = ComputeSharpInterval(wide, l, &warmWide);
      const SharpInterval countWide = ComputePartitionInterval(
          WidenPartitionData(exact, subsets, s.n, s.m, groups, tolerance));
      ASSERT_TRUE(IsUsable(gridWide.lower) && IsUsable(countWide.lower));
      ASSERT_TRUE(IsUsable(gridWide.upper) && IsUsable(countWide.upper));
      EXPECT_EQ(countWide.lower.exact, gridWide.lower.exact);
      EXPECT_EQ(countWide.upper.exact, gridWide.upper.exact);
    }
  }
}

// One group is the univariate program; groups smaller than m leave out
// the orders they cannot hold, and still refine the split they come from.
TEST(PartitionProgram, OneGroupAndGroupsSmallerThanM) {
  for (EventFamily family :
       {EventFamily::kCommonShock, EventFamily::kGaussianThreshold}) {
    const GeneratedSystem s = Generate(family, 10, 3, 21);
    SCOPED_TRACE(s.name);
    const ExactData exact = ExactDataFromDoubles(s.p);
    const SubsetList subsets = AllSubsets(s.n, s.m);
    const Rational tolerance = RoundingTolerance();
    const ProgramData wide =
        WidenProgramData(exact, subsets, s.n, s.m, tolerance);
    WarmStart warm;
    const SharpInterval uni = ComputeSharpInterval(wide, kUnivariate, &warm);
    const SharpInterval one = ComputePartitionInterval(
        WidenPartitionData(exact, subsets, s.n, s.m,
                           {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}, tolerance));
    EXPECT_EQ(one.lower.exact, uni.lower.exact);
    EXPECT_EQ(one.upper.exact, uni.upper.exact);
    WarmStart warmSplit;
    const SharpInterval split = ComputeSharpInterval(wide, 1, &warmSplit);
    const PartitionData small =
        WidenPartitionData(exact, subsets, s.n, s.m,
                           {{1}, {2}, {3, 4, 5, 6, 7, 8, 9, 10}}, tolerance);
    // Orders (a, b, c) with a, b <= 1 and a + b + c <= 3: 4 + 3 + 3 + 2 of
    // the 20 with total at most 3.
    EXPECT_EQ(small.orders.size(), 12u);
    const SharpInterval refined = ComputePartitionInterval(small);
    ASSERT_TRUE(IsUsable(refined.lower) && IsUsable(refined.upper));
    EXPECT_GE(refined.lower.exact, split.lower.exact);
    EXPECT_LE(refined.upper.exact, split.upper.exact);
    EXPECT_LE(refined.lower.bound, s.unionProbability);
    EXPECT_GE(refined.upper.bound, s.unionProbability);
  }
}

// The bivariate program of the events renamed by marginal is the partition
// program of the same two sets of events.
TEST(PartitionRules, RenamedSubsetsGiveTheBivariateProgramOfTheOrder) {
  const GeneratedSystem s = Generate(EventFamily::kGaussianThreshold, 10, 3, 9);
  const ExactData exact = ExactDataFromDoubles(s.p);
  const SubsetList subsets = AllSubsets(s.n, s.m);
  const IndexVector order =
      MarginalOrder(MakeEventStatistics(exact, subsets, s.n));
  ASSERT_EQ(order.size(), 10u);
  const ProgramData renamed =
      MakeProgramData(exact, RenamedSubsets(subsets, order), s.n, s.m);
  for (int32_t l : {3, 6}) {
    WarmStart warm;
    const SharpInterval grid = ComputeSharpInterval(renamed, l, &warm);
    const SharpInterval count = ComputePartitionInterval(
        MakePartitionData(exact, subsets, s.n, s.m, SplitGroups(order, l)));
    ASSERT_TRUE(IsUsable(grid.lower) && IsUsable(count.lower));
    EXPECT_EQ(count.lower.exact, grid.lower.exact) << "l=" << l;
    EXPECT_EQ(count.upper.exact, grid.upper.exact) << "l=" << l;
  }
}

// Every partition program is a relaxation of the full program over atoms
// and a refinement of the bivariate program it splits.
TEST(MultivariateBounds, BetweenTheBestBivariateAndTheFullProgram) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 10, 3, 77);
    SCOPED_TRACE(s.name);
    const ExactData exact = ExactDataFromDoubles(s.p);
    const SubsetList subsets = AllSubsets(s.n, s.m);
    const SharpAnalysis a = Analyse(s.p, s.n, s.m, true);
    ASSERT_GE(a.bestLower, 0);
    ASSERT_GE(a.bestUpper, 0);
    MultivariateOptions options;
    options.refine = {SplitGroups(s.n, a.bivariate[a.bestLower].l),
                      SplitGroups(s.n, a.bivariate[a.bestUpper].l)};
    const Rational tolerance = RoundingTolerance();
    const MultivariateResult mv = ComputeMultivariateBounds(
        exact, subsets, s.n, s.m, &tolerance, options);
    ASSERT_GE(mv.bestLower, 0);
    ASSERT_GE(mv.bestUpper, 0);
    EXPECT_FALSE(mv.anyInfeasible);
    const SharpBound& lower = mv.partitions[mv.bestLower].interval.lower;
    const SharpBound& upper = mv.partitions[mv.bestUpper].interval.upper;
    EXPECT_GE(lower.exact, a.bivariate[a.bestLower].interval.lower.exact);
    EXPECT_LE(upper.exact, a.bivariate[a.bestUpper].interval.upper.exact);
    FullOptions fullOptions;
    fullOptions.tolerance = tolerance;
    const FullResult full =
        SolveFullProgram(exact, subsets, s.n, s.m, fullOptions);
    for (const PartitionResult& p : mv.partitions) {
      SCOPED_TRACE(p.rule);
      EXPECT_EQ(p.interval.lower.status, SharpStatus::kSharp);
      EXPECT_EQ(p.interval.upper.status, SharpStatus::kSharp);
      if (full.lower.sharp) {
        EXPECT_LE(p.interval.lower.exact, full.lower.exact);
      }
      if (full.upper.sharp) {
        EXPECT_GE(p.interval.upper.exact, full.upper.exact);
      }
    }
  }
}

// The floating-point start only chooses where the exact method begins:
// started instead from the optimal basis of the other sense (a poor,
// possibly infeasible start that the exact pivots must repair), every
// program ends at the same exact optimum, with or without a tolerance.
TEST(CountSimplex, ExactOptimumDoesNotDependOnTheStart) {
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 15, 3, 77);
    SCOPED_TRACE(s.name);
    const ExactData exact = ExactDataFromDoubles(s.p);
    const SubsetList subsets = AllSubsets(s.n, s.m);
    const EventGroups groups{
        {1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}};
    const Rational tolerance = RoundingTolerance();
    for (const PartitionData& data :
         {MakePartitionData(exact, subsets, s.n, s.m, groups),
          WidenPartitionData(exact, subsets, s.n, s.m, groups, tolerance)}) {
      SCOPED_TRACE(data.widened ? "widened" : "as typed");
      const CountProgram lower = PartitionBoundProgram(data, Sense::kMinimise);
      const CountProgram upper = PartitionBoundProgram(data, Sense::kMaximise);
      CountSimplexState lowerState;
      CountSimplexState upperState;
      const CountSimplexResult fromLower =
          SolveCountProgram(lower, &lowerState);
      if (fromLower.status == SimplexStatus::kInfeasible) continue;
      ASSERT_EQ(fromLower.status, SimplexStatus::kOptimal);
      const CountSimplexResult fromUpper =
          SolveCountProgram(upper, &upperState);
      ASSERT_EQ(fromUpper.status, SimplexStatus::kOptimal);
      EXPECT_LE(fromLower.value, -fromUpper.value);
      // Swap the bases.
      const CountSimplexResult lowerAgain =
          SolveCountProgram(lower, &upperState);
      const CountSimplexResult upperAgain =
          SolveCountProgram(upper, &lowerState);
      ASSERT_EQ(lowerAgain.status, SimplexStatus::kOptimal);
      ASSERT_EQ(upperAgain.status, SimplexStatus::kOptimal);
      EXPECT_EQ(lowerAgain.value, fromLower.value);
      EXPECT_EQ(upperAgain.value, fromUpper.value);
    }
  }
}

// The first basis found over ever finer sub-grids (from the coarsest, one
// count of each group, up), or over the whole grid at once, or from a
// middle one: only the pivots differ, never the status or the exact
// optimum, for the union and for "at least 2" / "exactly 1", as typed and
// widened. Uneven groups, so the sub-grids keep each group's size.
TEST(CountSimplex, SubGridStartsReachTheSameExactOptimum) {
  const EventGroups groups{{1, 2, 3, 4, 5, 6, 7},
                           {8, 9, 10, 11, 12, 13, 14, 15, 16},
                           {17, 18, 19, 20}};
  for (EventFamily family : AllFamilies()) {
    const GeneratedSystem s = Generate(family, 20, 3, 91);
    SCOPED_TRACE(s.name);
    const ExactData exact = ExactDataFromDoubles(s.p);
    const SubsetList subsets = AllSubsets(s.n, s.m);
    const Rational tolerance = RoundingTolerance();
    for (const PartitionData& data :
         {MakePartitionData(exact, subsets, s.n, s.m, groups),
          WidenPartitionData(exact, subsets, s.n, s.m, groups, tolerance)}) {
      SCOPED_TRACE(data.widened ? "widened" : "as typed");
      for (const CountTarget& target :
           {CountTarget{}, CountTarget{2, false}, CountTarget{1, true}}) {
        for (Sense sense : {Sense::kMinimise, Sense::kMaximise}) {
          const CountProgram program =
              PartitionBoundProgram(data, sense, target);
          CountSimplexState wholeState;
          const CountSimplexResult whole = SolveCountProgram(
              program, &wholeState, {.firstSubGridPoints = 1 << 30});
          for (int64_t first : {int64_t{1}, int64_t{60}}) {
            SCOPED_TRACE(first);
            CountSimplexState state;
            const CountSimplexResult r = SolveCountProgram(
                program, &state, {.firstSubGridPoints = first});
            ASSERT_EQ(r.status, whole.status);
            if (r.status == SimplexStatus::kOptimal) {
              EXPECT_EQ(r.value, whole.value);
            }
          }
        }
      }
    }
  }
}

// A time limit already past stops every program before it pivots: each
// partition ends failed and counted unfinished, no bound is kept, and
// nothing is read of a column generation that never solved its master.
TEST(MultivariateBounds, ProgramsPastTheTimeLimitEndFailed) {
  const GeneratedSystem s = Generate(EventFamily::kCommonShock, 20, 3, 5);
  MultivariateOptions options;
  options.timeLimit = 1e-9;
  const MultivariateResult mv =
      ComputeMultivariateBounds(ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m),
                                s.n, s.m, nullptr, options);
  ASSERT_FALSE(mv.partitions.empty());
  EXPECT_EQ(mv.unfinished, static_cast<int32_t>(mv.partitions.size()));
  EXPECT_EQ(mv.bestLower, -1);
  EXPECT_EQ(mv.bestUpper, -1);
  EXPECT_FALSE(mv.anyInfeasible);
  for (const PartitionResult& p : mv.partitions) {
    EXPECT_EQ(p.interval.lower.status, SharpStatus::kFailed);
  }
}

TEST(MultivariateBounds, ContainTheTruthOnGeneratedSystems) {
  for (EventFamily family : AllFamilies()) {
    for (int32_t n : {40, 60}) {
      const GeneratedSystem s = Generate(family, n, 3, 500 + n);
      SCOPED_TRACE(s.name);
      const Rational tolerance = RoundingTolerance();
      MultivariateOptions options;
      options.groupCounts = {n == 40 ? 4 : 3};
      const MultivariateResult mv = ComputeMultivariateBounds(
          ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n, s.m, &tolerance,
          options);
      EXPECT_FALSE(mv.anyInfeasible);
      for (const PartitionResult& p : mv.partitions) {
        SCOPED_TRACE(p.rule);
        ASSERT_TRUE(IsUsable(p.interval.lower));
        ASSERT_TRUE(IsUsable(p.interval.upper));
        EXPECT_LE(p.interval.lower.bound, s.unionProbability);
        EXPECT_GE(p.interval.upper.bound, s.unionProbability);
        EXPECT_LE(ExactValue(p.interval.lower.bound), p.interval.lower.exact);
        EXPECT_GE(ExactValue(p.interval.upper.bound), p.interval.upper.exact);
      }
    }
  }
}

// The probability that at least (exactly) r events occur, for every r: two
// contiguous groups give the bivariate program of the same target exactly,
// singleton groups the program over all atoms, and the chosen partitions
// hold the truth of genuine systems.
TEST(PartitionProgram, CountTargetsMatchTheBivariateAndTheAtomPrograms) {
  for (EventFamily family :
       {EventFamily::kCommonShock, EventFamily::kGaussianThreshold}) {
    const GeneratedSystem s = Generate(family, 7, 3, 20);
    SCOPED_TRACE(s.name);
    const ExactData exact = ExactDataFromDoubles(s.p);
    const SubsetList subsets = AllSubsets(s.n, s.m);
    const ProgramData typed = MakeProgramData(exact, subsets, s.n, s.m);
    const PartitionData split =
        MakePartitionData(exact, subsets, s.n, s.m, SplitGroups(s.n, 3));
    EventGroups singles;
    for (int32_t e = 1; e <= s.n; ++e) singles.push_back({e});
    const PartitionData atoms =
        MakePartitionData(exact, subsets, s.n, s.m, singles);
    for (int32_t r = 1; r <= s.n; ++r) {
      for (bool exactly : {false, true}) {
        SCOPED_TRACE((exactly ? "X = " : "X >= ") + std::to_string(r));
        const CountTarget target{r, exactly};
        WarmStart warm;
        const SharpInterval grid =
            ComputeSharpInterval(typed, 3, &warm, target);
        const SharpInterval two = ComputePartitionInterval(split, target);
        ASSERT_TRUE(IsUsable(grid.lower) && IsUsable(two.lower));
        ASSERT_TRUE(IsUsable(grid.upper) && IsUsable(two.upper));
        EXPECT_EQ(two.lower.exact, grid.lower.exact);
        EXPECT_EQ(two.upper.exact, grid.upper.exact);
        const SharpInterval each = ComputePartitionInterval(atoms, target);
        ASSERT_TRUE(IsUsable(each.lower) && IsUsable(each.upper));
        EXPECT_NEAR(each.lower.exact.get_d(),
                    DenseAtomCountOptimum(s.subsets, s.p, s.n, false, target),
                    1e-8);
        EXPECT_NEAR(each.upper.exact.get_d(),
                    DenseAtomCountOptimum(s.subsets, s.p, s.n, true, target),
                    1e-8);
      }
    }
  }
  const int32_t n = 16;
  const GeneratedSystem s = Generate(EventFamily::kCommonShock, n, 3, 9);
  const RealVector count =
      CountDistribution(MakeEventSystem(EventFamily::kCommonShock, n, 9), n);
  const Rational tolerance = RoundingTolerance();
  for (int32_t r = 2; r <= 5; ++r) {
    MultivariateOptions options;
    options.groupCounts = {3};
    options.target = {r, false};
    const MultivariateResult mv = ComputeMultivariateBounds(
        ExactDataFromDoubles(s.p), AllSubsets(n, 3), n, 3, &tolerance, options);
    ASSERT_GE(mv.bestLower, 0);
    ASSERT_GE(mv.bestUpper, 0);
    EXPECT_LE(mv.partitions[mv.bestLower].interval.lower.bound,
              AtLeast(count, r));
    EXPECT_GE(mv.partitions[mv.bestUpper].interval.upper.bound,
              AtLeast(count, r));
  }
}

// Three shocks, each raising the events of one group; the groups
// interleaved in the numbering.
GeneratedSystem PlantedShocks(int32_t n, int32_t m, EventGroups* planted) {
  MixtureModel model;
  model.weights = {0.7, 0.1, 0.1, 0.1};
  planted->assign(3, {});
  model.occurrence.assign(4, RealVector(n, 0.0));
  for (int32_t e = 1; e <= n; ++e) {
    const int32_t g = (e * 7) % 3;
    (*planted)[g].push_back(e);
    model.occurrence[0][e - 1] = 0.01 + 0.001 * (e % 5);
    for (int32_t c = 1; c <= 3; ++c) {
      model.occurrence[c][e - 1] = c - 1 == g ? 0.6 : 0.01;
    }
  }
  GeneratedSystem s{"planted", n, m, SubsetsBySize(n, m), {}, 0.0};
  s.p = IntersectionProbabilities(model, s.subsets);
  s.unionProbability = UnionProbability(model);
  *planted = CanonicalGroups(*planted);
  return s;
}

TEST(PartitionRules, ClusteringFindsPlantedGroups) {
  EventGroups planted;
  const GeneratedSystem s = PlantedShocks(30, 3, &planted);
  const EventStatistics stats =
      MakeEventStatistics(ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n);
  EXPECT_EQ(ClusteredOnDependence(stats, 3), planted);
  EXPECT_EQ(BalancedClusters(stats, 3), planted);
  // The planted partition beats every contiguous split on both sides.
  const SharpInterval best = SolvePartition(s, planted);
  ASSERT_TRUE(IsUsable(best.lower) && IsUsable(best.upper));
  EXPECT_LE(best.lower.bound, s.unionProbability);
  EXPECT_GE(best.upper.bound, s.unionProbability);
  for (int32_t l : {10, 15, 20}) {
    const SharpInterval split = SolveProgram(s, l);
    EXPECT_GT(best.upper.exact - best.lower.exact,
              Rational(0));  // the program does not pin the union
    EXPECT_LT(best.upper.exact - best.lower.exact,
              split.upper.exact - split.lower.exact)
        << "l=" << l;
  }
}

TEST(PartitionRules, EveryRuleGivesTNonEmptyGroupsCoveringTheEvents) {
  const GeneratedSystem s = Generate(EventFamily::kIndependent, 13, 2, 3);
  const EventStatistics stats =
      MakeEventStatistics(ExactDataFromDoubles(s.p), AllSubsets(s.n, s.m), s.n);
  for (int32_t t : {1, 3, 4, 13}) {
    SCOPED_TRACE("t=" + std::to_string(t));
    for (const EventGroups& g :
         {SortedByMarginal(stats, t), ClusteredOnDependence(stats, t),
          BalancedClusters(stats, t)}) {
      EXPECT_EQ(PartitionProblem(g, s.n), "");
      EXPECT_EQ(static_cast<int32_t>(g.size()), t);
    }
    const EventGroups refined =
        RefinePartition(stats, SplitGroups(s.n, 6), std::max(t, 2));
    EXPECT_EQ(PartitionProblem(refined, s.n), "");
    EXPECT_EQ(static_cast<int32_t>(refined.size()), std::max(t, 2));
    for (const IndexVector& g : BalancedClusters(stats, t)) {
      EXPECT_LE(static_cast<int32_t>(g.size()), (s.n + t - 1) / t);
    }
  }
  EXPECT_NE(PartitionProblem({{1, 2}, {2, 3}}, 3), "");
  EXPECT_NE(PartitionProblem({{1, 2}}, 3), "");
  EXPECT_NE(PartitionProblem({{1, 2, 3}, {}}, 3), "");
  EXPECT_NE(PartitionProblem({{0, 1, 2, 3}}, 3), "");
}

}  // namespace
}  // namespace unionbound::sharp
