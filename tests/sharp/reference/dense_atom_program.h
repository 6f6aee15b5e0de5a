// The full program over atoms in its plain form: one column for every one
// of the 2^n atoms, solved once in floating point. Column generation must
// reach the same optimum.
#ifndef UNIONBOUND_TESTS_SHARP_REFERENCE_DENSE_ATOM_PROGRAM_H_
#define UNIONBOUND_TESTS_SHARP_REFERENCE_DENSE_ATOM_PROGRAM_H_

#include <ClpSimplex.hpp>
#include <cstdint>
#include <vector>

#include "numeric/vectors.h"

namespace unionbound {

// min (or max) P(union) over all distributions on the atoms with the given
// probabilities of the subsets (events numbered from 1).
inline double DenseAtomOptimum(const IndexMatrix& subsets, const RealVector& p,
                               int32_t n, bool upper) {
  ClpSimplex model;
  model.setLogLevel(0);
  const int32_t rows = static_cast<int32_t>(subsets.size()) + 1;
  model.resize(rows, 0);
  model.setRowBounds(0, 1.0, 1.0);
  std::vector<uint64_t> masks;
  for (size_t u = 0; u < subsets.size(); ++u) {
    model.setRowBounds(static_cast<int32_t>(u + 1), p[u], p[u]);
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
    const double cost = atom == 0 ? 0.0 : (upper ? -1.0 : 1.0);
    model.addColumn(static_cast<int32_t>(in.size()), in.data(), ones.data(),
                    0.0, COIN_DBL_MAX, cost);
  }
  model.setPrimalTolerance(1e-10);
  model.setDualTolerance(1e-10);
  model.scaling(0);
  model.primal();
  return upper ? -model.objectiveValue() : model.objectiveValue();
}

}  // namespace unionbound

#endif  // UNIONBOUND_TESTS_SHARP_REFERENCE_DENSE_ATOM_PROGRAM_H_
