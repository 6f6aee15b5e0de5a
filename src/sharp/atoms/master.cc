#include "sharp/atoms/master.h"

#include <ClpSimplex.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "sharp/exact/cancellation.h"

namespace unionbound::sharp {
namespace {

using Mask = AtomMask;

constexpr double kArtificialCost = 1e4;  // keeps every master feasible
// Row bounds beyond this the solver takes for infinite.
constexpr double kLargestFiniteTotal = 1e27;
constexpr double kPricingTolerance = 1e-9;
// Columns a round adds from pricing every atom or from the search: the most
// negative ones, many of them alike; more only cost pivots.
constexpr size_t kColumnsPerRound = 40;
// Local search finds one local minimum per start: varied columns, and the
// more of them the fewer rounds where the master is large (n = 16, m = 3:
// 320 columns from 512 starts took half the rounds of 40 from 64 and 2/3
// of the time), while a small master re-solves faster than the search
// runs. So the starts grow with the rows (3/4 of them, from 64 to 512),
// and a round adds up to 5/8 as many columns.
size_t LocalSearchStarts(size_t rows) {
  return std::clamp<size_t>(rows * 3 / 4, 64, 512);
}
constexpr int32_t kFloatEnumerationLimit = 20;

// y . (column of atom) for the data subsets inside it, with the total.
double DualSum(const SubsetIndex& subsets, const RealVector& y, Mask atom) {
  double sum = y[0];
  subsets.ForEachInside(atom, [&](size_t u) { sum += y[u + 1]; });
  return sum;
}

double ReducedCost(const SubsetIndex& subsets, const RealVector& y, Mask atom,
                   AtomSense sense, const CountTarget& target) {
  return AtomCost(atom, sense, target) - DualSum(subsets, y, atom);
}

// Atoms of the most negative reduced cost, every atom priced.
// *least is the least reduced cost found over the nonempty atoms.
std::vector<Mask> PriceAllAtoms(const std::vector<Mask>& masks,
                                const RealVector& y, int32_t n, AtomSense sense,
                                const CountTarget& target, double* least) {
  const std::vector<double> f =
      SumsOverAtoms(masks, RealVector(y.begin() + 1, y.end()), n);
  std::vector<std::pair<double, Mask>> negative;
  for (Mask a = 0; a < f.size(); ++a) {
    const double rc = AtomCost(a, sense, target) - y[0] - f[a];
    if (a != 0) *least = a == 1 ? rc : std::min(*least, rc);
    if (rc < -kPricingTolerance) negative.push_back({rc, a});
  }
  if (negative.size() > kColumnsPerRound) {
    std::nth_element(negative.begin(), negative.begin() + kColumnsPerRound,
                     negative.end());
    negative.resize(kColumnsPerRound);
  }
  std::vector<Mask> found;
  for (const auto& [rc, a] : negative) found.push_back(a);
  return found;
}

// Atoms of the most negative reduced cost by branch and bound, for n too
// large to enumerate. *least is the least reduced cost over the nonempty
// atoms when *complete (or a lower bound of it).
std::vector<Mask> PriceBySearch(const std::vector<Mask>& masks,
                                const RealVector& y, int32_t n, AtomSense sense,
                                double seconds, double* least, bool* complete) {
  const double cost = AtomCost(1, sense);
  AtomSearchOptions options;
  options.seconds = seconds;
  options.keep = kColumnsPerRound;
  const AtomSearchResult<double> result =
      MaximiseOverAtoms(masks, RealVector(y.begin() + 1, y.end()), n,
                        cost - y[0] + kPricingTolerance, options);
  *complete = result.complete;
  *least =
      cost - y[0] - std::max(cost - y[0] + kPricingTolerance, result.bound);
  std::vector<Mask> found;
  for (const auto& [value, atom] : result.best) found.push_back(atom);
  return found;
}

bool OutOfTime(double seconds, AtomClock::time_point began) {
  return seconds > 0 && SecondsSince(began) > seconds;
}

// Local search: from each start, flip the bit that lowers the reduced cost
// most until none does. No new start after `seconds` since `began` (0: no
// limit): with many data subsets one start costs milliseconds.
std::vector<Mask> PriceByLocalSearch(const SubsetIndex& masks,
                                     const RealVector& y, int32_t n,
                                     AtomSense sense, const CountTarget& target,
                                     const std::vector<Mask>& starts,
                                     double seconds,
                                     AtomClock::time_point began) {
  std::vector<Mask> found;
  for (Mask atom : starts) {
    if (OutOfTime(seconds, began)) break;
    double rc = ReducedCost(masks, y, atom, sense, target);
    for (int32_t steps = 0; steps < 4 * n; ++steps) {
      Mask best = atom;
      double bestRc = rc;
      for (int32_t i = 0; i < n; ++i) {
        const Mask next = atom ^ (Mask{1} << i);
        const double nextRc = ReducedCost(masks, y, next, sense, target);
        if (nextRc < bestRc) {
          best = next;
          bestRc = nextRc;
        }
      }
      if (best == atom) break;
      atom = best;
      rc = bestRc;
    }
    if (rc < -kPricingTolerance) found.push_back(atom);
    if (found.size() >= starts.size() * 5 / 8) break;
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

// Where local search starts: the atoms added last and the data's own
// subsets, a bounded number of them.
std::vector<Mask> Starts(const AtomMaster& master,
                         const std::vector<Mask>& masks) {
  const size_t half = LocalSearchStarts(masks.size() + 1) / 2;
  const std::vector<Mask>& atoms = master.Atoms();
  std::vector<Mask> starts(atoms.end() - std::min(atoms.size(), half),
                           atoms.end());
  const size_t step = std::max<size_t>(1, masks.size() / half);
  for (size_t u = 0; u < masks.size(); u += step) starts.push_back(masks[u]);
  return starts;
}

// The floating-point value of the Lagrangian bound of y whose least reduced
// cost over the nonempty atoms is `least`: for the bounds the better of y
// shifted (b . y + the least over all atoms) and, for the union, y scaled
// until feasible,
// less what the tolerance may take, as the certificate computes them; for
// epsilon that sum over the data rows' |y|.
double LagrangianValue(const RealVector& rhs, const RealVector& y, double least,
                       const ColumnGenerationOptions& options) {
  double dot = 0.0;
  double norm = 0.0;
  for (size_t r = 1; r < rhs.size(); ++r) {
    dot += rhs[r] * y[r];
    norm += std::fabs(y[r]);
  }
  const double shifted = dot + y[0] + std::min(-y[0], least);
  if (options.sense == AtomSense::kEpsilon) {
    return norm > 0 ? shifted / norm : -HUGE_VAL;
  }
  double value = shifted - options.tolerance * norm;
  // Scaling needs every nonempty atom to cost the same: the union's costs.
  if (!IsUnion(options.target)) return value;
  const double cost = AtomCost(1, options.sense);
  const double y0 = std::min(y[0], 0.0);
  const double g = cost - least - y[0] + y0;
  if (g * cost > 0) {
    const double t = cost / g;
    value = std::max(value, t * (dot + y0 - options.tolerance * norm));
  }
  return value;
}

}  // namespace

namespace {

// Columns gathered to go into the model at once: CLP copies every array of
// the model on each addition, so adding tens of thousands of columns one by
// one takes quadratic time. Upper bounds are infinite.
class ColumnBatch {
 public:
  void Add(std::initializer_list<int32_t> rows,
           std::initializer_list<double> values, double lower, double cost) {
    rows_.insert(rows_.end(), rows);
    values_.insert(values_.end(), values);
    starts_.push_back(static_cast<CoinBigIndex>(rows_.size()));
    lower_.push_back(lower);
    costs_.push_back(cost);
  }

  void AddTo(ClpSimplex* model) const {
    const std::vector<double> upper(costs_.size(), COIN_DBL_MAX);
    model->addColumns(static_cast<int>(costs_.size()), lower_.data(),
                      upper.data(), costs_.data(), starts_.data(), rows_.data(),
                      values_.data());
  }

 private:
  std::vector<CoinBigIndex> starts_{0};
  std::vector<int32_t> rows_;
  std::vector<double> values_;
  std::vector<double> lower_;
  std::vector<double> costs_;
};

}  // namespace

struct AtomMaster::Impl {
  ClpSimplex model;
};

AtomMaster::AtomMaster(const SubsetIndex& subsets, const RealVector& rhs,
                       AtomSense sense, double tolerance,
                       const CountTarget& target)
    : subsets_(subsets),
      sense_(sense),
      target_(target),
      scale_(DataRowScale(rhs)),
      impl_(std::make_unique<Impl>()) {
  ClpSimplex& model = impl_->model;
  // The data rows are solved divided by the scale, so that rare events keep
  // the solver's absolute tolerances relative to them; the duals are those
  // of the unscaled program, and the objective is scaled by the same factor.
  const auto row = [&rhs, this](int32_t r) { return rhs[r] / scale_; };
  tolerance /= scale_;
  const int32_t rows = static_cast<int32_t>(rhs.size());
  dataRows_ = rows;
  model.setLogLevel(0);
  // Tight tolerances: the certificate is valid whatever they are, but the
  // closer the duals are to optimal, the closer the certified bound.
  model.setPrimalTolerance(1e-10);
  model.setDualTolerance(1e-10);
  if (sense == AtomSense::kEpsilon) {
    // Row r: atoms + d_r = b_r; rows +-d_r - T <= 0; T is the last column
    // before the atoms.
    model.resize(rows + 2 * (rows - 1), 0);
    SetTotalRow(&model);
    ColumnBatch deviations;
    for (int32_t r = 1; r < rows; ++r) {
      model.setRowBounds(r, row(r), row(r));
      const int32_t plus = rows + 2 * (r - 1);
      model.setRowBounds(plus, -COIN_DBL_MAX, 0.0);
      model.setRowBounds(plus + 1, -COIN_DBL_MAX, 0.0);
      deviations.Add({r, plus, plus + 1}, {1.0, 1.0, -1.0}, -COIN_DBL_MAX, 0.0);
    }
    deviations.AddTo(&model);
    std::vector<int32_t> in;
    for (int32_t r = rows; r < rows + 2 * (rows - 1); ++r) in.push_back(r);
    const std::vector<double> minusOnes(in.size(), -1.0);
    model.addColumn(static_cast<int32_t>(in.size()), in.data(),
                    minusOnes.data(), 0.0, COIN_DBL_MAX, 1.0);
  } else {
    model.resize(rows, 0);
    SetTotalRow(&model);
    for (int32_t r = 1; r < rows; ++r) {
      model.setRowBounds(r, row(r) - tolerance, row(r) + tolerance);
    }
    ColumnBatch artificials;
    for (int32_t r = 0; r < rows; ++r) {
      for (double sign : {1.0, -1.0}) {
        artificials.Add({r}, {sign}, 0.0, kArtificialCost);
      }
    }
    artificials.AddTo(&model);
  }
  firstAtomColumn_ = model.numberColumns();
}

// Unscaled, the total is 1 exactly. Scaled by s < 1 the empty atom would
// carry about 1 / s, which the solver cannot hold beside the others: the row
// becomes "the nonempty atoms sum to at most 1 / s", with the empty atom its
// slack (no limit at all where 1 / s is beyond the solver's infinity: the
// singles, each at most 2s, then cannot reach it).
void AtomMaster::SetTotalRow(ClpSimplex* model) const {
  if (scale_ == 1.0) {
    model->setRowBounds(0, 1.0, 1.0);
  } else {
    const double total = 1.0 / scale_;
    model->setRowBounds(0, -COIN_DBL_MAX,
                        total < kLargestFiniteTotal ? total : COIN_DBL_MAX);
  }
}

AtomMaster::~AtomMaster() = default;

// CLP copies its matrix on every addition, so all new atoms go in at once.
void AtomMaster::AddAtoms(const std::vector<AtomMask>& candidates) {
  std::vector<CoinBigIndex> starts{0};
  std::vector<int32_t> rows;
  std::vector<double> costs;
  for (Mask atom : candidates) {
    const auto it = std::lower_bound(present_.begin(), present_.end(), atom);
    if (it != present_.end() && *it == atom) continue;
    present_.insert(it, atom);
    rows.push_back(0);
    const size_t first = rows.size();
    subsets_.ForEachInside(atom, [&rows](size_t u) {
      rows.push_back(static_cast<int32_t>(u + 1));
    });
    std::sort(rows.begin() + first, rows.end());
    starts.push_back(static_cast<CoinBigIndex>(rows.size()));
    costs.push_back(AtomCost(atom, sense_, target_));
    atoms_.push_back(atom);
  }
  const int32_t added = static_cast<int32_t>(costs.size());
  if (added == 0) return;
  const std::vector<double> ones(rows.size(), 1.0);
  const std::vector<double> lower(added, 0.0);
  const std::vector<double> upper(added, COIN_DBL_MAX);
  impl_->model.addColumns(added, lower.data(), upper.data(), costs.data(),
                          starts.data(), rows.data(), ones.data());
}

// From the previous basis, which new columns leave primal feasible: the
// primal simplex method. The dual one could stall for minutes after columns
// from full pricing were added. The rows never change, so the factorization
// and work areas of the last solve are kept for the next (factoring the
// dense-ish basis afresh was the largest part of a solve).
void AtomMaster::Solve(double seconds) {
  ClpSimplex& model = impl_->model;
  if (seconds > 0) model.setMaximumWallSeconds(seconds);
  constexpr int kKeepWorkAreas = 1;
  constexpr int kReuseFactorization = 2;
  model.primal(1,
               solved_ ? kKeepWorkAreas | kReuseFactorization : kKeepWorkAreas);
  solved_ = true;
}

void AtomMaster::AddStartingAtoms(int32_t n) {
  std::vector<Mask> starting{0, (Mask{1} << n) - 1};
  const std::vector<Mask>& masks = subsets_.Masks();
  starting.insert(starting.end(), masks.begin(), masks.end());
  AddAtoms(starting);
}

void AtomMaster::RemoveAtoms(const std::vector<AtomMask>& atoms) {
  std::vector<int> columns;
  std::vector<Mask> kept;
  for (size_t i = 0; i < atoms_.size(); ++i) {
    if (std::find(atoms.begin(), atoms.end(), atoms_[i]) != atoms.end()) {
      columns.push_back(firstAtomColumn_ + static_cast<int>(i));
      const auto it =
          std::lower_bound(present_.begin(), present_.end(), atoms_[i]);
      present_.erase(it);
    } else {
      kept.push_back(atoms_[i]);
    }
  }
  if (columns.empty()) return;
  impl_->model.deleteColumns(static_cast<int>(columns.size()), columns.data());
  atoms_ = std::move(kept);
  solved_ = false;  // the basis lost columns: factor it afresh
}

double AtomMaster::Objective() const {
  return impl_->model.objectiveValue() * scale_;
}

bool AtomMaster::EmptyAtomImplied() const {
  if (scale_ == 1.0) return false;
  const ClpSimplex& model = impl_->model;
  return model.getRowStatus(0) == ClpSimplex::basic ||
         model.primalRowSolution()[0] < model.getRowUpper()[0];
}

RealVector AtomMaster::Duals() const {
  const double* y = impl_->model.dualRowSolution();
  return RealVector(y, y + dataRows_);
}

std::vector<AtomMask> AtomMaster::Support() const {
  const double* x = impl_->model.primalColumnSolution() + firstAtomColumn_;
  std::vector<Mask> support;
  for (size_t i = 0; i < atoms_.size(); ++i) {
    if (x[i] > 1e-12 || (atoms_[i] == 0 && EmptyAtomImplied())) {
      support.push_back(atoms_[i]);
    }
  }
  return support;
}

std::vector<AtomMask> AtomMaster::BasicAtoms() const {
  const ClpSimplex& model = impl_->model;
  const double* x = model.primalColumnSolution() + firstAtomColumn_;
  std::vector<Mask> basic;
  for (size_t i = 0; i < atoms_.size(); ++i) {
    const int column = firstAtomColumn_ + static_cast<int>(i);
    if (model.getColumnStatus(column) == ClpSimplex::basic || x[i] > 1e-12 ||
        (atoms_[i] == 0 && EmptyAtomImplied())) {
      basic.push_back(atoms_[i]);
    }
  }
  return basic;
}

RealVector AtomMaster::SupportProbabilities() const {
  const double* x = impl_->model.primalColumnSolution() + firstAtomColumn_;
  // Unscaled; the empty atom takes what the others leave of the total.
  double others = 0.0;
  for (size_t i = 0; i < atoms_.size(); ++i) {
    if (atoms_[i] != 0 && x[i] > 1e-12) others += x[i] * scale_;
  }
  RealVector probabilities;
  for (size_t i = 0; i < atoms_.size(); ++i) {
    if (atoms_[i] == 0 && (x[i] > 1e-12 || EmptyAtomImplied())) {
      probabilities.push_back(scale_ == 1.0 ? x[i]
                                            : std::max(0.0, 1.0 - others));
    } else if (x[i] > 1e-12) {
      probabilities.push_back(x[i] * scale_);
    }
  }
  return probabilities;
}

RealVector MasterRhs(const ExactData& data, size_t count) {
  RealVector rhs{1.0};
  for (size_t u = 0; u < count; ++u) {
    rhs.push_back(RoundNearest(ValueOf(data, u)));
  }
  return rhs;
}

double ColumnGenerationSeconds(double limit, int32_t n) {
  return n > kExactPricingLimit ? limit * 0.75 : limit;
}

ColumnGenerationResult GenerateColumns(AtomMaster* master,
                                       const SubsetIndex& index,
                                       const RealVector& rhs, int32_t n,
                                       const ColumnGenerationOptions& options,
                                       const RealVector& start,
                                       double startValue) {
  const auto began = AtomClock::now();
  const std::vector<Mask>& masks = index.Masks();
  const AtomSense sense = options.sense;
  const CountTarget& target = options.target;
  // The search follows the union's costs only; other targets are priced by
  // enumeration (n <= kExactPricingLimit).
  const bool enumerate = n <= kFloatEnumerationLimit || !IsUnion(target);
  ColumnGenerationResult result;
  result.bestY = start;
  double bestValue = start.empty() ? -HUGE_VAL : startValue;
  for (result.rounds = 1; result.rounds <= options.maxRounds; ++result.rounds) {
    PollCancellation();
    master->Solve(SecondsLeft(options.seconds, began, 1e-3));
    result.y = master->Duals();
    if (options.progress) {
      options.progress(result.rounds, master->AtomCount());
    }
    // The caller certifies these duals whatever they are.
    if (OutOfTime(options.seconds, began)) break;
    // Local search finds varied atoms cheaply where n is small; beyond
    // enumeration it found one atom a round where the search finds many.
    std::vector<Mask> found;
    if (n <= kFloatEnumerationLimit) {
      found =
          PriceByLocalSearch(index, result.y, n, sense, target,
                             Starts(*master, masks), options.seconds, began);
    }
    if (found.empty()) {
      double least = 0.0;
      bool complete = true;
      if (enumerate) {
        found = PriceAllAtoms(masks, result.y, n, sense, target, &least);
      } else {
        found = PriceBySearch(masks, result.y, n, sense,
                              SecondsLeft(options.seconds, began, 1e-3), &least,
                              &complete);
      }
      if (complete) {
        const double value = LagrangianValue(rhs, result.y, least, options);
        if (value > bestValue) {
          bestValue = value;
          result.bestY = result.y;
        }
      }
      if (found.empty()) {
        result.converged = complete;
        break;
      }
    }
    master->AddAtoms(found);
    if (OutOfTime(options.seconds, began)) break;
  }
  return result;
}
}  // namespace unionbound::sharp
