#include "sharp/clp_solve.h"

#include <ClpSimplex.hpp>
#include <CoinHelperFunctions.hpp>
#include <cstddef>

namespace unionbound {
namespace {

enum class Algorithm { kDual, kPrimal };

// Column-major copy of the nonzero entries, as the solver loads them.
struct SparseColumns {
  std::vector<CoinBigIndex> start;
  std::vector<int> index;
  std::vector<double> value;
};

SparseColumns ToSparseColumns(const RealMatrix& rows, size_t columns) {
  SparseColumns sparse;
  sparse.start.push_back(0);
  for (size_t k = 0; k < columns; ++k) {
    for (size_t t = 0; t < rows.size(); ++t) {
      if (k < rows[t].size() && rows[t][k] != 0.0) {
        sparse.index.push_back(static_cast<int>(t));
        sparse.value.push_back(rows[t][k]);
      }
    }
    sparse.start.push_back(static_cast<CoinBigIndex>(sparse.value.size()));
  }
  return sparse;
}

LpSolution ReadSolution(const ClpSimplex& model, size_t rows, size_t columns) {
  LpSolution s;
  if (model.isProvenOptimal()) {
    s.status = LpStatus::kOptimal;
  } else if (model.isProvenPrimalInfeasible()) {
    s.status = LpStatus::kInfeasible;
  }
  s.objective = model.objectiveValue();
  const double* primal = model.primalColumnSolution();
  const double* dual = model.dualRowSolution();
  for (size_t k = 0; k < columns; ++k) {
    s.primal.push_back(primal[k]);
    s.basicColumn.push_back(model.getColumnStatus(static_cast<int>(k)) ==
                            ClpSimplex::basic);
  }
  for (size_t t = 0; t < rows; ++t) {
    s.dual.push_back(dual[t]);
    s.basicRow.push_back(model.getRowStatus(static_cast<int>(t)) ==
                         ClpSimplex::basic);
  }
  return s;
}

LpSolution Solve(const FloatLp& lp, Algorithm algorithm) {
  const size_t rows = lp.rows.size();
  const size_t columns = lp.cost.size();
  const SparseColumns sparse = ToSparseColumns(lp.rows, columns);
  ClpSimplex model;
  model.setLogLevel(0);
  model.loadProblem(static_cast<int>(columns), static_cast<int>(rows),
                    sparse.start.data(), sparse.index.data(),
                    sparse.value.data(), nullptr, nullptr, lp.cost.data(),
                    lp.rowLower.data(), lp.rowUpper.data());
  model.scaling(0);
  model.setPrimalTolerance(kSolverTolerance);
  model.setDualTolerance(kSolverTolerance);
  if (algorithm == Algorithm::kDual) {
    model.dual();
  } else {
    model.primal();
  }
  return ReadSolution(model, rows, columns);
}

}  // namespace

LpSolution SolveWithClp(const FloatLp& lp) {
  LpSolution first = Solve(lp, Algorithm::kDual);
  if (first.status == LpStatus::kOptimal) return first;
  LpSolution second = Solve(lp, Algorithm::kPrimal);
  if (second.status != LpStatus::kFailed) return second;
  return first;
}

}  // namespace unionbound
