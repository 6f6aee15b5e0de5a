// The full program over atoms in its plain form: one column for every one
// of the 2^n atoms, solved once in floating point. Column generation must
// reach the same optimum, and the same least deviation of the numbers.
#ifndef UNIONBOUND_TESTS_SHARP_REFERENCE_DENSE_ATOM_PROGRAM_H_
#define UNIONBOUND_TESTS_SHARP_REFERENCE_DENSE_ATOM_PROGRAM_H_

#include <ClpSimplex.hpp>
#include <bit>
#include <cstdint>
#include <vector>

#include "numeric/vectors.h"
#include "sharp/moments/grid_program.h"

namespace unionbound::sharp {

// Rows: the total 1 and one per subset, p[u] give or take tolerance; one
// column per atom with the given costs of the empty and the other atoms.
inline void AddDenseAtomProgram(const IndexMatrix& subsets, const RealVector& p,
                                int32_t n, double tolerance, double emptyCost,
                                double otherCost, ClpSimplex* model) {
  model->setLogLevel(0);
  const int32_t rows = static_cast<int32_t>(subsets.size()) + 1;
  model->resize(rows, 0);
  model->setRowBounds(0, 1.0, 1.0);
  std::vector<uint64_t> masks;
  for (size_t u = 0; u < subsets.size(); ++u) {
    model->setRowBounds(static_cast<int32_t>(u + 1), p[u] - tolerance,
                        p[u] + tolerance);
    uint64_t mask = 0;
    for (int32_t e : subsets[u]) mask |= uint64_t{1} << (e - 1);
    masks.push_back(mask);
  }
  for (uint64_t atom = 0; atom < (uint64_t{1} << n); ++atom) {
    std::vector<int32_t> in{0};
    for (size_t u = 0; u < masks.size(); ++u) {
      if ((masks[u] & ~atom) == 0) in.push_back(static_cast<int32_t>(u + 1));
    }
    const std::vector<double> ones(in.size(), 1.0);
    model->addColumn(static_cast<int32_t>(in.size()), in.data(), ones.data(),
                     0.0, COIN_DBL_MAX, atom == 0 ? emptyCost : otherCost);
  }
  model->setPrimalTolerance(1e-10);
  model->setDualTolerance(1e-10);
  model->scaling(0);
}

// min (or max) P(union) over all distributions on the atoms with the given
// probabilities of the subsets (events numbered from 1), each give or take
// tolerance.
inline double DenseAtomOptimum(const IndexMatrix& subsets, const RealVector& p,
                               int32_t n, bool upper, double tolerance = 0.0) {
  ClpSimplex model;
  AddDenseAtomProgram(subsets, p, n, tolerance, 0.0, upper ? -1.0 : 1.0,
                      &model);
  model.primal();
  return upper ? -model.objectiveValue() : model.objectiveValue();
}

// min (or max) of the probability of `target` (an atom counts when the
// number of its events does) over the same distributions.
inline double DenseAtomCountOptimum(const IndexMatrix& subsets,
                                    const RealVector& p, int32_t n, bool upper,
                                    const CountTarget& target) {
  ClpSimplex model;
  AddDenseAtomProgram(subsets, p, n, 0.0, 0.0, 0.0, &model);
  for (uint64_t atom = 0; atom < (uint64_t{1} << n); ++atom) {
    if (Counts(target, std::popcount(atom))) {
      model.setObjectiveCoefficient(static_cast<int>(atom), upper ? -1.0 : 1.0);
    }
  }
  model.primal();
  return upper ? -model.objectiveValue() : model.objectiveValue();
}

// The least T such that some distribution on the atoms gives every subset
// its probability give or take T: the rows widened by a column T each way.
inline double DenseAtomEpsilon(const IndexMatrix& subsets, const RealVector& p,
                               int32_t n) {
  ClpSimplex model;
  AddDenseAtomProgram(subsets, p, n, 0.0, 0.0, 0.0, &model);
  for (int32_t r = 1; r <= static_cast<int32_t>(subsets.size()); ++r) {
    for (double sign : {1.0, -1.0}) {
      model.addColumn(1, &r, &sign, 0.0, COIN_DBL_MAX, 0.0);
    }
  }
  // Each deviation column at most T: T - d >= 0.
  const int32_t tColumn = model.numberColumns();
  model.addColumn(0, nullptr, nullptr, 0.0, COIN_DBL_MAX, 1.0);
  const int32_t firstDeviation =
      tColumn - 2 * static_cast<int32_t>(subsets.size());
  for (int32_t d = firstDeviation; d < tColumn; ++d) {
    const int32_t columns[] = {tColumn, d};
    const double values[] = {1.0, -1.0};
    model.addRow(2, columns, values, 0.0, COIN_DBL_MAX);
  }
  model.primal();
  return model.objectiveValue();
}

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_TESTS_SHARP_REFERENCE_DENSE_ATOM_PROGRAM_H_
