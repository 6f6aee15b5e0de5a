#include "sharp/analysis/analysis.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <system_error>
#include <thread>

#include "optim/sense.h"
#include "sharp/exact/cancellation.h"
#include "sharp/moments/moment_programs.h"
#include "sharp/moments/partition_rules.h"

namespace unionbound::sharp {
namespace {

// Counts finished programs across threads and hands the count on.
class ProgressCounter {
 public:
  ProgressCounter(int32_t total, std::function<void(int32_t, int32_t)> report)
      : total_(total), report_(std::move(report)) {}
  void Step() {
    const int32_t done = ++done_;
    if (!report_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    report_(done, total_);
  }

 private:
  std::atomic<int32_t> done_{0};
  const int32_t total_;
  std::function<void(int32_t, int32_t)> report_;
  std::mutex mutex_;
};

// Runs work on a thread of its own, or here and now where the system
// refuses one (a process limit): the thread returned then was never started.
// A std::jthread, so that an exception on the caller's side joins it rather
// than ending the process.
template <typename Work>
std::jthread StartOrRun(const Work& work) {
  try {
    return std::jthread(work);
  } catch (const std::system_error&) {
    work();
    return std::jthread();
  }
}

void JoinIfStarted(std::jthread& thread) {
  if (thread.joinable()) thread.join();
}

// Solves the programs of the splits first .. last in order, each starting
// from the bases of its neighbour.
void SolveSplits(const ProgramData& data, int32_t first, int32_t last,
                 const CountTarget& target, BivariateResult* out,
                 ProgressCounter* progress) {
  WarmStart warm;
  for (int32_t l = first; l <= last; ++l) {
    PollCancellation();
    out[l - first] = {l, ComputeSharpInterval(data, l, &warm, target)};
    progress->Step();
  }
}

// Every split of the range, in contiguous chunks on `threads` threads.
std::vector<BivariateResult> SolveAllSplits(const ProgramData& data,
                                            int32_t from, int32_t to,
                                            int32_t threads,
                                            const CountTarget& target,
                                            ProgressCounter* progress) {
  const int32_t count = to >= from ? to - from + 1 : 0;
  std::vector<BivariateResult> results(static_cast<size_t>(count));
  if (count == 0) return results;
  SolveRangesCancellable(
      from, count, threads, [&](int32_t first, int32_t last) {
        SolveSplits(data, first, last, target, results.data() + (first - from),
                    progress);
      });
  return results;
}

void PickBest(const std::vector<BivariateResult>& rows, int32_t* bestLower,
              int32_t* bestUpper) {
  *bestLower = -1;
  *bestUpper = -1;
  for (size_t i = 0; i < rows.size(); ++i) {
    const SharpInterval& interval = rows[i].interval;
    const int32_t index = static_cast<int32_t>(i);
    // Compared exactly: two optima one ulp apart may round outward to the
    // same double, or the looser one to the tighter double.
    if (IsUsable(interval.lower) &&
        (*bestLower < 0 ||
         interval.lower.exact > rows[*bestLower].interval.lower.exact)) {
      *bestLower = index;
    }
    if (IsUsable(interval.upper) &&
        (*bestUpper < 0 ||
         interval.upper.exact < rows[*bestUpper].interval.upper.exact)) {
      *bestUpper = index;
    }
  }
}

bool IsInfeasible(const SharpInterval& interval) {
  return interval.lower.status == SharpStatus::kInfeasible ||
         interval.upper.status == SharpStatus::kInfeasible;
}

// The least T that makes the program of split l feasible.
Rational ProgramEpsilon(const ProgramData& data, int32_t l) {
  SimplexState state;
  const SimplexResult r = SolveExact(PerturbationProgram(data, l), &state);
  return r.status == SimplexStatus::kOptimal ? r.value : Rational(-1);
}

// unionbound's bounds of the chosen range of l only, with the best ones
// chosen again as the main run chooses them.
MethodBounds RestrictToRange(MethodBounds all, int32_t from, int32_t to) {
  MethodBounds kept;
  kept.messageLs = all.messageLs;
  for (const MethodBound& row : all.perL) {
    if (row.l < from || row.l > to) continue;
    const int32_t index = static_cast<int32_t>(kept.perL.size());
    kept.perL.push_back(row);
    kept.seconds += row.seconds;
    if (index == 0 || row.lower > kept.perL[kept.bestLower].lower) {
      kept.bestLower = index;
    }
    if (index == 0 || row.upper < kept.perL[kept.bestUpper].upper) {
      kept.bestUpper = index;
    }
  }
  return kept;
}

struct ProgramRun {
  SharpInterval univariate;
  std::vector<BivariateResult> bivariate;
  std::vector<BivariateResult> reordered;  // the events by marginal
  double bivariateSeconds = 0.0;
};

// reordered: the same numbers with the events renumbered by marginal, or
// nullptr where that order is the events' own.
ProgramRun SolveEveryProgram(const ProgramData& data,
                             const ProgramData* reordered, int32_t from,
                             int32_t to, const AnalysisOptions& options) {
  const int32_t splits = to >= from ? to - from + 1 : 0;
  ProgressCounter progress(splits * (reordered != nullptr ? 2 : 1) + 1,
                           options.progress);
  ProgramRun run;
  WarmStart warm;
  run.univariate =
      ComputeSharpInterval(data, kUnivariate, &warm, options.target);
  progress.Step();
  const auto start = std::chrono::steady_clock::now();
  run.bivariate = SolveAllSplits(data, from, to, options.threads,
                                 options.target, &progress);
  if (reordered != nullptr) {
    run.reordered = SolveAllSplits(*reordered, from, to, options.threads,
                                   options.target, &progress);
  }
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  run.bivariateSeconds = spent.count();
  return run;
}

Consistency CheckConsistency(const ProgramData& typed,
                             const ProgramData* reordered,
                             const ProgramRun& run, const DataCheck& check) {
  Consistency c;
  c.dataEpsilon = DataCheckEpsilon(check);
  // The program's data and its l.
  std::vector<std::pair<const ProgramData*, int32_t>> infeasible;
  if (IsInfeasible(run.univariate)) infeasible.push_back({&typed, kUnivariate});
  for (const BivariateResult& row : run.bivariate) {
    if (IsInfeasible(row.interval)) infeasible.push_back({&typed, row.l});
  }
  for (const BivariateResult& row : run.reordered) {
    if (IsInfeasible(row.interval)) infeasible.push_back({reordered, row.l});
  }
  c.infeasiblePrograms = static_cast<int32_t>(infeasible.size());
  for (const auto& [data, l] : infeasible) {
    // Each from a fresh basis: the column of T holds the group sizes of its
    // own l, so no other program's inverse fits it.
    const Rational e = ProgramEpsilon(*data, l);
    if (e > c.programEpsilon || (e < 0 && c.programEpsilon >= 0)) {
      c.programEpsilon = e;
      c.worstL = l;
      c.worstReordered = data == reordered;
    }
  }
  c.consistent = !HasDataError(check) && infeasible.empty();
  c.epsilon = std::max(c.dataEpsilon, c.programEpsilon);
  return c;
}

bool AnyInfeasible(const ProgramRun& run) {
  if (IsInfeasible(run.univariate)) return true;
  for (const auto* rows : {&run.bivariate, &run.reordered}) {
    for (const BivariateResult& row : *rows) {
      if (IsInfeasible(row.interval)) return true;
    }
  }
  return false;
}

int32_t InfeasiblePartitions(const MultivariateResult& result) {
  int32_t count = 0;
  for (const PartitionResult& p : result.partitions) {
    if (IsInfeasible(p.interval)) ++count;
  }
  return count;
}

// What the multivariate programs of this run solve: the given partition
// alone, or the rules' partitions with the best bivariate splits of both
// numberings refined; nothing where kAuto finds them too large (the size
// then in *skippedPoints).
MultivariateOptions MultivariatePlan(const SharpAnalysis& analysis,
                                     const ExactData& exact,
                                     const ProgramRun& run,
                                     const AnalysisOptions& options,
                                     std::vector<PartitionResult>* chosen,
                                     size_t* skippedPoints) {
  MultivariateOptions mv;
  mv.groupCounts = options.groupCounts;
  mv.target = options.target;
  mv.threads = options.threads;
  mv.given = options.givenGroups;
  mv.rules = options.givenGroups.empty();
  int32_t lower = -1;
  int32_t upper = -1;
  PickBest(run.bivariate, &lower, &upper);
  for (int32_t k : {lower, upper}) {
    if (k >= 0)
      mv.refine.push_back(SplitGroups(analysis.n, run.bivariate[k].l));
  }
  PickBest(run.reordered, &lower, &upper);
  for (int32_t k : {lower, upper}) {
    if (k >= 0) {
      mv.refine.push_back(SplitGroups(analysis.reorder, run.reordered[k].l));
    }
  }
  *chosen = ChoosePartitions(exact, analysis.subsets, analysis.n, mv);
  size_t largest = 0;
  for (const PartitionResult& p : *chosen) {
    IndexVector sizes;
    for (const IndexVector& g : p.groups) {
      sizes.push_back(static_cast<int32_t>(g.size()));
    }
    largest = std::max(largest, CountPointCount(sizes));
  }
  *skippedPoints = 0;
  const double work = static_cast<double>(largest) *
                      std::pow(kMultivariateAutoStep, analysis.m - 3);
  if (options.multivariate == MultivariateMode::kAuto &&
      work > static_cast<double>(kMultivariateAutoPoints)) {
    *skippedPoints = largest;
  }
  return mv;
}

// The multivariate programs of the plan, on the numbers as typed or widened
// by tolerance.
MultivariateResult SolveMultivariate(const SharpAnalysis& analysis,
                                     const ExactData& exact,
                                     const MultivariateOptions& plan,
                                     const Rational* tolerance) {
  return ComputeMultivariateBounds(exact, analysis.subsets, analysis.n,
                                   analysis.m, tolerance, plan);
}

// The largest proven lower and the smallest proven upper bound, exactly.
struct ProvenEnds {
  bool hasLower = false;
  bool hasUpper = false;
  Rational lower;
  Rational upper;

