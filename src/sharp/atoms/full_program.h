// The full program over atoms: its variables are the probabilities of the
// 2^n atoms (which events occur and which do not), its constraints every
// given P(A_S), |S| <= m, and the total 1. Its lower and upper optimum of
// P(union) are the best bounds any method can get from the data; the same
// holds for the probability that at least (or exactly) r events occur,
// where an atom counts when it holds at least (exactly) r events.
//
// Solved by column generation: a restricted master program over a growing
// set of atoms (floating point, warm-started), and a pricing step that finds
// atoms of negative reduced cost. The reduced cost of an atom is a
// pseudo-Boolean polynomial of degree m in its n bits; local search from the
// atoms of the data finds most columns, and where it finds none all atoms
// are priced at once by a subset-sum transform (n <= 20) or by branch and
// bound beyond.
//
// Every bound is certified on the numbers as typed: the duals are rounded to
// a fixed denominator, the most negative reduced cost over all atoms is
// found in exact integer arithmetic (by enumeration or branch and bound, or
// bounded from below rigorously where the search ran out of time), and the
// bound is exact data times dual shifted by it, so it holds whatever the
// floating-point solver did. With a tolerance T every data row may move by
// T, and the certificate subtracts T times the sum of the duals' |Y_u|:
// the bound then holds for all numbers within T of the typed ones.
#ifndef UNIONBOUND_SHARP_ATOMS_FULL_PROGRAM_H_
#define UNIONBOUND_SHARP_ATOMS_FULL_PROGRAM_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "sharp/atoms/atom_columns.h"
#include "sharp/atoms/atom_search.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/exact/rational.h"
#include "sharp/moments/partition_program.h"

namespace unionbound::sharp {

// Atoms are enumerated exactly up to this many events.
inline constexpr int32_t kFullExactPricingLimit = kExactPricingLimit;
inline constexpr int32_t kFullMaxEvents = 60;
// Seconds allowed without --time-limit where atoms are not enumerated.
inline constexpr double kFullDefaultLimitBeyondEnumeration = 60.0;

struct FullOptions {
  double timeLimit = 0.0;  // seconds for both bounds, solved side by side
                           // on two threads; 0: none
  // Every number may move by up to this much (0: the numbers as typed).
  Rational tolerance;
  int32_t maxRounds = 10000;
  // What is bounded: the union by default. Any other target needs n <=
  // kExactPricingLimit (FullProgramCovers).
  CountTarget target;
  // Bounds of the target's probability already proven for the same numbers
  // (and tolerance) by other means, such as the moment programs and closed
  // forms: a full bound that is not sharp gives the tighter of its own and
  // these.
  bool hasProvenLower = false;
  Rational provenLower;
  bool hasProvenUpper = false;
  Rational provenUpper;
  // Partitions of the events 1 .. n (such as the multivariate programs'):
  // the master also starts from their moment programs' duals where they
  // bound better than every split's, so a run stopped at once certifies
  // about what their programs prove.
  std::vector<EventGroups> partitions;
  std::function<void(const char*, int32_t, int32_t)> progress;  // side,
                                                                // round, atoms
};

// A rigorous bound. It is not claimed optimal: the floating-point master's
// optimum is only an estimate of how far the optimum may lie.
struct FullBound {
  bool computed = false;
  Rational exact;  // the certified bound, before clipping to [0, 1]
  bool allAtomsPriced = false;  // the shift came from every atom exactly
  bool converged = false;       // pricing found no improving atom
  // exact is the optimum itself: an atom distribution and duals of equal
  // value, both verified exactly.
  bool sharp = false;
  bool widened = false;  // a bound of the program widened by the tolerance
  // exact is the proven bound of FullOptions, tighter than the duals'
  // certificate; dualNorm then belongs to the certificate, not to it.
  bool fromProvenBound = false;
  // The sum of the certifying duals' |Y_u| over the data rows: how fast the
  // bound moves as the tolerance grows.
  Rational dualNorm;
  double masterGap = 0.0;  // |master optimum - certified bound|, an estimate
  int32_t rounds = 0;
  int32_t atoms = 0;
  // The last master's atoms of positive probability and its duals; where
  // sharp, the basis and duals of the proof.
  std::vector<uint64_t> support;
  RealVector duals;
};

struct FullResult {
  bool computed = false;
  FullBound lower;
  FullBound upper;
  double seconds = 0.0;
};

// The seconds the full program may take: the given limit (0: none), but
// beyond enumeration, where the search may take exponential time, never
// unlimited.
double FullTimeLimit(double given, int32_t n);

// The atom of each data subset: bit e - 1 set for every event e in it.
std::vector<AtomMask> SubsetMasks(const SubsetList& subsets);

// Certified bound of min (lower) or max (upper) P(union) (or the
// probability of `target`) from duals y
// (y[0] for the total, y[1 + u] for subset u): the exact value
// b . Y + min over atoms of the reduced cost - tolerance * sum |Y_u|, with
// Y = y rounded to multiples of 2^-bits (so for every data within the
// tolerance of the numbers); *dualNorm (if given) gets sum |Y_u|. exactAtoms
// tells whether that minimum was found exactly (by enumerating all atoms for n
// <= kFullExactPricingLimit, by a complete branch and bound beyond) or only
// bounded from below: the search stops after `seconds` (0: never) with the
// bounds of its open nodes.
Rational CertifiedFullBound(const ExactData& data, const SubsetList& subsets,
                            int32_t n, bool upper, const RealVector& y,
                            bool* exactAtoms, double seconds = 0.0,
                            const Rational& tolerance = Rational(0),
                            Rational* dualNorm = nullptr,
                            const CountTarget& target = {});

// Both bounds, each on its own thread; n <= kFullMaxEvents, and nothing
// computed where FullProgramCovers(options.target, n) does not hold. The
// progress callback is called from both threads.
FullResult SolveFullProgram(const ExactData& data, const SubsetList& subsets,
                            int32_t n, int32_t m, const FullOptions& options);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ATOMS_FULL_PROGRAM_H_
