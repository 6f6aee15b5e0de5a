// How far the numbers are from fitting some distribution over the atoms:
// the full program's epsilon, the least T such that every number may be
// changed by at most T and some distribution over the 2^n atoms has the
// changed numbers as its intersection probabilities. Only ever needed when
// the full program proved that no distribution fits; found by column
// generation like the full program's bounds, with every atom costing
// nothing and T the objective.
//
// Both ends are proven for the numbers as typed: atLeast from the duals
// (no T below it works, whatever the floating point did), suffices from an
// exact distribution (the master's atom probabilities rounded, normalised
// to total 1 exactly, and its largest deviation from the numbers computed
// exactly).
#ifndef UNIONBOUND_SHARP_ATOMS_FULL_EPSILON_H_
#define UNIONBOUND_SHARP_ATOMS_FULL_EPSILON_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/atoms/atom_search.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/subset_list.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {

struct FullEpsilon {
  bool computed = false;
  Rational atLeast;  // no change of the numbers by less fits any atoms
  // A change by this much fits the distribution found; valid only with
  // sufficesFound.
  Rational suffices;
  bool sufficesFound = false;
  int32_t rounds = 0;
  double seconds = 0.0;
};

// The largest difference between a number and the probability that the
// distribution `probabilities` (>= 0, any positive total: it is scaled to
// total 1) on `atoms` gives its subset, exactly. Negative or non-finite
// probabilities count as 0; an all-zero distribution gives -1.
Rational LargestDeviation(const ExactData& data,
                          const std::vector<AtomMask>& masks,
                          const std::vector<AtomMask>& atoms,
                          const RealVector& probabilities);

// Up to this many events the first phase around a distribution prices
// every atom exactly.
inline constexpr int32_t kFullRefinementLimit = 20;

struct AtomsCertificate {
  // The epsilon exact duals prove (> 0: a Farkas certificate, no
  // distribution fits any change of the numbers by less); -1: none.
  Rational atLeast = -1;
  // The largest change of a number the first phase's own distribution
  // needs, exactly; -1: none.
  Rational suffices = -1;
};

// A Farkas certificate that no distribution over the atoms fits the
// numbers, found from a distribution (`probabilities` on `atoms`) that fits
// them nearly: the first phase of the program around it, with its misfit
// scaled to 1, solved in floating point by column generation, its last
// basis's duals solved exactly and checked on every atom. No certificate
// where the numbers may fit, n is beyond kFullRefinementLimit, or the basis
// gave no exact duals. `seconds` (0: none) caps the floating solves.
AtomsCertificate CertifyInfeasibility(const ExactData& data,
                                      const std::vector<AtomMask>& masks,
                                      int32_t n,
                                      const std::vector<AtomMask>& atoms,
                                      const RealVector& probabilities,
                                      double seconds);

// The epsilon of the numbers as typed; `seconds` (0: none) caps the column
// generation, after which the bounds found so far are reported. progress
// (if set) gets the round and the number of atoms.
FullEpsilon SolveFullEpsilon(
    const ExactData& data, const SubsetList& subsets, int32_t n, double seconds,
    const std::function<void(int32_t, int32_t)>& progress = {});

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ATOMS_FULL_EPSILON_H_