  void Lower(const Rational& q) {
    if (!hasLower || q > lower) lower = q;
    hasLower = true;
  }
  void Upper(const Rational& q) {
    if (!hasUpper || q < upper) upper = q;
    hasUpper = true;
  }
  void Interval(const SharpInterval& in) {
    if (IsUsable(in.lower)) Lower(in.lower.exact);
    if (IsUsable(in.upper)) Upper(in.upper.exact);
  }
  bool Cross() const { return hasLower && hasUpper && lower > upper; }
};

ProvenEnds MomentEnds(const SharpInterval& univariate,
                      const std::vector<BivariateResult>& bivariate,
                      const std::vector<BivariateResult>& reordered,
                      const MultivariateResult* multivariate) {
  ProvenEnds ends;
  ends.Interval(univariate);
  for (const BivariateResult& row : bivariate) ends.Interval(row.interval);
  for (const BivariateResult& row : reordered) ends.Interval(row.interval);
  if (multivariate != nullptr) {
    for (const PartitionResult& p : multivariate->partitions) {
      ends.Interval(p.interval);
    }
  }
  return ends;
}

void AddClassical(const ClassicalBounds& c, ProvenEnds* ends) {
  if (!c.computed) return;
  ends->Upper(c.hunterWorsley);
  ends->Lower(c.deCaen);
  ends->Lower(c.kuaiAlajajiTakahara);
}

// Seconds the search for the atoms' epsilon may take in a run that did not
// ask for the full program: it only measures data already proven
// inconsistent, and at n = 16 or more it can take many minutes.
inline constexpr double kUnaskedAtomsEpsilonSeconds = 5.0;

// The least change that fits the atoms, where n allows it: the epsilon of
// data whose inconsistency the moment programs proved without one of their
// own (crossing bounds, an infeasible multivariate program). Within the
// full program's time limit with --full, else within a few seconds.
void AddAtomsEpsilon(const ExactData& exact, const SharpAnalysis& analysis,
                     const AnalysisOptions& options, Consistency* c) {
  if (c->atomsEpsilonKnown || analysis.n > kFullMaxEvents) return;
  double limit = FullTimeLimit(options.fullOptions.timeLimit, analysis.n);
  if (!options.full) {
    limit = limit > 0 ? std::min(limit, kUnaskedAtomsEpsilonSeconds)
                      : kUnaskedAtomsEpsilonSeconds;
  }
  const FullEpsilon e =
      SolveFullEpsilon(exact, analysis.subsets, analysis.n, limit);
  if (!e.computed) return;
  c->atomsEpsilonKnown = true;
  c->atomsEpsilonAtLeast = e.atLeast;
  // The moment programs' own epsilon and the program that needs it stand;
  // the change that fits the atoms fits every moment program too.
  c->epsilon = std::max(c->epsilon, e.sufficesFound ? e.suffices : e.atLeast);
}

// Where the sharp and closed-form bounds of the numbers as typed cross, the
// data are inconsistent although every program is feasible: the least
// change is then the program over atoms' epsilon, found where n allows it
// (the end that suffices, else the proven least).
void MarkCrossing(const ExactData& exact, const SharpAnalysis& analysis,
                  const AnalysisOptions& options, Consistency* c) {
  c->boundsCross = true;
  c->consistent = false;
  AddAtomsEpsilon(exact, analysis, options, c);
}

void StoreRun(ProgramRun run, SharpAnalysis* analysis) {
  analysis->univariate = run.univariate;
  analysis->bivariate = std::move(run.bivariate);
  analysis->reordered = std::move(run.reordered);
  analysis->bivariateSeconds = run.bivariateSeconds;
  PickBest(analysis->bivariate, &analysis->bestLower, &analysis->bestUpper);
  PickBest(analysis->reordered, &analysis->reorderedBestLower,
           &analysis->reorderedBestUpper);
}

// The full program's epsilon where its bounds crossed: its own program,
// and no less than what the crossing itself proves. Each certified bound
// moves by its dual norm per unit of tolerance, so they cross for every
// tolerance below T + (lower - upper) / (both norms); nor can the atoms fit
// where the moments do not.
FullEpsilon FullEpsilonOf(const SharpAnalysis& analysis, const ExactData& exact,
                          const AnalysisOptions& options) {
  const int32_t n = analysis.n;
  const double limit = FullTimeLimit(options.fullOptions.timeLimit, n);
  std::function<void(int32_t, int32_t)> progress;
  if (options.fullOptions.progress) {
    progress = [&options](int32_t round, int32_t atoms) {
      options.fullOptions.progress("epsilon", round, atoms);
    };
  }
  FullEpsilon epsilon =
      SolveFullEpsilon(exact, analysis.subsets, n, limit, progress);
  const FullResult& f = analysis.full;
  const Rational norms = f.lower.dualNorm + f.upper.dualNorm;
  if (norms > 0 && !f.lower.fromProvenBound && !f.upper.fromProvenBound) {
    const Rational crossing =
        (analysis.widened ? analysis.tolerance : Rational(0)) +
        (f.lower.exact - f.upper.exact) / norms;
    epsilon.atLeast = std::max(epsilon.atLeast, crossing);
  }
  epsilon.atLeast = std::max(epsilon.atLeast, analysis.consistency.epsilon);
  return epsilon;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  return spent.count();
}

CountDistributionResult SolveDistribution(const ProgramData& data, int32_t from,
                                          int32_t to, int32_t threads) {
  CountDistributionResult d;
  auto start = std::chrono::steady_clock::now();
  d.univariate = ComputeSharpDistribution(data, kUnivariate);
  d.univariateSeconds = SecondsSince(start);
  d.univariateRises = NonMonotoneRs(d.univariate.bounds);
  start = std::chrono::steady_clock::now();
  if (from <= to) {
    d.bivariate =
        BestOverPrograms(ComputeSplitDistributions(data, from, to, threads));
    d.bivariateRises = NonMonotoneRs(d.bivariate);
  }
  d.bivariateSeconds = SecondsSince(start);
  d.computed = true;
  return d;
}

// The tightest bounds the moment programs and closed forms proved: the full
// program never reports looser ones.
void SetProvenBounds(const SharpAnalysis& analysis, FullOptions* full) {
  const auto lower = [full](const SharpBound& b) {
    if (!IsUsable(b)) return;
    if (!full->hasProvenLower || b.exact > full->provenLower) {
      full->provenLower = b.exact;
    }
    full->hasProvenLower = true;
  };
  const auto upper = [full](const SharpBound& b) {
    if (!IsUsable(b)) return;
    if (!full->hasProvenUpper || b.exact < full->provenUpper) {
      full->provenUpper = b.exact;
    }
    full->hasProvenUpper = true;
  };
  lower(analysis.univariate.lower);
  upper(analysis.univariate.upper);
  for (const auto* rows : {&analysis.bivariate, &analysis.reordered}) {
    for (const BivariateResult& row : *rows) {
      lower(row.interval.lower);
      upper(row.interval.upper);
    }
  }
  // A full run stopped by its time limit is so never looser than the
  // multivariate bounds either.
  if (analysis.multivariateComputed) {
    for (const PartitionResult& p : analysis.multivariate.partitions) {
      lower(p.interval.lower);
      upper(p.interval.upper);
    }
  }
  const ClassicalBounds& c = analysis.classical;
  if (c.computed) {
    for (const Rational* b : {&c.deCaen, &c.kuaiAlajajiTakahara}) {
      if (!full->hasProvenLower || *b > full->provenLower) {
        full->provenLower = *b;
        full->hasProvenLower = true;
      }
    }
    if (!full->hasProvenUpper || c.hunterWorsley < full->provenUpper) {
      full->provenUpper = c.hunterWorsley;
      full->hasProvenUpper = true;
    }
  }
}

// The partitions whose moment duals the full program also starts from: the
// multivariate programs' and the best splits of the events by marginal.
std::vector<EventGroups> StartingPartitions(const SharpAnalysis& analysis) {
  std::vector<EventGroups> partitions;
  for (int32_t k : {analysis.reorderedBestLower, analysis.reorderedBestUpper}) {
    if (k >= 0 && analysis.reordered[k].l > 0) {
      partitions.push_back(
          SplitGroups(analysis.reorder, analysis.reordered[k].l));
    }
  }
  if (analysis.multivariateComputed) {
    for (const PartitionResult& p : analysis.multivariate.partitions) {
      partitions.push_back(p.groups);
    }
  }
  return partitions;
}

}  // namespace

SharpAnalysis AnalyseProbabilities(const RealVector& p, const ExactData& exact,
                                   int32_t n, int32_t m,
                                   const AnalysisOptions& options) {
  return AnalyseProbabilities(
      p, [&exact] { return exact; }, n, m, options);
}

SharpAnalysis AnalyseProbabilities(const RealVector& p,
                                   const std::function<ExactData()>& readExact,
                                   int32_t n, int32_t m,
                                   const AnalysisOptions& options) {
  Cancellation cancellation(options.cancel);
  CancellationScope scope(options.cancel ? &cancellation : nullptr);
  // unionbound's own bounds come from the doubles and run beside the rest;
  // they bound the union only. The threads are joined however this ends
  // (a cancelled run unwinds with Cancelled).
  const bool isUnion = IsUnion(options.target);
  MethodBounds method;
  Cancellation* const cancelling = CurrentCancellation();
  std::jthread methodThread =
      StartOrRun([&method, &p, n, m, isUnion, cancelling] {
        RunCancellable(cancelling, [&] {
          if (isUnion) method = ComputeMethodBounds(p, n, m);
        });
      });
  SharpAnalysis analysis;
  analysis.target = options.target;
  std::jthread subsetThread =
      StartOrRun([&analysis, n, m] { analysis.subsets = AllSubsets(n, m); });
  const ExactData exact = readExact();
  JoinIfStarted(subsetThread);
  analysis.n = n;
  analysis.m = m;
  analysis.lFrom = options.lFrom >= 0 ? options.lFrom : m;
  analysis.lTo = options.lTo >= 0 ? options.lTo : n - m;
  analysis.typedNumbers = exact.typed;
  analysis.typedDecimals = exact.typedDecimals;
  std::jthread checkThread = StartOrRun([&analysis, &exact, &p, n] {
    analysis.check = CheckData(exact, p, analysis.subsets, n);
  });
  const ProgramData typed = MakeProgramData(exact, analysis.subsets, n, m);
  // The bivariate programs also take the events by marginal, where that
  // order differs from their own.
  analysis.reorder =
      MarginalOrder(MakeEventStatistics(exact, analysis.subsets, n));
  SubsetList renamed;
  ProgramData typedReordered;
  bool reorders = false;
  for (int32_t k = 0; k < n; ++k) reorders |= analysis.reorder[k] != k + 1;
  if (reorders) {
    renamed = RenamedSubsets(analysis.subsets, analysis.reorder);
    typedReordered = MakeProgramData(exact, renamed, n, m);
  }
  const ProgramData* typedOther = reorders ? &typedReordered : nullptr;
  ProgramRun run = SolveEveryProgram(typed, typedOther, analysis.lFrom,
                                     analysis.lTo, options);
  const ProgramData* used = &typed;
  ProgramData widened;
  JoinIfStarted(checkThread);
  analysis.consistency =
      CheckConsistency(typed, typedOther, run, analysis.check);
  const Consistency& c = analysis.consistency;
  // The multivariate programs, as typed: their bounds where the data are
  // consistent, and a consistency check of their own.
  std::vector<PartitionResult> chosen;
  const MultivariateOptions plan =
      MultivariatePlan(analysis, exact, run, options, &chosen,
                       &analysis.multivariateSkippedPoints);
  const bool multivariate = options.multivariate != MultivariateMode::kOff &&
                            analysis.multivariateSkippedPoints == 0 &&
                            !chosen.empty();
  MultivariateResult typedMultivariate;
  // The least tolerance worth widening for: what the checks and the moment
  // programs proved. The atoms' epsilon, where only a partition's program
  // is infeasible, is advice; the widened partitions' programs decide.
  Rational widenFrom = c.epsilon;
  if (multivariate && !HasDataError(analysis.check)) {
    typedMultivariate = SolveMultivariate(analysis, exact, plan, nullptr);
    analysis.consistency.infeasibleMultivariate =
        InfeasiblePartitions(typedMultivariate);
    if (typedMultivariate.anyInfeasible) {
      analysis.consistency.consistent = false;
      // The moment programs' epsilon need not fit the partitions' programs;
      // the atoms' does.
      AddAtomsEpsilon(exact, analysis, options, &analysis.consistency);
    }
  }
  ClassicalBounds classical;
  if (c.consistent) {
    classical = ComputeClassicalBounds(exact, analysis.subsets, n, m);
    // The closed forms bound the union: beside the programs' bounds only
    // where those bound the union too, else on their own.
    ProvenEnds ends = MomentEnds(run.univariate, run.bivariate, run.reordered,
                                 multivariate ? &typedMultivariate : nullptr);
    ProvenEnds closed;
    AddClassical(classical, isUnion ? &ends : &closed);
    if (ends.Cross() || closed.Cross()) {
      MarkCrossing(exact, analysis, options, &analysis.consistency);
      widenFrom = c.epsilon;
    }
  }
  // Bounds that cross with no epsilon known cannot be widened soundly.
  const bool widenable = !c.boundsCross || c.atomsEpsilonKnown;
  if (options.hasTolerance && widenable && c.programEpsilon >= 0 &&
      options.tolerance >= widenFrom) {
    widened =
        WidenProgramData(exact, analysis.subsets, n, m, options.tolerance);
    ProgramData widenedReordered;
    if (reorders) {
      widenedReordered =
          WidenProgramData(exact, renamed, n, m, options.tolerance);
    }
    used = &widened;
    run = SolveEveryProgram(widened, reorders ? &widenedReordered : nullptr,
                            analysis.lFrom, analysis.lTo, options);
    analysis.widened = true;
    analysis.tolerance = options.tolerance;
    analysis.boundsComputed = !AnyInfeasible(run);
    if (multivariate) {
      analysis.multivariate =
          SolveMultivariate(analysis, exact, plan, &options.tolerance);
      analysis.multivariateComputed = true;
      if (analysis.multivariate.anyInfeasible) {
        // The tolerance is proven too small: say what suffices.
        analysis.boundsComputed = false;
        analysis.consistency.consistent = false;
        analysis.consistency.infeasibleMultivariate =
            InfeasiblePartitions(analysis.multivariate);
        AddAtomsEpsilon(exact, analysis, options, &analysis.consistency);
      }
    }
  } else {
    analysis.boundsComputed = c.consistent && !options.hasTolerance;
    if (multivariate && analysis.boundsComputed) {
      analysis.multivariate = std::move(typedMultivariate);
      analysis.multivariateComputed = true;
    }
  }
  StoreRun(std::move(run), &analysis);
  if (c.consistent && !analysis.widened && isUnion) {
    analysis.classical = classical;
  }
  if (options.distribution && analysis.boundsComputed) {
    analysis.distribution =
        SolveDistribution(*used, analysis.lFrom, analysis.lTo, options.threads);
  }
  analysis.fullNotCovered =
      options.full && !FullProgramCovers(options.target, n);
  if (options.full && n <= kFullMaxEvents && analysis.boundsComputed &&
      !analysis.fullNotCovered) {
    FullOptions full = options.fullOptions;
    full.target = options.target;
    if (analysis.widened) full.tolerance = analysis.tolerance;
    SetProvenBounds(analysis, &full);
    full.partitions = StartingPartitions(analysis);
    analysis.full = SolveFullProgram(exact, analysis.subsets, n, m, full);
    ProvenEnds ends = MomentEnds(
        analysis.univariate, analysis.bivariate, analysis.reordered,
        analysis.multivariateComputed ? &analysis.multivariate : nullptr);
    AddClassical(analysis.classical, &ends);
    const FullResult& f = analysis.full;
    if (f.computed && f.lower.computed) ends.Lower(f.lower.exact);
    if (f.computed && f.upper.computed) ends.Upper(f.upper.exact);
    analysis.fullCrossesOthers = ends.Cross();
    // A sharp bound comes with a distribution that fits the numbers
    // exactly. Where both sides converged but neither is sharp, whether any
    // distribution fits is proven where it can be; runs stopped by the time
    // limit are not prolonged for it.
    const bool converged = f.lower.converged && f.lower.allAtomsPriced &&
                           f.upper.converged && f.upper.allAtomsPriced;
    const bool fits = f.lower.sharp || f.upper.sharp;
    if (FullBoundsCross(analysis) ||
        (converged && !fits && n <= kFullRefinementLimit)) {
      analysis.fullEpsilon = FullEpsilonOf(analysis, exact, options);
    }
  }
  JoinIfStarted(methodThread);
  ThrowIfCancelled();
  analysis.method = RestrictToRange(method, analysis.lFrom, analysis.lTo);
  return analysis;
}

bool FullBoundsCross(const SharpAnalysis& analysis) {
  const FullResult& f = analysis.full;
  if (analysis.fullCrossesOthers) return true;
  if (!f.computed || !f.lower.computed || !f.upper.computed) return false;
  if (f.lower.exact > f.upper.exact) return true;
  const FullEpsilon& e = analysis.fullEpsilon;
  return e.computed &&
         e.atLeast > (analysis.widened ? analysis.tolerance : Rational(0));
}

bool AtomsFitNoneAsTyped(const SharpAnalysis& analysis) {
  const FullEpsilon& e = analysis.fullEpsilon;
  return FullBoundsCross(analysis) || (e.computed && e.atLeast > 0);
}

bool ConsistentAsTyped(const SharpAnalysis& analysis) {
  return analysis.consistency.consistent && !AtomsFitNoneAsTyped(analysis);
}

Rational ConsistencyEpsilon(const SharpAnalysis& analysis) {
  Rational epsilon = analysis.consistency.epsilon;
  const FullEpsilon& e = analysis.fullEpsilon;
  if (AtomsFitNoneAsTyped(analysis) && e.computed) {
    epsilon = std::max(epsilon, e.sufficesFound ? e.suffices : e.atLeast);
  }
  return epsilon;
}

bool IsInconsistent(const SharpAnalysis& analysis) {
  return !analysis.boundsComputed;
}

namespace {

// Whether value lies beyond the certified bound edge on the side that makes
// it no lower bound (above) or no upper bound (below): with margin 0 beyond
// the bound as printed (rounded outward), otherwise beyond its exact value
// by more than margin relative to it.
bool Across(double value, const SharpBound& edge, bool above, double margin) {
  if (margin == 0.0) return above ? value > edge.bound : value < edge.bound;
  const Rational excess =
      above ? ExactValue(value) - edge.exact : edge.exact - ExactValue(value);
  return excess > abs(edge.exact) * ExactValue(margin);
}

}  // namespace

bool MethodLowerContradicts(const SharpAnalysis& analysis, double lower,
                            double margin) {
  if (IsSentinel(lower) || !analysis.boundsComputed) return false;
  bool contradicts = false;
  if (IsUsable(analysis.univariate.upper)) {
    contradicts |= Across(lower, analysis.univariate.upper, true, margin);
  }
  if (analysis.bestUpper >= 0) {
    contradicts |=
        Across(lower, analysis.bivariate[analysis.bestUpper].interval.upper,
               true, margin);
  }
  return contradicts;
}

bool MethodUpperContradicts(const SharpAnalysis& analysis, double upper,
                            double margin) {
  if (IsSentinel(upper) || !analysis.boundsComputed) return false;
  bool contradicts = false;
  if (IsUsable(analysis.univariate.lower)) {
    contradicts |= Across(upper, analysis.univariate.lower, false, margin);
  }
  if (analysis.bestLower >= 0) {
    contradicts |=
        Across(upper, analysis.bivariate[analysis.bestLower].interval.lower,
               false, margin);
  }
  return contradicts;
}

IndexVector ContradictedMethodLs(const SharpAnalysis& analysis) {
  IndexVector ls;
  for (const MethodBound& row : analysis.method.perL) {
    if (MethodLowerContradicts(analysis, row.lower, kRoundingMargin) ||
        MethodUpperContradicts(analysis, row.upper, kRoundingMargin)) {
      ls.push_back(row.l);
    }
  }
  return ls;
}

}  // namespace unionbound::sharp
