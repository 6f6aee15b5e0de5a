// Column generation over atoms: the restricted master program over a
// growing set of atoms (floating point, CLP, warm-started) and the pricing
// steps that find atoms of negative reduced cost, shared by the full
// program's bounds and by its epsilon (the least change of the numbers that
// lets some distribution over the atoms fit them). Also the exact value of
// the Lagrangian bound of any duals, which certifies what the floating
// point found.
//
// Rows: the total (row 0) and one per data subset (row 1 + u). An atom's
// column has a 1 in the total and in every data subset inside it.
#ifndef UNIONBOUND_SHARP_ATOM_COLUMNS_H_
#define UNIONBOUND_SHARP_ATOM_COLUMNS_H_

#include <bit>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/atom_search.h"
#include "sharp/exact_arithmetic.h"
#include "sharp/exact_data.h"

namespace unionbound {

// What the master minimises. kLower: P(union); kUpper: -P(union);
// kEpsilon: the largest deviation T of any data row from its number, over
// distributions (every atom costs nothing).
enum class AtomSense { kLower, kUpper, kEpsilon };

double AtomCost(AtomMask atom, AtomSense sense);

// Finds the data subsets inside an atom: by enumerating the atom's own
// subsets up to the largest data size and looking them up, where the atom
// has fewer of those than the data have subsets, else by scanning.
class SubsetIndex {
 public:
  explicit SubsetIndex(const std::vector<AtomMask>& masks);

  const std::vector<AtomMask>& Masks() const { return masks_; }

  // Calls visit(u) for every data subset u inside atom.
  template <typename Visit>
  void ForEachInside(AtomMask atom, const Visit& visit) const {
    const int32_t k = std::popcount(atom);
    if (ScanIsCheaper(k)) {
      for (size_t u = 0; u < masks_.size(); ++u) {
        if ((masks_[u] & ~atom) == 0) visit(u);
      }
      return;
    }
    AtomMask bits[64];
    for (int32_t i = 0, j = 0; i < 64; ++i) {
      if (atom >> i & 1) bits[j++] = AtomMask{1} << i;
    }
    Enumerate(bits, k, 0, 0, 0, visit);
  }

 private:
  bool ScanIsCheaper(int32_t atomSize) const;

  template <typename Visit>
  void Enumerate(const AtomMask* bits, int32_t k, int32_t from, int32_t size,
                 AtomMask subset, const Visit& visit) const {
    if (size > 0) {
      const auto it = index_.find(subset);
      if (it != index_.end()) visit(static_cast<size_t>(it->second));
    }
    if (size == maxSize_) return;
    for (int32_t i = from; i < k; ++i) {
      Enumerate(bits, k, i + 1, size + 1, subset | bits[i], visit);
    }
  }

  const std::vector<AtomMask>& masks_;
  std::unordered_map<AtomMask, int32_t> index_;
  int32_t maxSize_ = 0;
};

// The restricted master. rhs[0] is the total (1), rhs[1 + u] data value u.
// kLower, kUpper: each data row may deviate from its number by up to
// `tolerance` (0: the numbers as given); two artificial columns per row
// keep every master feasible. kEpsilon: a free deviation column per data
// row, bounded by the objective T through two rows each.
class AtomMaster {
 public:
  AtomMaster(const SubsetIndex& subsets, const RealVector& rhs, AtomSense sense,
             double tolerance);
  ~AtomMaster();
  AtomMaster(const AtomMaster&) = delete;
  AtomMaster& operator=(const AtomMaster&) = delete;

  // Adds the atoms not in the master yet, all in one step.
  void AddAtoms(const std::vector<AtomMask>& candidates);
  // The atoms every master starts from: none of the n events, all of them,
  // and each data subset's events alone.
  void AddStartingAtoms(int32_t n);
  // Takes atoms out of the master (they may come back by AddAtoms).
  void RemoveAtoms(const std::vector<AtomMask>& atoms);
  // Re-solves from the last basis; `seconds` (0: none) caps the solve.
  void Solve(double seconds);

  double Objective() const;
  // The duals of the total and data rows.
  RealVector Duals() const;
  int32_t AtomCount() const { return static_cast<int32_t>(atoms_.size()); }
  const std::vector<AtomMask>& Atoms() const { return atoms_; }
  // The atoms of positive probability in the last solution, and those
  // probabilities.
  std::vector<AtomMask> Support() const;
  RealVector SupportProbabilities() const;
  // The atoms of the last basis, and any others of positive probability:
  // a degenerate optimum has basic atoms at probability 0 that the exact
  // solve on the basis still needs.
  std::vector<AtomMask> BasicAtoms() const;

 private:
  struct Impl;
  const SubsetIndex& subsets_;
  const AtomSense sense_;
  int32_t dataRows_ = 0;
  int32_t firstAtomColumn_ = 0;
  std::unique_ptr<Impl> impl_;
  bool solved_ = false;
  std::vector<AtomMask> present_;  // sorted
  std::vector<AtomMask> atoms_;
};

// The master's right-hand sides: the total 1, then the numbers of the
// first `count` data values, each rounded to the nearest double.
RealVector MasterRhs(const ExactData& data, size_t count);

using AtomClock = std::chrono::steady_clock;

double SecondsSince(AtomClock::time_point start);
// What is left of a limit of `limit` seconds (0: none), at least `floor`.
double SecondsLeft(double limit, AtomClock::time_point start, double floor);

// The part of a limit that column generation may use: beyond enumeration
// the certificate searches the atoms too and keeps a quarter.
double ColumnGenerationSeconds(double limit, int32_t n);

struct ColumnGenerationOptions {
  AtomSense sense = AtomSense::kLower;
  double tolerance = 0.0;  // the data rows' allowed deviation
  double seconds = 0.0;    // stop adding columns after this; 0: none
  int32_t maxRounds = 10000;
  std::function<void(int32_t, int32_t)> progress;  // round, atoms
};

struct ColumnGenerationResult {
  RealVector y;            // the last master's duals
  RealVector bestY;        // the duals of the best floating Lagrangian bound
  bool converged = false;  // every atom priced, none improving
  int32_t rounds = 0;
};

// Runs rounds of master solves and pricing until no atom improves, the
// rounds or the time run out. bestY starts as `start` (may be empty),
// duals whose Lagrangian bound is startValue.
ColumnGenerationResult GenerateColumns(AtomMaster* master,
                                       const SubsetIndex& index,
                                       const RealVector& rhs, int32_t n,
                                       const ColumnGenerationOptions& options,
                                       const RealVector& start,
                                       double startValue);

// The duals y (y[0] for the total, y[1 + u] for data value u) rounded to
// multiples of 2^-bits, and what they prove exactly for the numbers as
// typed: sum is b . Y + Y0 + the least reduced cost over all atoms (for the
// sense's costs), norm is the sum of |Y_u| over the data rows. The least
// reduced cost is exact by enumeration (n <= kExactPricingLimit) or a
// complete search, else a lower bound from the nodes the search left open
// after `seconds` (0: never stop); exactAtoms tells which.
struct ExactLagrangian {
  Rational sum;
  Rational norm;
  bool exactAtoms = false;
};

inline constexpr int32_t kExactPricingLimit = 22;

ExactLagrangian CertifyDuals(const ExactData& data,
                             const std::vector<AtomMask>& masks, int32_t n,
                             AtomSense sense, const RealVector& y,
                             double seconds);

}  // namespace unionbound

#endif  // UNIONBOUND_SHARP_ATOM_COLUMNS_H_
