#include "sharp/atoms/full_program.h"

#include <algorithm>
#include <cmath>
#include <system_error>
#include <thread>
#include <vector>

#include "sharp/atoms/certificate.h"
#include "sharp/atoms/full_sharpness.h"
#include "sharp/atoms/lifted_duals.h"
#include "sharp/atoms/master.h"
#include "sharp/exact/cancellation.h"

namespace unionbound::sharp {
namespace {

using Mask = AtomMask;

// The proof of optimality stops after this long without a time limit.
constexpr double kProofSeconds = 30.0;
// Times the proof may drop atoms its exact solve found negative and retry.
constexpr int32_t kProofRepairs = 3;

AtomSense SenseOf(bool upper) {
  return upper ? AtomSense::kUpper : AtomSense::kLower;
}

// The proof of the master's optimum. A floating optimum is feasible only
// within the solver's tolerance, so the exact solution on its basis can come
// out a hair negative for an atom; the master then drops those atoms,
// re-solves to a neighbouring basis, and the proof tries again.
// Where proven, *support and *duals are the basis and duals of the proof.
FullOptimumProof ProveWithRepairs(const ExactData& data,
                                  const std::vector<Mask>& masks, int32_t n,
                                  bool upper, const CountTarget& target,
                                  AtomMaster* master, double seconds,
                                  std::vector<Mask>* support,
                                  RealVector* duals) {
  const auto start = AtomClock::now();
  for (int32_t attempt = 0;; ++attempt) {
    const std::vector<Mask> basis = master->BasicAtoms();
    FullOptimumProof proof =
        ProveFullOptimum(data, masks, n, upper, basis, *duals,
                         SecondsLeft(seconds, start, 1e-3), target);
    if (proof.proven) *support = basis;
    if (proof.proven || proof.negativeAtoms.empty() ||
        attempt == kProofRepairs || SecondsSince(start) > seconds) {
      return proof;
    }
    master->RemoveAtoms(proof.negativeAtoms);
    master->Solve(SecondsLeft(seconds, start, 1e-3));
    *duals = master->Duals();
  }
}

FullBound SolveOneSide(const ExactData& data, const SubsetList& subsets,
                       const std::vector<Mask>& masks, int32_t n, bool upper,
                       double timeLimit, const FullOptions& options) {
  const auto start = AtomClock::now();
  const bool widened = options.tolerance > 0;
  const double tolerance = options.tolerance.get_d();
  const RealVector rhs = MasterRhs(data, masks.size());
  const SubsetIndex index(masks);
  const CountTarget& target = options.target;
  AtomMaster master(index, rhs, SenseOf(upper), tolerance, target);
  master.AddStartingAtoms(n);
  // The search starts from the best lifted moment duals: where the time
  // limit stops the pricing early, the best duals usually certify more than
  // the last ones, and never less than the univariate, bivariate and given
  // partitions' programs.
  const LiftedDuals lifted = BestLiftedDuals(
      masks, rhs, n, SenseOf(upper), tolerance, target, options.partitions);
  const double startValue = lifted.y.empty() ? -HUGE_VAL : lifted.value;
  ColumnGenerationOptions generation;
  generation.sense = SenseOf(upper);
  generation.target = target;
  generation.tolerance = tolerance;
  generation.seconds = ColumnGenerationSeconds(timeLimit, n);
  generation.maxRounds = options.maxRounds;
  if (options.progress) {
    generation.progress = [&options, upper](int32_t round, int32_t atoms) {
      options.progress(upper ? "upper" : "lower", round, atoms);
    };
  }
  const ColumnGenerationResult columns =
      GenerateColumns(&master, index, rhs, n, generation, lifted.y, startValue);
  const RealVector& y = columns.y;
  FullBound bound;
  bound.rounds = std::min(columns.rounds, options.maxRounds);
  bound.converged = columns.converged;
  bound.widened = widened;
  bound.atoms = master.AtomCount();
  // The best duals of a complete pricing round, where they are not the
  // last ones, are certified first: lifted moment duals take no search.
  const bool second =
      !bound.converged && !columns.bestY.empty() && columns.bestY != y;
  Rational best;
  bool bestExact = false;
  Rational bestNorm;
  if (second) {
    best =
        CertifiedFullBound(data, subsets, n, upper, columns.bestY, &bestExact,
                           SecondsLeft(timeLimit, start, 1.0) / 2,
                           options.tolerance, &bestNorm, target);
  }
  Rational certified =
      CertifiedFullBound(data, subsets, n, upper, y, &bound.allAtomsPriced,
                         SecondsLeft(timeLimit, start, 1.0), options.tolerance,
                         &bound.dualNorm, target);
  if (second && (upper ? best < certified : best > certified)) {
    certified = best;
    bound.allAtomsPriced = bestExact;
    bound.dualNorm = bestNorm;
  }
  bound.exact = certified;
  bound.support = master.Support();
  bound.duals = y;
  // The proof solves for an atom distribution that meets every number
  // exactly; with a tolerance the optimum may sit anywhere within it, so
  // widened bounds stay certified.
  if (bound.converged && bound.allAtomsPriced && !widened) {
    RealVector duals = y;
    const FullOptimumProof proof = ProveWithRepairs(
        data, masks, n, upper, target, &master,
        timeLimit > 0 ? SecondsLeft(timeLimit, start, 1.0) : kProofSeconds,
        &bound.support, &duals);
    if (proof.proven) {
      bound.sharp = true;
      bound.exact = proof.value;
      bound.duals = duals;
    }
  }
  // Where the duals prove less than another proof already did (the master
  // stopped early, or its floating duals lost a little), the bound is that
  // proof's.
  const bool hasProven =
      upper ? options.hasProvenUpper : options.hasProvenLower;
  const Rational& proven = upper ? options.provenUpper : options.provenLower;
  if (!bound.sharp && hasProven &&
      (upper ? proven < bound.exact : proven > bound.exact)) {
    bound.exact = proven;
    bound.fromProvenBound = true;
  }
  const double masterValue = upper ? -master.Objective() : master.Objective();
  bound.masterGap = std::fabs(masterValue - certified.get_d());
  bound.computed = true;
  return bound;
}

}  // namespace

double FullTimeLimit(double given, int32_t n) {
  return given > 0 || n <= kFullExactPricingLimit
             ? given
             : kFullDefaultLimitBeyondEnumeration;
}

std::vector<AtomMask> SubsetMasks(const SubsetList& subsets) {
  std::vector<AtomMask> masks(SubsetCount(subsets));
  for (SubsetCursor s(subsets); !s.done(); s.Next()) {
    for (size_t k = 0; k < s.size(); ++k) {
      masks[s.index()] |= AtomMask{1} << (s.members()[k] - 1);
    }
  }
  return masks;
}

Rational CertifiedFullBound(const ExactData& data, const SubsetList& subsets,
                            int32_t n, bool upper, const RealVector& y,
                            bool* exactAtoms, double seconds,
                            const Rational& tolerance, Rational* dualNorm,
                            const CountTarget& target) {
  const ExactLagrangian lagrangian =
      CertifyDuals(data, SubsetMasks(subsets), n, SenseOf(upper), y, seconds,
                   tolerance, target);
  *exactAtoms = lagrangian.exactAtoms;
  if (dualNorm != nullptr) *dualNorm = lagrangian.norm;
  // Within the tolerance each number may move against the duals.
  const Rational value = lagrangian.sum - tolerance * lagrangian.norm;
  return upper ? Rational(-value) : value;
}

FullResult SolveFullProgram(const ExactData& data, const SubsetList& subsets,
                            int32_t n, int32_t m, const FullOptions& options) {
  (void)m;
  const auto start = AtomClock::now();
  FullResult result;
  if (n < 1 || n > kFullMaxEvents) return result;
  if (!FullProgramCovers(options.target, n)) return result;
  const std::vector<Mask> masks = SubsetMasks(subsets);
  const double limit = FullTimeLimit(options.timeLimit, n);
  // The two sides share nothing but the data, so each runs on its own core
  // and may take the whole time limit.
  // Where the system refuses the second thread, the sides run one after the
  // other here, each still with the whole time limit.
  const auto lowerWork = [&] {
    result.lower = SolveOneSide(data, subsets, masks, n, false, limit, options);
  };
  std::jthread lowerSide;
  try {
    lowerSide = CancellableThread(lowerWork);
  } catch (const std::system_error&) {
    RunCancellable(CurrentCancellation(), lowerWork);
  }
  RunCancellable(CurrentCancellation(), [&] {
    result.upper = SolveOneSide(data, subsets, masks, n, true, limit, options);
  });
  if (lowerSide.joinable()) lowerSide.join();
  ThrowIfCancelled();
  result.computed = true;
  result.seconds = SecondsSince(start);
  return result;
}

}  // namespace unionbound::sharp
