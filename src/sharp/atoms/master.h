// The restricted master program of the full program over atoms, solved in
// floating point with CLP and warm-started, and the column generation that
// grows it by pricing atoms of negative reduced cost; shared by the full
// program's bounds and by its epsilon (the least change of the numbers that
// lets some distribution over the atoms fit them). Nothing here is proven:
// the certificate (sharp/atoms/certificate.h) makes any duals exact.
#ifndef UNIONBOUND_SHARP_ATOMS_MASTER_H_
#define UNIONBOUND_SHARP_ATOMS_MASTER_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/atoms/atom_columns.h"
#include "sharp/data/exact_data.h"

class ClpSimplex;

namespace unionbound::sharp {

// The restricted master. rhs[0] is the total (1), rhs[1 + u] data value u.
// kLower, kUpper: each data row may deviate from its number by up to
// `tolerance` (0: the numbers as given); two artificial columns per row
// keep every master feasible. kEpsilon: a free deviation column per data
// row, bounded by the objective T through two rows each.
//
// Where the data are small (rare events), the data rows are solved divided
// by a power of two near the largest number (DataRowScale): the duals and
// reduced costs are those of the unscaled program, and Objective, Support
// and SupportProbabilities are given unscaled.
class AtomMaster {
 public:
  AtomMaster(const SubsetIndex& subsets, const RealVector& rhs, AtomSense sense,
             double tolerance, const CountTarget& target = {});
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

  double Objective() const;  // unscaled
  // The duals of the total and data rows.
  RealVector Duals() const;
  int32_t AtomCount() const { return static_cast<int32_t>(atoms_.size()); }
  const std::vector<AtomMask>& Atoms() const { return atoms_; }
  // The atoms of positive probability in the last solution, and those
  // probabilities (unscaled; the empty atom takes what the others leave of
  // the total where the master is scaled).
  std::vector<AtomMask> Support() const;
  RealVector SupportProbabilities() const;
  // The atoms of the last basis, and any others of positive probability:
  // a degenerate optimum has basic atoms at probability 0 that the exact
  // solve on the basis still needs.
  std::vector<AtomMask> BasicAtoms() const;

 private:
  struct Impl;
  void SetTotalRow(ClpSimplex* model) const;
  // Scaled, the total row's slack stands for the empty atom.
  bool EmptyAtomImplied() const;

  const SubsetIndex& subsets_;
  const AtomSense sense_;
  const CountTarget target_;
  const double scale_;
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

// The part of a limit that column generation may use: beyond enumeration
// the certificate searches the atoms too and keeps a quarter.
double ColumnGenerationSeconds(double limit, int32_t n);

struct ColumnGenerationOptions {
  AtomSense sense = AtomSense::kLower;
  // What kLower and kUpper bound; any target but the union needs n <=
  // kExactPricingLimit (every atom is priced by enumeration).
  CountTarget target;
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

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ATOMS_MASTER_H_
